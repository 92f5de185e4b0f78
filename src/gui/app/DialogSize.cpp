#include "gui/app/DialogSize.h"

#include <QFont>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QTextDocument>
#include <QWidget>
#include <QtMath>

namespace qx7::gui {

QSize DialogUnitsToPixels(const QFont& font, int width, int height) {
    const QFontMetrics metrics(font);
    // The average over the Latin letters, as dialog units are defined.
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const int averageTimes52 = metrics.horizontalAdvance(letters);
    return {(width * averageTimes52 + 4 * 52 / 2) / (4 * 52), (height * metrics.height() + 4) / 8};
}

QSize BoundedToScreen(const QWidget* dialog, const QSize& size) {
    if (const QScreen* screen = dialog->screen()) {
        return size.boundedTo(screen->availableSize() * 9 / 10);
    }
    return size;
}

QSize FittedDialogSize(const QWidget* dialog, const QPlainTextEdit* view, int columns, int lines) {
    const QFontMetricsF metrics(view->font());
    const qreal margins = 2 * (view->document()->documentMargin() + view->frameWidth());
    QSize wanted(qCeil(metrics.horizontalAdvance(QLatin1Char('0')) * columns + margins),
                 qCeil(metrics.lineSpacing() * lines + margins));
    wanted.rwidth() += view->verticalScrollBar()->sizeHint().width();
    if (view->lineWrapMode() == QPlainTextEdit::NoWrap) {
        wanted.rheight() += view->horizontalScrollBar()->sizeHint().height();
    }
    const QSize lacking = (wanted - view->sizeHint()).expandedTo(QSize(0, 0));
    const QSize size = (dialog->sizeHint() + lacking).expandedTo(dialog->minimumSize());
    return BoundedToScreen(dialog, size).expandedTo(dialog->minimumSize());
}

}  // namespace qx7::gui
