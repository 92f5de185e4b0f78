#include "gui/support/SheetDriver.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

#include "core/text/Language.h"
#include "core/app/QVJServToolApp.h"
#include "gui/wizard/WizardPage.h"

namespace qx7::test {

SheetDriver::SheetDriver(gui::WizardSheet& sheet, std::string road)
    : sheet_(sheet), road_(std::move(road)) {
    QObject::connect(&sheet_, &gui::WizardSheet::PageShown, &sheet_,
                     [shown = shown_](int templateId) { shown->push_back(templateId); });
}

bool SheetDriver::Show() {
    sheet_.show();
    if (!QTest::qWaitForWindowExposed(&sheet_)) {
        return false;
    }
    sheet_.activateWindow();
    // Keys need an active window; a platform without activation still shows the sheet.
    [[maybe_unused]] const bool active = QTest::qWaitForWindowActive(&sheet_);
    QCoreApplication::processEvents();  // the first page's button requests
    return sheet_.CurrentTemplate() != 0;
}

QPushButton* SheetDriver::Button(const char* buttonName) const {
    return sheet_.findChild<QPushButton*>(QString::fromLatin1(buttonName));
}

bool SheetDriver::IsEnabled(const char* buttonName) const {
    const QPushButton* button = Button(buttonName);
    return button != nullptr && button->isVisible() && button->isEnabled();
}

bool SheetDriver::Click(const char* buttonName) {
    QPushButton* button = Button(buttonName);
    if (button == nullptr || !button->isVisible() || !button->isEnabled()) {
        return false;
    }
    QTest::mouseClick(button, Qt::LeftButton);
    return true;
}

void SheetDriver::Press(Qt::Key key) {
    QWidget* focus = QApplication::focusWidget();
    QWidget* target = focus != nullptr && sheet_.isAncestorOf(focus) ? focus : &sheet_;
    QTest::keyClick(target, key);
}

bool SheetDriver::WaitForPage(int templateId, int timeoutMs) {
    const bool arrived =
        QTest::qWaitFor([&] { return sheet_.CurrentTemplate() == templateId; }, timeoutMs);
    QCoreApplication::processEvents();
    return arrived && !sheet_.IsBusy();
}

QWidget* SheetDriver::Control(int number) const {
    return gui::FindControl(sheet_.CurrentPage(), number);
}

QString SheetDriver::Text(int number) const {
    QWidget* control = Control(number);
    if (auto* label = qobject_cast<QLabel*>(control)) {
        return label->text();
    }
    if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        // What it shows: the underlined letter's '&' is no part of the text.
        return gui::WithoutMnemonics(button->text());
    }
    if (auto* group = qobject_cast<QGroupBox*>(control)) {
        return group->title();
    }
    if (auto* line = qobject_cast<QLineEdit*>(control)) {
        return line->text();
    }
    if (auto* plain = qobject_cast<QPlainTextEdit*>(control)) {
        return plain->toPlainText();
    }
    if (auto* rich = qobject_cast<QTextEdit*>(control)) {
        return rich->toPlainText();
    }
    if (auto* combo = qobject_cast<QComboBox*>(control)) {
        return combo->currentText();
    }
    return {};
}

bool SheetDriver::SetText(int number, const QString& text) {
    auto* line = ControlAs<QLineEdit>(number);
    if (line == nullptr || !line->isEnabled() || line->isReadOnly()) {
        return false;
    }
    line->setFocus();
    line->selectAll();
    QTest::keyClick(line, Qt::Key_Delete);
    QTest::keyClicks(line, text);
    return line->text() == text;
}

bool SheetDriver::Choose(int number) {
    auto* button = ControlAs<QAbstractButton>(number);
    if (button == nullptr || !button->isVisible() || !button->isEnabled()) {
        return false;
    }
    button->click();
    return true;
}

bool SheetDriver::IsChecked(int number) const {
    const auto* button = ControlAs<QAbstractButton>(number);
    return button != nullptr && button->isChecked();
}

bool SheetDriver::IsShown(int number) const {
    const QWidget* control = Control(number);
    return control != nullptr && control->isVisibleTo(&sheet_);
}

QString SheetDriver::Screenshot() {
    const QString folder = qEnvironmentVariable("QX7_SCREENSHOT_DIR");
    if (folder.isEmpty()) {
        return {};
    }
    ++step_;
    const char* language = sheet_.Context().app.GetLanguage() == kJapanese ? "ja" : "en";
    const QString name = QStringLiteral("%1-%2-%3-%4.png")
                             .arg(QLatin1String(language), QString::fromStdString(road_))
                             .arg(step_, 2, 10, QLatin1Char('0'))
                             .arg(sheet_.CurrentTemplate());
    QDir().mkpath(folder);
    const QString path = QDir(folder).filePath(name);
    return sheet_.grab().save(path, "PNG") ? path : QString();
}

std::shared_ptr<SeenBox> AnswerNextMessageBox(std::function<void(QMessageBox&)> answer,
                                              int timeoutMs) {
    auto seen = std::make_shared<SeenBox>();
    auto* timer = new QTimer(qApp);
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    QObject::connect(timer, &QTimer::timeout, timer, [=] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible()) {
            if (clock->elapsed() > timeoutMs) {
                timer->stop();
                timer->deleteLater();
            }
            return;
        }
        timer->stop();
        timer->deleteLater();
        seen->seen = true;
        seen->title = box->windowTitle();
        seen->text = box->text();
        seen->hasIcon = box->icon() != QMessageBox::NoIcon;
        seen->parent = box->parentWidget();
        for (QAbstractButton* button : box->buttons()) {
            seen->buttons.push_back(button->text());
        }
        seen->waitCursor = QGuiApplication::overrideCursor() != nullptr;
        answer(*box);
    });
    timer->start(10);
    return seen;
}

std::shared_ptr<SeenBox> AnswerNextMessageBox(QMessageBox::StandardButton button, int timeoutMs) {
    return AnswerNextMessageBox(
        [button](QMessageBox& box) {
            if (QAbstractButton* target = box.button(button)) {
                QTest::mouseClick(target, Qt::LeftButton);
            } else {
                box.reject();
            }
        },
        timeoutMs);
}

}  // namespace qx7::test
