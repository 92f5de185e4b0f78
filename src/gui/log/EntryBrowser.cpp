#include "gui/log/EntryBrowser.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QStackedWidget>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <array>
#include <chrono>

#include "core/app/QVJServToolApp.h"
#include "core/log/FirmLogCode.h"
#include "gui/app/ControlText.h"
#include "gui/app/FocusedButtonEnter.h"
#include "gui/log/EntryBrowserCodes.h"
#include "gui/log/EntryBrowserTexts.h"
#include "gui/log/EntryTableModel.h"
#include "gui/log/LogFileName.h"
#include "gui/app/LogViewerRegistry.h"

namespace qx7::gui {
namespace {

// Rows searched between two turns of the event loop.
constexpr int kSearchSlice = 2048;
// Rows put on the clipboard at most: a million lines would be a few hundred MiB of text; and
// bytes at most, since rows of long parameters take kilobytes each.
constexpr int kMostRowsCopied = 100000;
constexpr std::size_t kMostBytesCopied = std::size_t{32} << 20;
constexpr int kCopiedRows = 5629;       // "Copied %1 rows."
constexpr int kCopiedFirstRows = 5630;  // "Copied the first %1 of %2 rows."
// Rows measured when the columns are fitted to their texts: the first screenfuls.
constexpr int kFittedRows = 200;
// While the log is read, the rows that came are taken into the table every few milliseconds,
// at most this many at a time (unless one piece holds more): a few milliseconds of the view's
// time, so that painting and the keys are served in between.
constexpr int kTakeIntervalMs = 4;
constexpr std::size_t kRowsTakenATurn = std::size_t{1} << 17;
// Pieces read and not yet taken in at most (of 16,384 entries, 256 KiB each).
constexpr std::size_t kMostPiecesWaiting = 8;
// The form the go-to field shows while empty: the table's.
const char* const kGoToForm = "MM/DD/YYYY hh:mm:ss";

}  // namespace

EntryBrowser::EntryBrowser(const PageContext& context, const std::string& logPath, QWidget* parent,
                           EntryBrowserLoading loading)
    : ViewerDialog(context, QStringLiteral("EntryBrowser"), parent),
      logPath_(logPath),
      log_(std::make_unique<BrowsedLog>(context.app.GetLanguage(), context.clock)),
      loading_(std::move(loading)) {
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    setWindowFlag(Qt::WindowMinimizeButtonHint, true);
    setSizeGripEnabled(true);
    setWindowTitle(LocalText(kBrowserTitle) + QStringLiteral(" - ") +
                   QFileInfo(FromFileName(logPath)).fileName());
    // The reading first: the window is made while the log is opened.
    StartLoading();
    BuildControls();
}

EntryBrowser::~EntryBrowser() {
    StopWorker();
}

void EntryBrowser::BuildControls() {
    errors_ = new QCheckBox(LocalText(kBrowserErrors), this);
    warnings_ = new QCheckBox(LocalText(kBrowserWarnings), this);
    information_ = new QCheckBox(LocalText(kBrowserInformation), this);
    for (QCheckBox* box : {errors_, warnings_, information_}) {
        box->setChecked(true);
        connect(box, &QCheckBox::toggled, this, &EntryBrowser::ApplyFilter);
    }
    errors_->setObjectName(QStringLiteral("errors"));
    warnings_->setObjectName(QStringLiteral("warnings"));
    information_->setObjectName(QStringLiteral("information"));
    // The types without a name, which only the CSV export writes, under the words the rows
    // show for them; ticked like the others, so that every entry of the log is on show.
    for (std::size_t k = 0; k < std::size(kUnnamedTypes); ++k) {
        const int type = kUnnamedTypes[k];
        unnamed_[k] = new QCheckBox(
            LocalText(kBrowserTypeOf).arg(QString::fromStdString(EntryTypeWord(type))), this);
        unnamed_[k]->setObjectName(QStringLiteral("type%1").arg(type));
        unnamed_[k]->setChecked(true);
        connect(unnamed_[k], &QCheckBox::toggled, this, &EntryBrowser::ApplyFilter);
    }

    auto* codeLabel = new QLabel(LocalText(kBrowserCodeLabel), this);
    codes_ = new QComboBox(this);
    codes_->setObjectName(QStringLiteral("codes"));
    // Never measured item by item: the list may hold millions of codes.
    codes_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    codes_->setMinimumContentsLength(28);
    codeList_ = new EntryCodeListModel(Language(), codes_);
    codes_->setModel(codeList_);
    auto* codeStyle = new EntryCodeListStyle;
    codeStyle->setParent(codes_);
    codes_->setStyle(codeStyle);
    if (auto* list = qobject_cast<QListView*>(codes_->view())) {
        list->setUniformItemSizes(true);
    }
    codeLabel->setBuddy(codes_);
    connect(codes_, &QComboBox::currentIndexChanged, this, &EntryBrowser::ApplyFilter);

    auto* findLabel = new QLabel(LocalText(kBrowserFindLabel), this);
    find_ = new QLineEdit(this);
    find_->setObjectName(QStringLiteral("find"));
    find_->setClearButtonEnabled(true);
    findLabel->setBuddy(find_);
    findPrevious_ = new QPushButton(LocalText(kBrowserFindPrevious), this);
    findNext_ = new QPushButton(LocalText(kBrowserFindNext), this);
    findPrevious_->setObjectName(QStringLiteral("findPrevious"));
    findNext_->setObjectName(QStringLiteral("findNext"));
    connect(find_, &QLineEdit::returnPressed, this, &EntryBrowser::FindNext);
    connect(findNext_, &QPushButton::clicked, this, &EntryBrowser::FindNext);
    connect(findPrevious_, &QPushButton::clicked, this, &EntryBrowser::FindPrevious);
    auto* nextKey = new QShortcut(QKeySequence::FindNext, this);
    connect(nextKey, &QShortcut::activated, this, &EntryBrowser::FindNext);
    auto* previousKey = new QShortcut(QKeySequence::FindPrevious, this);
    connect(previousKey, &QShortcut::activated, this, &EntryBrowser::FindPrevious);
    auto* findKey = new QShortcut(QKeySequence::Find, this);
    connect(findKey, &QShortcut::activated, this, [this] {
        find_->setFocus(Qt::ShortcutFocusReason);
        find_->selectAll();
    });

    auto* goToLabel = new QLabel(LocalText(kBrowserGoToLabel), this);
    // A plain line: a date and time typed or pasted is taken as written. A sectioned date-time
    // edit reads typed digits section by section ("12:00:00" typed over 22:25:37 gave 12:25:00)
    // and silently refuses a paste that does not replace its whole text.
    when_ = new QLineEdit(this);
    when_->setObjectName(QStringLiteral("when"));
    when_->setPlaceholderText(QString::fromLatin1(kGoToForm));
    when_->setToolTip(LocalText(kBrowserGoToHint));
    when_->setClearButtonEnabled(true);
    when_->setMinimumWidth(when_->fontMetrics().horizontalAdvance(
                               QStringLiteral("%1MM").arg(QString::fromLatin1(kGoToForm))) +
                           when_->fontMetrics().height() * 2);
    goToLabel->setBuddy(when_);
    goTo_ = new QPushButton(LocalText(kBrowserGoTo), this);
    goTo_->setObjectName(QStringLiteral("goTo"));
    connect(goTo_, &QPushButton::clicked, this, &EntryBrowser::GoToTime);
    connect(when_, &QLineEdit::returnPressed, this, &EntryBrowser::GoToTime);

    // Reading: a bar and its Cancel, in the table's place until the rows are there.
    auto* readingPage = new QWidget(this);
    reading_ = new QLabel(LocalText(kBrowserReading), readingPage);
    progress_ = new QProgressBar(readingPage);
    progress_->setObjectName(QStringLiteral("progress"));
    progress_->setRange(0, 0);
    cancelReading_ = new QPushButton(LocalText(kBrowserCancelReading), readingPage);
    cancelReading_->setObjectName(QStringLiteral("cancelReading"));
    connect(cancelReading_, &QPushButton::clicked, this, &EntryBrowser::reject);
    auto* readingLayout = new QVBoxLayout(readingPage);
    readingLayout->addStretch(1);
    readingLayout->addWidget(reading_, 0, Qt::AlignHCenter);
    readingLayout->addWidget(progress_);
    readingLayout->addWidget(cancelReading_, 0, Qt::AlignHCenter);
    readingLayout->addStretch(2);

    model_ = new EntryTableModel(*log_, Language(), this);
    table_ = new QTableView(this);
    table_->setObjectName(QStringLiteral("entries"));
    table_->setModel(model_);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table_->setWordWrap(false);
    table_->setShowGrid(false);
    table_->setAlternatingRowColors(true);
    table_->setTabKeyNavigation(false);
    // Fixed row heights and column widths: the view never measures a million rows.
    QHeaderView* rows = table_->verticalHeader();
    rows->setVisible(false);
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(table_->fontMetrics().height() + 6);
    QHeaderView* columns = table_->horizontalHeader();
    columns->setSectionResizeMode(QHeaderView::Interactive);
    columns->setStretchLastSection(true);
    columns->setHighlightSections(false);
    const QFontMetrics metrics = table_->fontMetrics();
    const int pad = 2 * metrics.horizontalAdvance(QLatin1Char('M'));
    const QString samples[] = {QStringLiteral("0000000"), QStringLiteral("00/00/0000 00:00:00"),
                               QStringLiteral("00000000"), QStringLiteral("WRN")};
    for (int column = 0; column < 4; ++column) {
        const int header = metrics.horizontalAdvance(
            model_->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString());
        columns->resizeSection(column,
                               std::max(metrics.horizontalAdvance(samples[column]), header) + pad);
    }
    columns->resizeSection(EntryTableModel::kDescription, 46 * metrics.averageCharWidth());
    auto* copy = new QAction(LocalText(kBrowserCopy), table_);
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(copy, &QAction::triggered, this, &EntryBrowser::CopySelectedRows);
    table_->addAction(copy);
    table_->setContextMenuPolicy(Qt::ActionsContextMenu);
    // The view copies only its current cell on the copy keys; the rows' lines are wanted.
    table_->installEventFilter(this);

    pages_ = new QStackedWidget(this);
    pages_->addWidget(readingPage);
    pages_->addWidget(table_);

    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("status"));
    status_->setTextFormat(Qt::PlainText);
    count_ = new QLabel(this);
    count_->setObjectName(QStringLiteral("count"));
    loadingBar_ = new QProgressBar(this);
    loadingBar_->setObjectName(QStringLiteral("loading"));
    loadingBar_->setTextVisible(false);
    loadingBar_->setMaximumWidth(8 * metrics.averageCharWidth() + pad);
    loadingBar_->setMaximumHeight(metrics.height());
    loadingBar_->hide();
    auto* close = new QPushButton(LocalText(kBrowserClose), this);
    close->setObjectName(QStringLiteral("close"));
    connect(close, &QPushButton::clicked, this, &EntryBrowser::reject);
    // No default button: Enter in the find and go-to fields searches and jumps, and closes nothing.
    new FocusedButtonEnter(this, {findPrevious_, findNext_, goTo_, cancelReading_, close});

