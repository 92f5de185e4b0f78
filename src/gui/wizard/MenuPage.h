#pragma once
// What the two menu pages (133 parts menu, 156 operation menu) share: a group of choices, some
// of them hidden unless the tool runs with --service, the version field 1093 and the rights
// notice 1094. Arriving at a menu page starts a new history; Next stores the chosen road.

#include <QString>
#include <initializer_list>
#include <vector>

#include "gui/wizard/WizardPage.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QWidget;

namespace qx7::gui {

class MenuPage : public WizardPage {
    Q_OBJECT

  public:
    // Every arrival: the buttons and texts of the page table, the version line, a new
    // history holding only this page, operation code 0.
    void OnSetActive() override;
    // The checked choice decides the operation code and the next page.
    int OnWizardNext() override;

    // The numbers of the checked choices (one, the radios being exclusive).
    std::vector<int> SelectedChoices() const;
    // Checks the choice and shows it, also a hidden one: the road the program was started on.
    void ShowChosen(int number);

  protected:
    struct Choice {
        int number;
        bool hidden;  // shown only in service mode
        const char* placeholder = "";
    };

    MenuPage(const PageContext& context, PageId page);

    // The group box of choices, each radio numbered; `initial` starts checked.
    QGroupBox* MakeChoiceGroup(int groupNumber, std::initializer_list<Choice> choices, int initial);
    // A word-wrapped label for a note or an instruction.
    QLabel* MakeNote(int number);
    // The read-only version field 1093 above the rights notice 1094.
    QWidget* MakeVersionFields();

  private:
    std::vector<QRadioButton*> choices_;
    QLineEdit* version_ = nullptr;
};

}  // namespace qx7::gui
