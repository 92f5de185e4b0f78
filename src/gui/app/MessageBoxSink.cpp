#include "gui/app/MessageBoxSink.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>
#include <QStyle>
#include <QThread>

#include "gui/app/WaitCursorScope.h"

namespace qx7::gui {
namespace {

QMessageBox::Icon IconOf(MessageKind kind) {
    switch (kind) {
        case MessageKind::kWarning:
            return QMessageBox::Warning;
        case MessageKind::kError:
            return QMessageBox::Critical;
        case MessageKind::kInformation:
            break;
    }
    return QMessageBox::Information;
}

// A short text makes a narrow box, and the window manager cuts its caption to fit. The box is
// made as wide as the caption in a bold title font (as most title bars draw it), plus room for
// the title bar's icon and buttons.
void MakeRoomForCaption(QMessageBox& box) {
    QFont titleFont = box.font();
    titleFont.setBold(true);
    const int titleButtons = 4 * box.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr,
                                                           &box);
    const int width = QFontMetrics(titleFont).horizontalAdvance(box.windowTitle()) +
                      titleButtons;
    // QMessageBox sizes itself from its layout; a spacer is the width it keeps to.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()); grid != nullptr) {
        grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }
}

int RunBoxHere(QWidget* owner, const QString& caption, const std::string& text,
               QMessageBox::Icon icon, QMessageBox::StandardButtons buttons,
               QMessageBox::StandardButton defaultButton) {
    OverrideCursorPause normalPointer;
    if (QWidget* modal = QApplication::activeModalWidget(); modal != nullptr) {
        owner = modal;
    }
    QMessageBox box(icon, caption, QString::fromStdString(text), buttons, owner);
    box.setObjectName(QStringLiteral("messageBox"));
    // Table texts are plain; a '<' must not switch the box to rich text.
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(defaultButton);
    MakeRoomForCaption(box);
    return box.exec();
}

// A box only ever opens on the window's thread: a step running on a worker waits here until the
// window's thread has shown it and the user has answered (the window waits for the step in an
// event loop that serves the call).
int RunBox(const QPointer<QWidget>& owner, const QString& caption, const std::string& text,
           QMessageBox::Icon icon, QMessageBox::StandardButtons buttons,
           QMessageBox::StandardButton defaultButton) {
    QCoreApplication* application = QCoreApplication::instance();
    if (application == nullptr || QThread::currentThread() == application->thread()) {
        return RunBoxHere(owner, caption, text, icon, buttons, defaultButton);
    }
    int answer = QMessageBox::NoButton;
    QMetaObject::invokeMethod(
        application,
        [&] { answer = RunBoxHere(owner, caption, text, icon, buttons, defaultButton); },
        Qt::BlockingQueuedConnection);
    return answer;
}

}  // namespace

QString MessageBoxSink::Caption() {
    return QCoreApplication::applicationName();
}

void MessageBoxSink::ShowOk(const std::string& text) {
    Show(text, MessageKind::kInformation);
}

void MessageBoxSink::Show(const std::string& text, MessageKind kind) {
    RunBox(owner_, Caption(), text, IconOf(kind), QMessageBox::Ok, QMessageBox::Ok);
}

bool MessageBoxSink::AskYesNo(const std::string& text) {
    return AskYesNoCaptioned(text, {});
}

bool MessageBoxSink::AskYesNoCaptioned(const std::string& text, const std::string& caption) {
    return RunBox(owner_, caption.empty() ? Caption() : QString::fromStdString(caption), text,
                  QMessageBox::Question, QMessageBox::Yes | QMessageBox::No,
                  QMessageBox::Yes) == QMessageBox::Yes;
}

}  // namespace qx7::gui
