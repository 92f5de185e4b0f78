#pragma once
// Whether a text view shows its text monospaced as the user sees it: its font asks for a
// fixed-pitch face, and the face the system gives for it draws narrow and wide letters alike.
// Asking the font database whether the face is marked fixed-pitch is not enough: fontconfig
// leaves some monospaced faces unmarked (Noto Sans Mono), where the view is still right.

#include <QFont>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QString>
#include <gtest/gtest.h>

namespace qx7::test {

inline ::testing::AssertionResult ShowsMonospaced(const QFont& font) {
    const bool asksFixedPitch = font.fixedPitch() || font.styleHint() == QFont::TypeWriter ||
                                font.styleHint() == QFont::Monospace ||
                                font.families().contains(QStringLiteral("monospace"),
                                                         Qt::CaseInsensitive);
    if (!asksFixedPitch) {
        return ::testing::AssertionFailure()
               << "the font \"" << font.family().toStdString()
               << "\" asks for no fixed-pitch face (style hint " << font.styleHint() << ")";
    }
    const QFontMetricsF metrics(font);
    const QString samples[] = {QStringLiteral("iiiii"), QStringLiteral("MMMMM"),
                               QStringLiteral("....."), QStringLiteral("WWWWW"),
                               QStringLiteral("00000"), QStringLiteral("     ")};
    const qreal width = metrics.horizontalAdvance(samples[0]);
    for (const QString& sample : samples) {
        if (metrics.horizontalAdvance(sample) != width) {
            return ::testing::AssertionFailure()
                   << "\"" << sample.toStdString() << "\" is " << metrics.horizontalAdvance(sample)
                   << " px wide, \"" << samples[0].toStdString() << "\" " << width << " px, in \""
                   << QFontInfo(font).family().toStdString() << "\"";
        }
    }
    return ::testing::AssertionSuccess();
}

}  // namespace qx7::test