    auto* filters = new QHBoxLayout;
    filters->addWidget(errors_);
    filters->addWidget(warnings_);
    filters->addWidget(information_);
    for (QCheckBox* box : unnamed_) {
        filters->addWidget(box);
    }
    filters->addSpacing(12);
    filters->addWidget(codeLabel);
    filters->addWidget(codes_, 1);
    auto* seek = new QHBoxLayout;
    seek->addWidget(findLabel);
    seek->addWidget(find_, 1);
    seek->addWidget(findPrevious_);
    seek->addWidget(findNext_);
    seek->addSpacing(12);
    seek->addWidget(goToLabel);
    seek->addWidget(when_);
    seek->addWidget(goTo_);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(status_, 1);
    bottom->addWidget(loadingBar_);
    bottom->addWidget(count_);
    bottom->addSpacing(12);
    bottom->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filters);
    layout->addLayout(seek);
    layout->addWidget(pages_, 1);
    layout->addLayout(bottom);

    takeTimer_ = new QTimer(this);
    takeTimer_->setTimerType(Qt::PreciseTimer);  // a coarse one made the few ms twice as many
    takeTimer_->setInterval(kTakeIntervalMs);
    connect(takeTimer_, &QTimer::timeout, this, &EntryBrowser::TakeArrivedPieces);

    searchTimer_ = new QTimer(this);
    searchTimer_->setInterval(0);
    connect(searchTimer_, &QTimer::timeout, this, &EntryBrowser::SearchSlice);

    for (QWidget* control :
         std::initializer_list<QWidget*>{errors_, warnings_, information_, unnamed_[0],
                                         unnamed_[1], unnamed_[2], codes_, find_, findPrevious_,
                                         findNext_, when_, goTo_}) {
        control->setEnabled(false);
    }
    filter_ = FilterOfControls();
    resize(std::max(sizeHint().width(), 1000), 640);
}

