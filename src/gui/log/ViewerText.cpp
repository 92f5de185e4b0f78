#include "gui/log/ViewerText.h"

#include <QFontMetricsF>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QTextDocument>
#include <QWidget>
#include <QtMath>
#include <string>

namespace qx7::gui {

QString ViewerText(std::string_view text) {
    std::string lines;
    lines.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            continue;
        }
        lines += text[i];
    }
    return QString::fromUtf8(lines.data(), static_cast<qsizetype>(lines.size()));
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
    QSize size = (dialog->sizeHint() + lacking).expandedTo(dialog->minimumSize());
    if (const QScreen* screen = dialog->screen()) {
        // Nine tenths of the desktop at most, so the frame and its edges stay on screen.
        const QSize room = screen->availableSize() * 9 / 10;
        size = size.boundedTo(room).expandedTo(dialog->minimumSize());
    }
    return size;
}

}  // namespace qx7::gui
