#include "gui/settings/DiffersMark.h"

#include <QColor>
#include <QIconEngine>
#include <QPaintDevice>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace qx7::gui {
namespace {

const QColor kEdge(0x99, 0x00, 0x00);
const QColor kFace(0xE0, 0x10, 0x10);
const QColor kSign(0x00, 0x00, 0x00);

class DiffersMarkEngine final : public QIconEngine {
  public:
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode /*mode*/,
               QIcon::State /*state*/) override {
        const int side = std::min(rect.width(), rect.height());
        if (painter == nullptr || side <= 0) {
            return;
        }
        // Drawn anew in device pixels: a scaled copy of a 16-pixel image would blur.
        const QPaintDevice* device = painter->device();
        const qreal ratio = device != nullptr ? device->devicePixelRatio() : 1.0;
        QRect square(0, 0, side, side);
        square.moveCenter(rect.center());
        painter->drawPixmap(square, DrawDiffersMark(side, ratio));
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode /*mode*/, QIcon::State /*state*/) override {
        // QIcon asks here for physical pixels when it wants a pixmap for a high-density screen.
        return DrawDiffersMark(std::min(size.width(), size.height()), 1.0);
    }

    QSize actualSize(const QSize& size, QIcon::Mode /*mode*/, QIcon::State /*state*/) override {
        const int side = std::min(size.width(), size.height());
        return {side, side};
    }

    QIconEngine* clone() const override { return new DiffersMarkEngine; }
    QString key() const override { return QStringLiteral("qx7-differs-mark"); }
};

}  // namespace

QPixmap DrawDiffersMark(int logicalSide, qreal devicePixelRatio) {
    const qreal ratio = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    const int n = std::max(1, static_cast<int>(std::lround(logicalSide * ratio)));
    QPixmap pixmap(n, n);
    pixmap.fill(Qt::transparent);

    // The design is 16 units wide; every length is a whole number of device pixels, and no
    // antialiasing is used, so each edge falls on a pixel boundary.
    const qreal unit = n / 16.0;
    const auto pixels = [unit](qreal units) {
        return std::max(1, static_cast<int>(std::lround(units * unit)));
    };
    QPainter painter(&pixmap);
    const int margin = n >= 8 ? pixels(1) : 0;
    const QRect square(margin, margin, n - 2 * margin, n - 2 * margin);
    painter.fillRect(square, kEdge);
    const int edge = n >= 8 ? pixels(1) : 0;
    const QRect face = square.adjusted(edge, edge, -edge, -edge);
    painter.fillRect(face, kFace);

    // The exclamation mark: a bar and a dot of equal width, centred on whole pixels.
    int width = std::max(1, static_cast<int>(std::lround(2 * unit)));
    if ((n - width) % 2 != 0) {
        ++width;
    }
    const int left = (n - width) / 2;
    const int pad = pixels(1);
    const int gap = pixels(1);
    const int dotTop = face.bottom() - pad - width + 1;
    const int barTop = face.top() + pad;
    const int barHeight = dotTop - gap - barTop;
    if (barHeight > 0) {
        painter.fillRect(QRect(left, barTop, width, barHeight), kSign);
        painter.fillRect(QRect(left, dotTop, width, width), kSign);
    }
    painter.end();
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}

QIcon DiffersMarkIcon() {
    return QIcon(new DiffersMarkEngine);
}

}  // namespace qx7::gui