void EntryBrowser::StartLoading() {
    // The work has the log to itself until the first piece is in; then it shares only the
    // reader, which the log keeps under a lock, with the rows on show.
    worker_ = std::make_unique<BackgroundWork>(
        this,
        [this, log = log_.get(), path = logPath_, loading = loading_, arrived = arrived_](
            const std::atomic<bool>& stop) {
            return log->OpenInPieces(
                path,
                [this, &stop, &loading, &arrived](BrowsedPiece&& piece) {
                    // The first piece is called for at once; the window fetches the rest.
                    // A few pieces wait at most: when the window is slower than the reading,
                    // the reading waits, and the memory the pieces take stays small.
                    bool call = false;
                    {
                        std::unique_lock lock(arrived->lock);
                        while (arrived->pieces.size() >= kMostPiecesWaiting && !stop.load()) {
                            arrived->taken.wait_for(lock, std::chrono::milliseconds(5));
                        }
                        arrived->pieces.push_back(std::move(piece));
                        call = !arrived->called;
                        arrived->called = true;
                    }
                    if (call) {
                        QMetaObject::invokeMethod(
                            this, [this] { TakeArrivedPieces(); }, Qt::QueuedConnection);
                    }
                    if (loading.afterPiece) {
                        loading.afterPiece(stop);
                    }
                },
                &stop, loading.pieces);
        },
        [this](BrowseOpenResult result) { OnLoaded(result); });
}

