#pragma once
// A page for the framework's own tests: it answers the sheet from a script and counts calls.

#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <functional>
#include <optional>
#include <vector>

#include "gui/app/ControlText.h"
#include "gui/app/PageRegistry.h"
#include "gui/app/ServSheet.h"
#include "gui/app/WizardPage.h"

namespace qx7::test {

class ScriptedPage final : public gui::WizardPage {
  public:
    ScriptedPage(const gui::PageContext& context, int templateId)
        : WizardPage(context, templateId) {
        label = new QLabel(QStringLiteral("label placeholder"), this);
        gui::SetControlNumber(label, 1009);
        edit = new QLineEdit(this);
        gui::SetControlNumber(edit, 1010);
        label->setBuddy(edit);
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(label);
        layout->addWidget(edit);
        layout->addStretch(1);
    }

    void OnSetActive() override {
        ++activations;
        if (postOnActivate.empty()) {
            WizardPage::OnSetActive();
        }
        for (int flags : postOnActivate) {
            SetWizardButtons(flags);
        }
        buttonsAfterPosting = Sheet()->WizardButtons();
    }
    void OnKillActive() override { ++deactivations; }
    int OnWizardNext() override {
        ++nextCalls;
        if (duringNext) {
            duringNext();
        }
        return nextAnswer;
    }
    int OnWizardBack() override {
        ++backCalls;
        return backAnswer;
    }
    bool OnWizardFinish() override {
        ++finishCalls;
        return finishAnswer;
    }
    bool OnQueryCancel() override {
        ++cancelQueries;
        return cancelAnswer ? *cancelAnswer : WizardPage::OnQueryCancel();
    }

    // Script. postOnActivate empty: the base activation (buttons of the page table).
    std::vector<int> postOnActivate;
    int nextAnswer = kStayOnPage;
    int backAnswer = kStayOnPage;
    bool finishAnswer = true;
    std::optional<bool> cancelAnswer;  // nullopt: the base rule of the page table
    std::function<void()> duringNext;

    // Record.
    int activations = 0;
    int deactivations = 0;
    int nextCalls = 0;
    int backCalls = 0;
    int finishCalls = 0;
    int cancelQueries = 0;
    int buttonsAfterPosting = -2;  // the sheet's flags right after this activation posted

    QLabel* label = nullptr;
    QLineEdit* edit = nullptr;
};

// A registry making ScriptedPages for the given templates.
inline gui::PageRegistry ScriptedRegistry(std::initializer_list<int> templates) {
    gui::PageRegistry registry;
    for (int templateId : templates) {
        registry.Add(templateId, "ScriptedPage",
                     [templateId](const gui::PageContext& context) -> gui::WizardPage* {
                         return new ScriptedPage(context, templateId);
                     });
    }
    return registry;
}

inline ScriptedPage* Scripted(const gui::CServSheet& sheet, int templateId) {
    return dynamic_cast<ScriptedPage*>(sheet.Page(templateId));
}

}  // namespace qx7::test
