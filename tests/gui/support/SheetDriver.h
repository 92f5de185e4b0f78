#pragma once
// Drives a shown sheet as a user would: presses its buttons, reads and sets the controls of
// the page on show by their numbers, takes screenshots when asked for them.

#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "gui/app/ControlText.h"
#include "gui/app/WizardSheet.h"

class QPushButton;

namespace qx7::test {

class SheetDriver {
  public:
    // road names the screenshots ("<lang>-<road>-<step>-<page>.png").
    explicit SheetDriver(gui::WizardSheet& sheet, std::string road = "sheet");

    // Shows the sheet and waits until its window is exposed and active; the first page is
    // activated by the showing.
    bool Show();

    // Mouse click on the sheet's button; false (and no click) when it is hidden or disabled.
    bool Next() { return Click("nextButton"); }
    bool Back() { return Click("backButton"); }
    bool Finish() { return Click("finishButton"); }
    bool Cancel() { return Click("cancelButton"); }
    bool Click(const char* buttonName);
    QPushButton* Button(const char* buttonName) const;
    // Visible and enabled.
    bool IsEnabled(const char* buttonName) const;
    // A key pressed where the keyboard focus is (the sheet itself when nothing in it has it).
    void Press(Qt::Key key);

    // Waits until the sheet shows the page and the button requests of its activation are in.
    bool WaitForPage(int templateId, int timeoutMs = 5000);
    int Current() const { return sheet_.CurrentTemplate(); }
    // The same as the page table names it.
    PageId CurrentPage() const { return static_cast<PageId>(Current()); }
    // Every page shown since the driver was made, in order.
    const std::vector<int>& PagesShown() const { return *shown_; }

    // Controls of the page on show, by number.
    QWidget* Control(int number) const;
    template <class T>
    T* ControlAs(int number) const {
        return qobject_cast<T*>(Control(number));
    }
    // The visible text: label, button (without its mnemonic marker), group box title, edit,
    // combo box; "" when missing.
    QString Text(int number) const;
    // Types into a line edit (replacing its text); false when there is none of that number.
    bool SetText(int number, const QString& text);
    // Clicks a radio button or check box; false when it is missing, hidden or disabled.
    bool Choose(int number);
    bool IsChecked(int number) const;
    // Whether the control would be seen when the sheet is (false when it is missing).
    bool IsShown(int number) const;

    // With QX7_SCREENSHOT_DIR set, saves the sheet as "<lang>-<road>-<step>-<page>.png"
    // there and answers the path; "" otherwise. step counts this driver's screenshots.
    QString Screenshot();

  private:
    gui::WizardSheet& sheet_;
    std::string road_;
    int step_ = 0;
    std::shared_ptr<std::vector<int>> shown_ = std::make_shared<std::vector<int>>();
};

// What an answered message box showed.
struct SeenBox {
    bool seen = false;
    QString title;
    QString text;
    QStringList buttons;  // texts of its buttons, in Qt's order
    bool hasIcon = true;
    QWidget* parent = nullptr;
    bool waitCursor = false;  // an override cursor was set while the box was up
};

// From a timer: waits (at most timeoutMs) for a modal message box, records it and runs
// `answer` on it (e.g. a click). For the real MessageBoxSink; page tests use the recording
// sink instead.
std::shared_ptr<SeenBox> AnswerNextMessageBox(std::function<void(QMessageBox&)> answer,
                                              int timeoutMs = 5000);
// The same, clicking the standard button.
std::shared_ptr<SeenBox> AnswerNextMessageBox(QMessageBox::StandardButton button,
                                              int timeoutMs = 5000);

}  // namespace qx7::test