void EntryBrowser::StopWorker() {
    worker_.reset();
}

void EntryBrowser::TakeArrivedPieces() {
    // A few pieces at a time: taking in rows costs the view time in their number, and a
    // million at once would hold the window up.
    std::vector<BrowsedPiece> pieces;
    {
        const std::lock_guard lock(arrived_->lock);
        std::size_t entries = 0;
        auto taken = arrived_->pieces.begin();
        while (taken != arrived_->pieces.end() &&
               (entries == 0 || entries + taken->entries.size() <= kRowsTakenATurn)) {
            entries += taken->entries.size();
            ++taken;
        }
        pieces.assign(std::make_move_iterator(arrived_->pieces.begin()),
                      std::make_move_iterator(taken));
        arrived_->pieces.erase(arrived_->pieces.begin(), taken);
    }
    arrived_->taken.notify_all();
    if (closed_ || loaded_ || pieces.empty()) {
        return;  // the window is closing, or nothing came since
    }
    const std::size_t from = log_->Index().Size();
    for (BrowsedPiece& piece : pieces) {
        log_->AddPiece(piece);
    }
    std::vector<std::uint32_t> more;
    AppendSelected(log_->Index(), from, filter_, more);
    model_->AppendSelection(more);
    if (!fitted_ && model_->rowCount() >= kFittedRows) {
        FitColumns();
    }
    if (!pieces.back().end) {
        const int total = std::max(pieces.back().total, 1);
        loadingBar_->setRange(0, total);
        loadingBar_->setValue(static_cast<int>(
            std::min<std::size_t>(log_->Index().Size(), static_cast<std::size_t>(total))));
    }
    UpdateCount();
    if (!rowsShown_) {
        ShowRows();
    }
    if (pieces.back().end) {
        Finish(*pieces.back().end);
    }
}

