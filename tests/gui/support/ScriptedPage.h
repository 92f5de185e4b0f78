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
#include "gui/app/WizardSheet.h"
#include "gui/wizard/WizardPage.h"

namespace qx7::test {

class ScriptedPage final : public gui::WizardPage {
  public:
    // Any number, also one that is no page of the program's table.
    ScriptedPage(const gui::PageContext& context, int templateId)
        : WizardPage(context, static_cast<PageId>(templateId)) {
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
        return nextAnswer ? *nextAnswer : WizardPage::OnWizardNext();
    }
    int OnWizardBack() override {
        ++backCalls;
        return backAnswer ? *backAnswer : WizardPage::OnWizardBack();
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
    // nullopt: the base handlers (the road's next page; GoBack).
    std::optional<int> nextAnswer = kStayOnPage;
    std::optional<int> backAnswer = kStayOnPage;
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
        registry.Add(static_cast<PageId>(templateId), "ScriptedPage",
                     [templateId](const gui::PageContext& context) -> gui::WizardPage* {
                         return new ScriptedPage(context, templateId);
                     });
    }
    return registry;
}

// The program's registry, with a ScriptedPage answering as a page without checks (the base
// handlers, Next open) for every template of the page table that has no class yet, so that a
// road can be walked through pages not built.
inline gui::PageRegistry RegistryWithStandIns() {
    gui::PageRegistry registry = gui::PageRegistry::Global();
    for (const WizardPageInfo& info : WizardPages()) {
        if (registry.Find(info.templateId) == nullptr) {
            // Next is open at once, as if a confirmation box were ticked.
            const int buttons =
                info.buttonsOnShow != kButtonsUnchanged && (info.buttonsOnShow & kWizardFinish) != 0
                    ? kWizardBackFinish
                    : kWizardBackNext;
            const int templateId = PageNumber(info.templateId);
            registry.Add(
                info.templateId, "ScriptedPage",
                [templateId, buttons](const gui::PageContext& context) -> gui::WizardPage* {
                    auto* page = new ScriptedPage(context, templateId);
                    page->nextAnswer.reset();
                    page->backAnswer.reset();
                    page->postOnActivate = {buttons};
                    return page;
                });
        }
    }
    return registry;
}

inline ScriptedPage* Scripted(const gui::WizardSheet& sheet, int templateId) {
    return dynamic_cast<ScriptedPage*>(sheet.Page(templateId));
}

}  // namespace qx7::test
