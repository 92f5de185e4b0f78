// The program's icon, compiled in for the window and installed for the desktop entry.

#include <gtest/gtest.h>

#include <QIcon>
#include <QImage>

namespace qx7::test {
namespace {

TEST(ProgramIcon, TheCompiledInIconDrawsAGlyphAtTheSizesDesktopsAskFor) {
    const QIcon icon(QStringLiteral(":/qx7/qx7-service-tool.svg"));
    ASSERT_FALSE(icon.isNull());
    for (int size : {16, 32, 48, 256}) {
        const QImage image = icon.pixmap(size).toImage();
        ASSERT_EQ(image.width(), size) << "no SVG icon engine?";
        // The printer is drawn in the middle; the corners stay transparent.
        EXPECT_EQ(qAlpha(image.pixel(size / 2, size / 2)), 255) << size;
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << size;
        EXPECT_EQ(qAlpha(image.pixel(size - 1, 0)), 0) << size;
    }
}

}  // namespace
}  // namespace qx7::test