void EntryBrowser::ShowRows() {
    rowsShown_ = true;
    if (!loaded_) {
        // The type boxes apply to the rows there and to those still to come.
        for (QWidget* control : std::initializer_list<QWidget*>{
                 errors_, warnings_, information_, unnamed_[0], unnamed_[1], unnamed_[2]}) {
            control->setEnabled(true);
        }
        status_->setText(LocalText(kBrowserReading));
        loadingBar_->show();
        takeTimer_->start();
    }
    pages_->setCurrentIndex(1);
    table_->setFocus(Qt::OtherFocusReason);
    if (model_->rowCount() > 0 && !table_->currentIndex().isValid()) {
        SelectRow(0);
    }
    emit rowsShown();
}

void EntryBrowser::OnLoaded(BrowseOpenResult result) {
    StopWorker();
    // A log read ends with its last piece, which may still wait to be taken in; one that
    // could not be opened has none.
    if (result == BrowseOpenResult::kCannotOpen && !closed_) {
        Finish(result);
    }
}

void EntryBrowser::Finish(BrowseOpenResult result) {
    loaded_ = true;
    takeTimer_->stop();
    loadingBar_->hide();
    if (status_->text() == LocalText(kBrowserReading)) {
        status_->clear();
    }
    if (result == BrowseOpenResult::kCannotOpen) {
        status_->setText(LocalText(kBrowserCannotRead).arg(QString::fromStdString(log_->Cause())));
    } else if (result == BrowseOpenResult::kPartly) {
        status_->setText(LocalText(kBrowserStoppedAtDamage));
    } else if (result == BrowseOpenResult::kFull) {
        status_->setText(LocalText(kBrowserOnlyFirst)
                             .arg(QLocale(QLocale::English, QLocale::UnitedStates)
                                      .toString(static_cast<qulonglong>(kMostIndexedEntries))));
    }
    FillCodes();
    for (QWidget* control :
         std::initializer_list<QWidget*>{errors_, warnings_, information_, unnamed_[0],
                                         unnamed_[1], unnamed_[2], codes_, find_, findPrevious_,
                                         findNext_, when_, goTo_}) {
        control->setEnabled(result != BrowseOpenResult::kCannotOpen);
    }
    if (!rowsShown_) {
        ApplyFilter();
        FitColumns();
        ShowRows();
    } else if (!fitted_) {
        FitColumns();
    }
    UpdateCount();
    emit loaded();
}

void EntryBrowser::FillCodes() {
    const QSignalBlocker quiet(codes_);
    codeList_->SetCodes(&log_->Codes());
    codes_->setCurrentIndex(0);
}

