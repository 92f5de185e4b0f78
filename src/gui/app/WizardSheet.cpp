#include "gui/app/WizardSheet.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <optional>

#include "core/text/Messages.h"
#include "core/app/QVJServToolApp.h"
#include "gui/app/BackgroundWork.h"
#include "gui/app/ControlText.h"
#include "gui/app/WaitCursorScope.h"
#include "gui/wizard/WizardPage.h"

namespace qx7::gui {
namespace {

constexpr int kCaptionString = 102;
constexpr int kWaitingForPrinter = 5850;
// Room for the longest instruction texts without the window growing on every page.
constexpr int kPageMinimumWidth = 560;
constexpr int kPageMinimumHeight = 360;

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& text) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    // As every push button of the sheet (Qt's rule for buttons in a dialog): a focused button
    // takes Enter itself; the default button (Next or Finish) takes it when no push button
    // has the focus.
    button->setAutoDefault(true);
    return button;
}

// Drops every click, key and close request meant for one window (and its children) while it
// lives; a message box opened meanwhile is a window of its own and gets its input.
class InputHold final : public QObject {
  public:
    explicit InputHold(QWidget* window) : window_(window) { qApp->installEventFilter(this); }
    ~InputHold() override { qApp->removeEventFilter(this); }
    InputHold(const InputHold&) = delete;
    InputHold& operator=(const InputHold&) = delete;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
            case QEvent::Wheel:
            case QEvent::KeyPress:
            case QEvent::KeyRelease:
            case QEvent::ShortcutOverride:
            case QEvent::Shortcut:
            case QEvent::TouchBegin:
            case QEvent::TouchUpdate:
            case QEvent::TouchEnd:
            case QEvent::ContextMenu:
            case QEvent::Close: {
                auto* widget = qobject_cast<QWidget*>(watched);
                return widget != nullptr && widget->window() == window_;
            }
            default:
                return false;
        }
    }

  private:
    QWidget* window_;
};

}  // namespace

WizardSheet::WizardSheet(const PageContext& context, std::span<const WizardPageInfo> pages,
                       const PageRegistry& registry, QWidget* parent)
    : QDialog(parent), context_(context) {
    setObjectName(QStringLiteral("servSheet"));
    setModal(true);
    setSizeGripEnabled(true);

    stack_ = new QStackedWidget(this);
    stack_->setObjectName(QStringLiteral("pageStack"));
    stack_->setMinimumSize(kPageMinimumWidth, kPageMinimumHeight);

    // The button captions are Qt's own wizard texts, translated by Qt's translator.
    back_ = MakeButton(this, "backButton", QCoreApplication::translate("QWizard", "< &Back"));
    next_ = MakeButton(this, "nextButton", QCoreApplication::translate("QWizard", "&Next >"));
    finish_ = MakeButton(this, "finishButton", QCoreApplication::translate("QWizard", "&Finish"));
    cancel_ = MakeButton(this, "cancelButton", QCoreApplication::translate("QWizard", "Cancel"));
    finish_->hide();

    auto* rule = new QFrame(this);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);

    printerWait_ = new QLabel(LocalText(context_.app.GetLanguage(), kWaitingForPrinter), this);
    printerWait_->setObjectName(QStringLiteral("printerWait"));
    printerWait_->hide();

    auto* buttonRow = new QHBoxLayout;
    buttonRow->addWidget(printerWait_);
    buttonRow->addStretch(1);
    buttonRow->addWidget(back_);
    buttonRow->addWidget(next_);
    buttonRow->addWidget(finish_);
    buttonRow->addSpacing(12);
    buttonRow->addWidget(cancel_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(stack_, 1);
    layout->addWidget(rule);
    layout->addLayout(buttonRow);

    connect(back_, &QPushButton::clicked, this, &WizardSheet::OnBack);
    connect(next_, &QPushButton::clicked, this, &WizardSheet::OnNext);
    connect(finish_, &QPushButton::clicked, this, &WizardSheet::OnFinish);
    connect(cancel_, &QPushButton::clicked, this, &WizardSheet::reject);

    for (const WizardPageInfo& info : pages) {
        const PageRegistry::Entry* entry = registry.Find(info.templateId);
        WizardPage* page = entry != nullptr ? entry->make(context_) : nullptr;
        if (page == nullptr) {
            missing_.push_back(PageNumber(info.templateId));
            continue;
        }
        page->AttachToSheet(this, info);
        stack_->addWidget(page);
        pages_.push_back(PageSlot{info, page});
    }

    setWindowTitle(Caption());
    ApplyButtons();
}

WizardSheet::~WizardSheet() = default;

int WizardSheet::CurrentTemplate() const {
    return current_ < 0 ? 0
                        : PageNumber(pages_[static_cast<std::size_t>(current_)].info.templateId);
}

WizardPage* WizardSheet::CurrentPage() const {
    return current_ < 0 ? nullptr : pages_[static_cast<std::size_t>(current_)].page;
}

