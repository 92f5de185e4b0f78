#pragma once
// The wizard: a dialog holding the pages in a stack with its own Back / Next / Finish / Cancel
// row. A page's Next or Back handler answers the template number of the page to show; the
// sheet shows it and activates it. While a handler runs (a printer step can block for
// seconds) the buttons are disabled, and clicks or keys that arrive meanwhile are lost.

#include <QDialog>
#include <QPointer>
#include <QString>
#include <functional>
#include <span>
#include <vector>

#include "core/app/PageFlow.h"
#include "gui/app/PageContext.h"
#include "gui/app/PageRegistry.h"

class QLabel;
class QPushButton;
class QStackedWidget;

namespace qx7::gui {

class WizardPage;

// A page number that is no page of the sheet, or has no class: message 242 with this code.
inline constexpr int kCodeNoSuchPage = -282;

class WizardSheet : public QDialog {
    Q_OBJECT

  public:
    // Makes the page of every row of `pages` (in that order) from the registry; rows without
    // a registered class are left out and listed by MissingPages().
    WizardSheet(const PageContext& context, std::span<const WizardPageInfo> pages,
               const PageRegistry& registry = PageRegistry::Global(), QWidget* parent = nullptr);
    ~WizardSheet() override;

    const PageContext& Context() const { return context_; }

    // Template number of the page on show; 0 before the first page is shown.
    int CurrentTemplate() const;
    WizardPage* CurrentPage() const;
    // The page of a template; nullptr when the sheet has none.
    WizardPage* Page(int templateId) const;
    const std::vector<int>& MissingPages() const { return missing_; }

    // Shows and activates the page of the template (the first showing of the sheet shows the
    // first page of the table unless this chose another). False when the sheet has no such
    // page.
    bool SetActivePage(int templateId);

    // The button flags in force (Back 1, Next 2, Finish 4) and whether a handler runs.
    int WizardButtons() const { return buttons_; }
    bool IsBusy() const { return busy_; }

    // Queues a button request; it takes effect once the running handler has returned, so the
    // later of two requests wins. kButtonsUnchanged is ignored.
    void PostWizardButtons(int flags);

    // Gives the keyboard focus to a control of the page on show; when a handler is running,
    // the control keeps it after the handler returns (the sheet otherwise puts the focus back
    // where it was before Next or Back).
    void SetPageFocus(QWidget* control);

    // Runs a printer step (which may wait seconds for a silent printer) on a worker thread and
    // returns once it has returned. Meanwhile the sheet repaints and every click and key meant
    // for it is dropped; with `showWait` it also says "Waiting for the printer..." and shows
    // the wait cursor. A message box the step shows opens on the window's thread
    // (MessageBoxSink).
    void RunPrinterStep(const std::function<void()>& step, bool showWait = true);
    // True while a printer step runs.
    bool IsWaitingForPrinter() const { return waitingForPrinter_; }

    // Cancel, Escape and the close box: closes when the current page's OnQueryCancel agrees.
    void reject() override;

    // The sheet's caption, string 102 (the program's display name); the title bar shows it
    // before the first page and for a page whose title string is missing.
    QString Caption() const;
    // The title bar while the page is on show: its title string from the page table.
    QString PageTitle(int templateId) const;

  signals:
    // After a page has been shown and its OnSetActive has returned.
    void PageShown(int templateId);

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    struct PageSlot {
        WizardPageInfo info;
        WizardPage* page = nullptr;
    };

    void OnBack();
    void OnNext();
    void OnFinish();
    // Runs a handler with the buttons disabled; afterwards delivers the input that queued up
    // meanwhile to the still disabled buttons, so it is dropped, then enables them again.
    template <class Handler>
    void RunBusy(Handler&& handler);
    void MoveTo(int answer);
    void Activate(std::size_t index);
    int IndexOf(int templateId) const;
    void ApplyButtons();
    void FitToPage();
    // The focus on a page just shown: its first input control, else the default button.
    void FocusArrivedPage();

    PageContext context_;
    std::vector<PageSlot> pages_;
    std::vector<int> missing_;
    int current_ = -1;
    int buttons_ = kWizardBackNext;
    bool busy_ = false;
    bool waitingForPrinter_ = false;
    QPointer<QWidget> focusRequest_;  // asked for by the running handler
    bool pageChoseFocus_ = false;     // the page on show set its own focus on arrival
    QStackedWidget* stack_ = nullptr;
    QPushButton* back_ = nullptr;
    QPushButton* next_ = nullptr;
    QPushButton* finish_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QLabel* printerWait_ = nullptr;  // "Waiting for the printer..." while a step runs
    QPushButton* mainDefault_ = nullptr;  // Next or Finish, whichever takes Enter now
};

// A page's printer step through its sheet's RunPrinterStep; at once where there is no sheet.
void RunPrinterStep(WizardSheet* sheet, const std::function<void()>& step, bool showWait = true);

}  // namespace qx7::gui