void EntryBrowser::FitColumns() {
    fitted_ = true;
    // Each column as wide as its header and the texts of the first rows, but none wider than
    // a third of the window, so that the last one, which stretches, keeps room for its texts.
    QHeaderView* columns = table_->horizontalHeader();
    const QFontMetrics metrics = table_->fontMetrics();
    const QFontMetrics headerMetrics = columns->fontMetrics();
    const int pad = 2 * metrics.horizontalAdvance(QLatin1Char('M'));
    const int cap = std::max(width() / 3, 10 * pad);
    std::array<int, EntryTableModel::kColumnCount> widths{};
    for (int column = 0; column < EntryTableModel::kColumnCount; ++column) {
        widths[static_cast<std::size_t>(column)] = headerMetrics.horizontalAdvance(
            model_->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString());
    }
    const int rows = std::min(model_->rowCount(), kFittedRows);
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column + 1 < EntryTableModel::kColumnCount; ++column) {
            int& widest = widths[static_cast<std::size_t>(column)];
            widest = std::max(widest, metrics.horizontalAdvance(
                                          model_->data(model_->index(row, column), Qt::DisplayRole)
                                              .toString()));
        }
    }
    for (int column = 0; column + 1 < EntryTableModel::kColumnCount; ++column) {
        columns->resizeSection(column,
                               std::min(widths[static_cast<std::size_t>(column)] + pad, cap));
    }
}

void EntryBrowser::ApplyFilter() {
    if (!loaded_ && !rowsShown_) {
        return;
    }
    searchTimer_->stop();
    // The row on show stays in view when it passes the new filter, or the next one does.
    const QModelIndex current = table_->currentIndex();
    const bool keep = current.isValid();
    const std::uint32_t shown = keep ? model_->EntryAt(current.row()) : 0;
    filter_ = FilterOfControls();
    model_->SetSelection(SelectEntries(log_->Index(), filter_));
    if (keep && model_->rowCount() > 0) {
        const auto& selection = model_->Selection();
        const auto at = std::lower_bound(selection.begin(), selection.end(), shown);
        SelectRow(static_cast<int>(
            std::min<std::ptrdiff_t>(at - selection.begin(), model_->rowCount() - 1)));
    }
    UpdateCount();
}

EntryFilter EntryBrowser::FilterOfControls() const {
    EntryFilter filter;
    filter.types = {errors_->isChecked(), warnings_->isChecked(), information_->isChecked()};
    filter.unnamed = {unnamed_[0]->isChecked(), unnamed_[1]->isChecked(),
                      unnamed_[2]->isChecked()};
    const QVariant code = codes_->currentData();
    if (code.isValid()) {
        filter.codes.push_back(code.value<std::uint32_t>());
    }
    return filter;
}

void EntryBrowser::UpdateCount() {
    // Thousands grouped the same way in both languages.
    const QLocale grouped(QLocale::English, QLocale::UnitedStates);
    count_->setText(LocalText(kBrowserCount)
                        .arg(grouped.toString(model_->rowCount()),
                             grouped.toString(static_cast<qulonglong>(log_->Index().Size()))));
}

void EntryBrowser::SelectRow(int row) {
    const QModelIndex index = model_->index(row, 0);
    table_->selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    table_->scrollTo(index, QAbstractItemView::PositionAtCenter);
}

void EntryBrowser::FindNext() {
    StartSearch(1);
}

void EntryBrowser::FindPrevious() {
    StartSearch(-1);
}

void EntryBrowser::StartSearch(int direction) {
    searchText_ = find_->text().toStdString();
    if (!loaded_ || searchText_.empty() || model_->rowCount() == 0) {
        return;
    }
    const QModelIndex current = table_->currentIndex();
    searchDirection_ = direction;
    searchStart_ = current.isValid() ? current.row() : (direction > 0 ? -1 : model_->rowCount());
    searchAt_ = searchStart_;
    searchVisited_ = 0;
    searchWrapped_ = false;
    status_->setText(LocalText(kBrowserSearching));
    searchTimer_->start();
}

