#pragma once
// The base of every page of the wizard sheet. The sheet calls the On... handlers; a page
// answers Next and Back with the template number of the page to show (-1 stays, 0 the next
// page in sheet order) and asks the sheet for its buttons with SetWizardButtons.

#include <QString>
#include <QWidget>

#include "core/text/Language.h"
#include "core/app/PageFlow.h"
#include "gui/app/PageContext.h"

namespace qx7 {
class Messages;
}

namespace qx7::gui {

class WizardSheet;

class WizardPage : public QWidget {
    Q_OBJECT

  public:
    WizardPage(const PageContext& context, PageId page, QWidget* parent = nullptr);
    ~WizardPage() override;

    PageId TemplateId() const { return templateId_; }
    // The page's row of the sheet's page table (title, buttons on arrival, Cancel rule).
    const WizardPageInfo& Info() const { return info_; }

    // Each time the page is shown. The base posts the buttons of Info() (unless they stay as
    // the previous page left them) and sets the texts of PageControlTexts in order.
    virtual void OnSetActive();
    // When another page is about to be shown in place of this one.
    virtual void OnKillActive() {}
    // The page to show after Next: the base answers GoNext(NextPageAfter(page, operation)),
    // the road's next page after a successful step. Pages with checks or printer work
    // override and call it once they succeeded.
    virtual int OnWizardNext();
    // The page to show after Back: the base answers GoBack().
    virtual int OnWizardBack();
    // Finish closes the sheet when this answers true (the base does).
    virtual bool OnWizardFinish() { return true; }
    // Cancel, Escape or the close box: true lets the sheet close. The base asks message 113
    // when the page's table row says Cancel asks, and agrees at once otherwise.
    virtual bool OnQueryCancel();

    // Called by the sheet when it takes the page in.
    void AttachToSheet(WizardSheet* sheet, const WizardPageInfo& info);

  protected:
    // Posted to the sheet: applied once the current handler has returned; when a page posts
    // twice, the later request wins. Flags: kWizardBack 1, kWizardNext 2, kWizardFinish 4.
    void SetWizardButtons(int flags);

    const PageContext& Context() const { return context_; }
    CQVJServToolApp& App() const { return context_.app; }
    const Messages& Msg() const;
    LanguageId Language() const;
    WizardSheet* Sheet() const { return sheet_; }

    // The string-table text in the tool's language ("" or fallback when missing).
    QString LocalText(int number) const;
    // SetCtrlText on a widget, or on the child control carrying the number as object name.
    int SetCtrlText(QWidget* widget, int number) const;
    int SetCtrlText(int control, int number) const;
    // The texts PageControlTexts lists for this page and the current operation code.
    void ApplyControlTexts() const;
    // The keyboard focus to the control, also when Next or Back is running (the first input
    // control on arrival, the field to mend after a refused Next).
    void FocusControl(QWidget* control) const;
    // The child control known by the number; nullptr when the page has none.
    QWidget* Control(int number) const;
    template <class T>
    T* ControlAs(int number) const {
        return qobject_cast<T*>(Control(number));
    }

  private:
    PageContext context_;
    PageId templateId_;
    WizardPageInfo info_;
    WizardSheet* sheet_ = nullptr;
};

}  // namespace qx7::gui