WizardPage* WizardSheet::Page(int templateId) const {
    const int index = IndexOf(templateId);
    return index < 0 ? nullptr : pages_[static_cast<std::size_t>(index)].page;
}

int WizardSheet::IndexOf(int templateId) const {
    for (std::size_t i = 0; i < pages_.size(); ++i) {
        if (PageNumber(pages_[i].info.templateId) == templateId) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool WizardSheet::SetActivePage(int templateId) {
    const int index = IndexOf(templateId);
    if (index < 0) {
        return false;
    }
    Activate(static_cast<std::size_t>(index));
    FocusArrivedPage();
    return true;
}

QString WizardSheet::Caption() const {
    return LocalText(context_.app.GetLanguage(), kCaptionString);
}

QString WizardSheet::PageTitle(int templateId) const {
    const int index = IndexOf(templateId);
    if (index < 0) {
        return Caption();
    }
    return LocalText(context_.app.GetLanguage(),
                     pages_[static_cast<std::size_t>(index)].info.titleString, Caption());
}

void WizardSheet::PostWizardButtons(int flags) {
    if (flags == kButtonsUnchanged) {
        return;
    }
    QMetaObject::invokeMethod(
        this,
        [this, flags] {
            buttons_ = flags;
            ApplyButtons();
        },
        Qt::QueuedConnection);
}

void WizardSheet::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (current_ < 0 && !pages_.empty()) {
        Activate(0);
        FocusArrivedPage();
    }
}

template <class Handler>
void WizardSheet::RunBusy(Handler&& handler) {
    QPointer<QWidget> focus = QApplication::focusWidget();
    focusRequest_.clear();
    const int before = current_;
    busy_ = true;
    // A focused push button would take a queued Enter or Space itself (and a disabled one
    // passes the focus on to the next control, perhaps another button): the sheet holds the
    // focus meanwhile, where Enter finds only the disabled default button.
    if (qobject_cast<QPushButton*>(focus.data()) != nullptr && isAncestorOf(focus)) {
        setFocus(Qt::OtherFocusReason);
    }
    ApplyButtons();
    handler();
    // A page that was shown, or that stays and points at a field to mend, chose the focus.
    const bool requested = !focusRequest_.isNull();
    if (requested) {
        focus = focusRequest_;
        focusRequest_.clear();
    }
    // A click or key made while the handler blocked is still waiting in the queues (Qt's and
    // the display connection's). Deliver it now, while the buttons are disabled, so it falls
    // on nothing; sync() reads the display connection up to this moment first.
    QPointer<WizardSheet> self(this);
    QGuiApplication::sync();
    if (self.isNull()) {
        return;
    }
    busy_ = false;
    ApplyButtons();
    if (current_ != before && !requested) {
        FocusArrivedPage();
    } else if (!focus.isNull() && focus->isVisible() && focus->isEnabled() && isAncestorOf(focus)) {
        focus->setFocus();
    }
}

void WizardSheet::RunPrinterStep(const std::function<void()>& step, bool showWait) {
    // A page's Next answers the page to show, and the pages are written as one call that
    // returns that answer (15 procedure pages and their table among them). Waiting here in a
    // local event loop keeps that: the step runs on a worker, and the loop lets the window
    // paint and the step's message boxes (queued from the worker) open. What makes a nested
    // loop unsafe elsewhere is input re-entering the sheet (a second Next, Cancel closing the
    // sheet under the step); InputHold drops all of it and the buttons stay disabled, and the
    // deletions posted before the loop wait for it to end. Making Next asynchronous instead
    // would turn every page's answer into a callback for no gain in safety.
    const bool wasBusy = busy_;
    busy_ = true;
    waitingForPrinter_ = true;
    ApplyButtons();
    printerWait_->setVisible(showWait);
    {
        std::optional<WaitCursorScope> wait;
        if (showWait) {
            wait.emplace();
        }
        const InputHold hold(this);
        QEventLoop loop;
        const BackgroundWork work(
            &loop, [&step](const std::atomic<bool>&) { step(); }, [&loop] { loop.quit(); });
        // Input is not excluded but dropped: held back, it would reach the buttons after.
        loop.exec();
    }
    printerWait_->hide();
    waitingForPrinter_ = false;
    busy_ = wasBusy;
    ApplyButtons();
}

void RunPrinterStep(WizardSheet* sheet, const std::function<void()>& step, bool showWait) {
    if (sheet == nullptr) {
        step();
        return;
    }
    sheet->RunPrinterStep(step, showWait);
}

void WizardSheet::FocusArrivedPage() {
    // As in any dialog: the first control of the page that takes Tab; of a group of exclusive
    // choices, the chosen one. A page of instructions leaves it on the default button.
    WizardPage* page = CurrentPage();
    if (page == nullptr || pageChoseFocus_) {
        return;
    }
    for (QWidget* w = page->nextInFocusChain(); w != nullptr && w != page;
         w = w->nextInFocusChain()) {
        if (!page->isAncestorOf(w) || !w->isVisibleTo(page) || !w->isEnabled() ||
            (w->focusPolicy() & Qt::TabFocus) == 0) {
            continue;
        }
        auto* choice = qobject_cast<QAbstractButton*>(w);
        if (choice != nullptr && choice->autoExclusive() && choice->isCheckable() &&
            !choice->isChecked() && w->parentWidget() != nullptr) {
            for (auto* sibling :
                 w->parentWidget()->findChildren<QAbstractButton*>(Qt::FindDirectChildrenOnly)) {
                if (sibling->autoExclusive() && sibling->isChecked() &&
                    sibling->isVisibleTo(page) && sibling->isEnabled()) {
                    w = sibling;
                    break;
                }
            }
        }
        w->setFocus(Qt::TabFocusReason);
        return;
    }
    QPushButton* fallback = finish_->isVisible() ? finish_ : next_;
    if (fallback->isEnabled()) {
        fallback->setFocus(Qt::TabFocusReason);
    }
}

void WizardSheet::OnNext() {
    WizardPage* page = CurrentPage();
    if (busy_ || page == nullptr) {
        return;
    }
    RunBusy([&] { MoveTo(page->OnWizardNext()); });
}

void WizardSheet::OnBack() {
    WizardPage* page = CurrentPage();
    if (busy_ || page == nullptr) {
        return;
    }
    RunBusy([&] { MoveTo(page->OnWizardBack()); });
}

void WizardSheet::OnFinish() {
    WizardPage* page = CurrentPage();
    if (busy_ || page == nullptr) {
        return;
    }
    bool close = false;
    RunBusy([&] { close = page->OnWizardFinish(); });
    if (close) {
        accept();
    }
}

void WizardSheet::SetPageFocus(QWidget* control) {
    if (control == nullptr) {
        return;
    }
    control->setFocus();
    pageChoseFocus_ = true;
    if (busy_) {
        focusRequest_ = control;
    }
}

void WizardSheet::reject() {
    if (busy_) {
        return;
    }
    WizardPage* page = CurrentPage();
    bool close = true;
    RunBusy([&] { close = page == nullptr || page->OnQueryCancel(); });
    if (close) {
        QDialog::reject();
    }
}

void WizardSheet::MoveTo(int answer) {
    if (answer == kStayOnPage) {
        return;
    }
    int index = -1;
    if (answer == 0) {
        // The framework's rule: 0 is the next page in sheet order.
        if (current_ >= 0 && static_cast<std::size_t>(current_) + 1 < pages_.size()) {
            index = current_ + 1;
        }
    } else {
        index = IndexOf(answer);
    }
    if (index < 0) {
        context_.app.GetMessages().ShowMessage(kMsgInternalError, kCodeNoSuchPage);
        return;
    }
    Activate(static_cast<std::size_t>(index));
}

void WizardSheet::Activate(std::size_t index) {
    if (WizardPage* leaving = CurrentPage()) {
        leaving->OnKillActive();
    }
    current_ = static_cast<int>(index);
    pageChoseFocus_ = false;
    const PageSlot& slot = pages_[index];
    stack_->setCurrentWidget(slot.page);
    setWindowTitle(PageTitle(PageNumber(slot.info.templateId)));
    slot.page->OnSetActive();
    // The page's texts are in: its choices and buttons get their Alt+letters, none of them the
    // letter of Back, Next or Finish.
    AssignMnemonics(slot.page, MnemonicOf(back_->text()) + MnemonicOf(next_->text()) +
                                   MnemonicOf(finish_->text()) +
                                   MnemonicOf(cancel_->text()));
    FitToPage();
    emit PageShown(PageNumber(slot.info.templateId));
}

void WizardSheet::ApplyButtons() {
    const bool finish = (buttons_ & kWizardFinish) != 0;
    back_->setEnabled(!busy_ && (buttons_ & kWizardBack) != 0);
    next_->setEnabled(!busy_ && (buttons_ & kWizardNext) != 0);
    finish_->setEnabled(!busy_);
    cancel_->setEnabled(!busy_);
    next_->setVisible(!finish);
    finish_->setVisible(finish);
    // Only a change of Next and Finish moves the default: a page button that has the focus
    // stays the one that takes Enter.
    QPushButton* wanted = finish ? finish_ : next_;
    if (mainDefault_ != wanted) {
        mainDefault_ = wanted;
        wanted->setDefault(true);
        (finish ? next_ : finish_)->setDefault(false);
    }
}

void WizardSheet::FitToPage() {
    // Texts are set on activation, so a page may need more room than the window has: grow,
    // never shrink, so the buttons do not jump from page to page.
    QLayout* top = layout();
    if (top == nullptr) {
        return;
    }
    top->activate();
    QSize need = top->totalMinimumSize();
    if (top->hasHeightForWidth()) {
        need.setHeight(std::max(need.height(), top->totalHeightForWidth(width())));
    }
    if (need.width() > width() || need.height() > height()) {
        resize(size().expandedTo(need));
    }
}

}  // namespace qx7::gui