void EntryBrowser::SearchSlice() {
    const int rows = model_->rowCount();
    for (int step = 0; step < kSearchSlice; ++step) {
        if (searchVisited_ >= rows) {
            EndSearch(-1);
            return;
        }
        searchAt_ += searchDirection_;
        if (searchAt_ >= rows || searchAt_ < 0) {
            searchAt_ = searchAt_ < 0 ? rows - 1 : 0;
            searchWrapped_ = true;
        }
        ++searchVisited_;
        const LogEntryRow* texts = model_->RowTexts(searchAt_);
        if (texts != nullptr && RowContains(*texts, searchText_)) {
            EndSearch(searchAt_);
            return;
        }
    }
}

void EntryBrowser::EndSearch(int foundRow) {
    searchTimer_->stop();
    if (foundRow >= 0) {
        SelectRow(foundRow);
        status_->setText(searchWrapped_ ? LocalText(kBrowserWrapped) : QString());
    } else {
        status_->setText(LocalText(kBrowserNotFound).arg(QString::fromStdString(searchText_)));
    }
    emit searchFinished(foundRow >= 0);
}

void EntryBrowser::GoToTime() {
    if (!loaded_ || model_->rowCount() == 0) {
        return;
    }
    const QString text = when_->text().trimmed();
    const auto local = ParseShownDateTime(text.toStdString());
    if (!local) {
        status_->setText(LocalText(kBrowserNotATime).arg(text));
        when_->setFocus(Qt::OtherFocusReason);
        when_->selectAll();
        return;
    }
    const auto time = PrinterTimeFromLocal(*local, Context().clock);
    const std::size_t place = time ? FirstAtOrAfter(log_->Index(), model_->Selection(), *time)
                                   : model_->Selection().size();
    if (place >= model_->Selection().size()) {
        status_->setText(LocalText(kBrowserNothingAfter));
        return;
    }
    status_->clear();
    SelectRow(static_cast<int>(place));
    table_->setFocus(Qt::OtherFocusReason);
}

void EntryBrowser::CopySelectedRows() {
    // The selection's ranges as they are (a select-all is one), never a list of its rows: the
    // rows are only counted, and only those copied are visited.
    std::vector<RowSpan> spans;
    for (const QItemSelectionRange& range : table_->selectionModel()->selection()) {
        if (range.isValid()) {
            spans.push_back({static_cast<std::size_t>(range.top()),
                             static_cast<std::size_t>(range.bottom())});
        }
    }
    const CopiedRows chosen = ChooseCopiedRows(std::move(spans), kMostRowsCopied);
    if (chosen.rows.empty()) {
        return;
    }
    const CopiedText copied = FormatCopiedRows(
        chosen.rows,
        [this](std::size_t row) { return model_->RowTexts(static_cast<int>(row)); },
        kMostBytesCopied);
    QGuiApplication::clipboard()->setText(QString::fromStdString(copied.text));
    const QLocale grouped(QLocale::English, QLocale::UnitedStates);
    const auto count = static_cast<qulonglong>(copied.rows);
    status_->setText(copied.rows == chosen.total
                         ? LocalText(kCopiedRows).arg(grouped.toString(count))
                         : LocalText(kCopiedFirstRows)
                               .arg(grouped.toString(count),
                                    grouped.toString(static_cast<qulonglong>(chosen.total))));
}

bool EntryBrowser::eventFilter(QObject* watched, QEvent* event) {
    if (watched == table_ &&
        (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
        if (event->type() == QEvent::KeyPress) {
            CopySelectedRows();
        }
        event->accept();
        return true;
    }
    return ViewerDialog::eventFilter(watched, event);
}

void EntryBrowser::reject() {
    closed_ = true;
    searchTimer_->stop();
    takeTimer_->stop();
    StopWorker();
    log_->Close();  // a ".zlg"'s inflated copy goes now, not when the window is deleted
    ViewerDialog::reject();
}

QX7_REGISTER_LOG_VIEWER(EntryBrowser, kBrowserTitle,
                        [](const PageContext& context, const std::string& log, QWidget* parent)
                            -> QDialog* { return new EntryBrowser(context, log, parent); });

}  // namespace qx7::gui
