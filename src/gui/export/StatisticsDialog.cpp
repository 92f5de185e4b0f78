#include "gui/export/StatisticsDialog.h"

#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <memory>
#include <optional>
#include <utility>

#include "core/app/LogFileChoice.h"
#include "core/text/Messages.h"
#include "core/app/QVJServToolApp.h"
#include "core/base/TextEncoder.h"
#include "core/export/StatisticsChart.h"
#include "core/export/StatisticsChartLabels.h"
#include "gui/app/BackgroundWork.h"
#include "gui/app/ControlText.h"
#include "gui/app/FocusedButtonEnter.h"
#include "gui/app/FileChooser.h"
#include "gui/app/WaitCursorScope.h"
#include "gui/log/LogFileName.h"
#include "gui/app/LogViewerRegistry.h"

namespace qx7::gui {
namespace {

constexpr int kTitle = 289;
constexpr int kStatisticsButton = 1192;

constexpr int kSpecifiedDate = 1257;
constexpr int kInsertComment = 1258;
constexpr int kSemicolon = 1336;
constexpr int kComment = 1248;
constexpr int kFolderLabel = 1286;
constexpr int kFolder = 1236;
constexpr int kBrowse = 1243;
constexpr int kDayLabel = 1281;
constexpr int kDayName = 1241;
constexpr int kJobLabel = 1287;
constexpr int kJobName = 1242;
constexpr int kSave = 1244;
constexpr int kCancel = 1245;

// Accessible names of the date fields, which have no label of their own.
constexpr int kStartYearName = 5550;
constexpr int kStartMonthName = 5551;
constexpr int kStartDayName = 5552;
constexpr int kEndYearName = 5553;
constexpr int kEndMonthName = 5554;
constexpr int kEndDayName = 5555;

// The chart's titles.
constexpr int kChartTitle = 5560;
constexpr int kPrintsTitle = 5561;
constexpr int kPrintHoursTitle = 5562;
constexpr int kDateTitle = 5563;
constexpr int kHoursTitle = 5564;
constexpr int kReadingText = 5617;

constexpr char kFolderCaption[] = "Select Folder";

// A pause in typing this long lets the chart follow the range.
constexpr int kChartDelayMs = 250;

// A spin box's number as the user left it: 0 (never valid) when it is no number.
std::uint32_t Typed(const QSpinBox* box) {
    bool ok = false;
    const uint value = box->cleanText().toUInt(&ok);
    return ok ? value : 0;
}

QLabel* Separator(const char* text, QWidget* parent) {
    auto* label = new QLabel(QString::fromLatin1(text), parent);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

}  // namespace

StatisticsDialog::StatisticsDialog(const PageContext& context, std::string logPath,
                                   QWidget* parent)
    : ViewerDialog(context, QStringLiteral("CStatDlg"), parent), logPath_(std::move(logPath)) {
    specifiedDate_ = new QCheckBox(this);
    SetControlNumber(specifiedDate_, kSpecifiedDate);

    // Each edit with its up-down is one spin box: year / month / day - year / month / day.
    startYear_ = AddDateControl(1234, 1251, static_cast<int>(kFirstRangeYear),
                                static_cast<int>(kLastRangeYear), kStartYearName);
    startMonth_ = AddDateControl(1235, 1252, 1, 12, kStartMonthName);
    startDay_ = AddDateControl(1237, 1253, 1, 31, kStartDayName);
    endYear_ = AddDateControl(1238, 1254, static_cast<int>(kFirstRangeYear),
                              static_cast<int>(kLastRangeYear), kEndYearName);
    endMonth_ = AddDateControl(1239, 1255, 1, 12, kEndMonthName);
    endDay_ = AddDateControl(1240, 1256, 1, 31, kEndDayName);
    auto* dates = new QHBoxLayout;
    dates->addWidget(startYear_);
    dates->addWidget(Separator("/", this));
    dates->addWidget(startMonth_);
    dates->addWidget(Separator("/", this));
    dates->addWidget(startDay_);
    dates->addWidget(Separator("-", this));
    dates->addWidget(endYear_);
    dates->addWidget(Separator("/", this));
    dates->addWidget(endMonth_);
    dates->addWidget(Separator("/", this));
    dates->addWidget(endDay_);
    dates->addStretch(1);

    insertComment_ = new QCheckBox(this);
    SetControlNumber(insertComment_, kInsertComment);
    comment_ = new QLineEdit(this);
    SetControlNumber(comment_, kComment);

    semicolon_ = new QCheckBox(this);
    SetControlNumber(semicolon_, kSemicolon);

    auto* folderLabel = new QLabel(this);
    SetControlNumber(folderLabel, kFolderLabel);
    folder_ = new QLineEdit(this);
    SetControlNumber(folder_, kFolder);
    folder_->setReadOnly(true);
    folderLabel->setBuddy(folder_);
    auto* browse = new QPushButton(this);
    SetControlNumber(browse, kBrowse);

    auto* dayLabel = new QLabel(this);
    SetControlNumber(dayLabel, kDayLabel);
    dayName_ = new QLineEdit(this);
    SetControlNumber(dayName_, kDayName);
    dayLabel->setBuddy(dayName_);
    auto* save = new QPushButton(this);
    SetControlNumber(save, kSave);
    save_ = save;

    auto* jobLabel = new QLabel(this);
    SetControlNumber(jobLabel, kJobLabel);
    jobName_ = new QLineEdit(this);
    SetControlNumber(jobName_, kJobName);
    jobLabel->setBuddy(jobName_);
    auto* cancel = new QPushButton(this);
    SetControlNumber(cancel, kCancel);

    // No button is a default one: Enter in a field saves nothing and closes nothing; a focused
    // button takes Enter as it takes Space.
    new FocusedButtonEnter(this, {browse, save, cancel});

    auto* files = new QGridLayout;
    files->addWidget(folderLabel, 0, 0);
    files->addWidget(folder_, 0, 1);
    files->addWidget(browse, 0, 2);
    files->addWidget(dayLabel, 1, 0);
    files->addWidget(dayName_, 1, 1);
    files->addWidget(save, 1, 2);
    files->addWidget(jobLabel, 2, 0);
    files->addWidget(jobName_, 2, 1);
    files->addWidget(cancel, 2, 2);
    files->setColumnStretch(1, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(specifiedDate_);
    layout->addLayout(dates);
    layout->addSpacing(fontMetrics().height() / 2);
    layout->addWidget(insertComment_);
    layout->addWidget(comment_);
    layout->addWidget(semicolon_);
    layout->addSpacing(fontMetrics().height() / 2);
    layout->addLayout(files);
    layout->addSpacing(fontMetrics().height() / 2);
    // The chart takes what the dialog grows by.
    layout->addWidget(MakeChart(), 1);

    SetCtrlText(this, kTitle);
    for (const auto& [control, string] :
         {std::pair{kSpecifiedDate, 339}, std::pair{kInsertComment, 340},
          std::pair{kSemicolon, 341}, std::pair{kFolderLabel, 342}, std::pair{kBrowse, 308},
          std::pair{kDayLabel, 343}, std::pair{kJobLabel, 344}, std::pair{kSave, 346},
          std::pair{kCancel, 347}}) {
        SetCtrlText(control, string);
    }
    // The comment's check box names it.
    comment_->setAccessibleName(WithoutMnemonics(insertComment_->text()));

    // Room for a folder path and a name with its range, whatever the font.
    folder_->setMinimumWidth(fontMetrics().averageCharWidth() * 40);

    const CLogDate today = LocalToday(Context().clock);
    startYear_->setValue(static_cast<int>(kFirstRangeYear));
    startMonth_->setValue(1);
    startDay_->setValue(1);
    endYear_->setValue(static_cast<int>(today.Year()));
    endMonth_->setValue(static_cast<int>(today.Month()));
    endDay_->setValue(static_cast<int>(today.Day()));
    SetWidgetText(folder_,
                  FromFileName(DefaultStatisticsFolder(logPath_, ToFileName(QDir::currentPath()))));
    UpdateFileNames();
    EnableDateControls(false);
    comment_->setEnabled(false);

    connect(specifiedDate_, &QCheckBox::toggled, this, [this] {
        EnableDateControls(specifiedDate_->isChecked());
        UpdateFileNames();
    });
    connect(insertComment_, &QCheckBox::toggled, this,
            [this] { comment_->setEnabled(insertComment_->isChecked()); });
    for (QSpinBox* box : {startYear_, startMonth_, startDay_, endYear_, endMonth_, endDay_}) {
        connect(box, &QSpinBox::valueChanged, this, &StatisticsDialog::UpdateFileNames);
    }
    chartTimer_ = new QTimer(this);
    chartTimer_->setObjectName(QStringLiteral("chartTimer"));
    chartTimer_->setSingleShot(true);
    chartTimer_->setInterval(kChartDelayMs);
    connect(chartTimer_, &QTimer::timeout, this, &StatisticsDialog::UpdateChart);
    const auto later = [this] { chartTimer_->start(); };
    connect(specifiedDate_, &QCheckBox::toggled, this, later);
    for (QSpinBox* box : {startYear_, startMonth_, startDay_, endYear_, endMonth_, endDay_}) {
        connect(box, &QSpinBox::valueChanged, this, later);
    }
    connect(browse, &QPushButton::clicked, this, &StatisticsDialog::ChooseFolder);
    connect(save, &QPushButton::clicked, this, &StatisticsDialog::Save);
    connect(cancel, &QPushButton::clicked, this, &StatisticsDialog::reject);

    // The records are read on a worker; until they are there the chart says so and nothing
    // can be saved.
    BeginReading();
    save_->setEnabled(false);
    chartView_->chart()->setTitle(LocalText(kReadingText));
    reading_ = std::make_unique<BackgroundWork>(
        this,
        [path = logPath_, &clock = Context().clock](const std::atomic<bool>&) {
            Read read;
            read.loaded = LoadStatisticsRecords(path, read.records, clock);
            return read;
        },
        [this](Read read) { ShowRead(std::move(read)); });
}

StatisticsDialog::~StatisticsDialog() = default;

void StatisticsDialog::done(int result) {
    if (reading_) {
        reading_->Stop();
    }
    ViewerDialog::done(result);
}

void StatisticsDialog::ShowRead(Read read) {
    reading_.reset();
    EndReading();
    if (read.loaded < 0) {
        // A log that cannot be read is told with the dialog gone, instead of giving files with
        // the header only.
        const Messages& messages = Msg();
        done(QDialog::Rejected);
        messages.ShowMessage(kMsgOpenFileFailed, read.loaded);
        return;
    }
    records_ = std::move(read.records);
    chartView_->chart()->setTitle(LocalText(kChartTitle));
    save_->setEnabled(true);
    UpdateChart();
    emit readingFinished();
}

QChartView* StatisticsDialog::MakeChart() {
    auto* chart = new QChart;
    chart->setTitle(LocalText(kChartTitle));
    chart->legend()->setAlignment(Qt::AlignBottom);

    prints_ = new QBarSet(LocalText(kPrintsTitle));
    printsSeries_ = new QBarSeries;
    printsSeries_->setObjectName(QStringLiteral("prints"));
    printsSeries_->setName(LocalText(kPrintsTitle));
    printsSeries_->append(prints_);
    printHours_ = new QLineSeries;
    printHours_->setObjectName(QStringLiteral("printHours"));
    printHours_->setName(LocalText(kPrintHoursTitle));
    chart->addSeries(printsSeries_);
    chart->addSeries(printHours_);

    // The days are the series' indexes (the day file's order); a few of them carry a date.
    days_ = new QCategoryAxis;
    days_->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    days_->setTitleText(LocalText(kDateTitle));
    days_->setGridLineVisible(false);
    printsAxis_ = new QValueAxis;
    printsAxis_->setTitleText(LocalText(kPrintsTitle));
    printsAxis_->setLabelFormat(QStringLiteral("%d"));
    hoursAxis_ = new QValueAxis;
    hoursAxis_->setTitleText(LocalText(kHoursTitle));
    hoursAxis_->setLabelFormat(QStringLiteral("%.1f"));
    hoursAxis_->setGridLineVisible(false);
    chart->addAxis(days_, Qt::AlignBottom);
    chart->addAxis(printsAxis_, Qt::AlignLeft);
    chart->addAxis(hoursAxis_, Qt::AlignRight);
    printsSeries_->attachAxis(days_);
    printsSeries_->attachAxis(printsAxis_);
    printHours_->attachAxis(days_);
    printHours_->attachAxis(hoursAxis_);

    chartView_ = new QChartView(chart, this);
    chartView_->setObjectName(QStringLiteral("chart"));
    chartView_->setRenderHint(QPainter::Antialiasing);
    chartView_->setAccessibleName(chart->title());
    const QFontMetrics metrics = fontMetrics();
    chartView_->setMinimumSize(std::max(560, metrics.averageCharWidth() * 80),
                               std::max(320, metrics.height() * 22));
    return chartView_;
}

bool StatisticsDialog::IsChartCurrent() const {
    return !IsReading() && !chartTimer_->isActive();
}

void StatisticsDialog::UpdateChart() {
    chartTimer_->stop();
    if (IsReading()) {
        return;  // drawn once the records are there
    }
    // A range being typed that is no range yet leaves the chart as it was.
    const std::optional<stats::DateRange> range = ChosenRange(ReadControls());
    if (!range) {
        return;
    }
    std::vector<ChartDay> points;
    {
        WaitCursorScope wait;
        points = BuildChartDays(records_, *range, Context().clock, LocalToday(Context().clock));
    }

    QList<qreal> prints;
    QList<QPointF> hours;
    prints.reserve(static_cast<qsizetype>(points.size()));
    hours.reserve(static_cast<qsizetype>(points.size()));
    qreal mostPrints = 0;
    qreal mostHours = 0;
    for (const ChartDay& point : points) {
        prints.append(point.prints);
        hours.append(QPointF(static_cast<qreal>(hours.size()), point.printHours));
        mostPrints = std::max<qreal>(mostPrints, point.prints);
        mostHours = std::max(mostHours, point.printHours);
    }
    prints_->remove(0, prints_->count());
    prints_->append(prints);
    printHours_->replace(hours);

    for (const QString& label : days_->categoriesLabels()) {
        days_->remove(label);
    }
    const int count = static_cast<int>(points.size());
    days_->setStartValue(-0.5);
    const ChartDateLabels dates = LabelChartDays(points);
    for (const ChartDateLabel& label : dates.labels) {
        days_->append(QString::fromStdString(label.text), static_cast<qreal>(label.index));
    }
    days_->setTitleText(dates.axisYear.empty()
                            ? LocalText(kDateTitle)
                            : LocalText(kDateTitle) + QStringLiteral(" (") +
                                  QString::fromStdString(dates.axisYear) + QStringLiteral(")"));
    days_->setRange(-0.5, std::max(count, 1) - 0.5);
    printsAxis_->setRange(0, std::max<qreal>(mostPrints, 1));
    printsAxis_->applyNiceNumbers();
    hoursAxis_->setRange(0, std::max<qreal>(mostHours, 1));
    hoursAxis_->applyNiceNumbers();
    emit chartUpdated();
}

QSpinBox* StatisticsDialog::AddDateControl(int editNumber, int upDownNumber, int minimum,
                                           int maximum, int accessibleText) {
    auto* box = new QSpinBox(this);
    SetControlNumber(box, editNumber);
    box->setProperty("upDown", upDownNumber);
    box->setRange(minimum, maximum);
    box->setGroupSeparatorShown(false);
    box->setAlignment(Qt::AlignRight);
    box->setAccessibleName(LocalText(accessibleText));
    return box;
}

StatisticsDialog::Input StatisticsDialog::ReadControls() const {
    Input input;
    input.specifiedDate = specifiedDate_->isChecked();
    input.insertComment = insertComment_->isChecked();
    input.semicolon = semicolon_->isChecked();
    input.start = {Typed(startYear_), Typed(startMonth_), Typed(startDay_)};
    input.end = {Typed(endYear_), Typed(endMonth_), Typed(endDay_)};
    input.comment = comment_->text().toStdString();
    input.folder = ToFileName(folder_->text());
    input.dayFileName = ToFileName(dayName_->text());
    input.jobFileName = ToFileName(jobName_->text());
    return input;
}

std::optional<stats::DateRange> StatisticsDialog::ChosenRange(const Input& input) {
    if (!input.specifiedDate) {
        return stats::DateRange();  // every day
    }
    if (!IsValidRangeInput(input.start, input.end)) {
        return std::nullopt;
    }
    return MakeDateRange(input.start, input.end);
}

void StatisticsDialog::EnableDateControls(bool on) {
    for (QSpinBox* box : {startYear_, startMonth_, startDay_, endYear_, endMonth_, endDay_}) {
        box->setEnabled(on);
    }
}

void StatisticsDialog::UpdateFileNames() {
    // Both names follow the range; a name the user typed is replaced.
    const auto value = [](const QSpinBox* box) { return static_cast<std::uint32_t>(box->value()); };
    const std::string suffix = MakeRangeSuffix(
        specifiedDate_->isChecked(), {value(startYear_), value(startMonth_), value(startDay_)},
        {value(endYear_), value(endMonth_), value(endDay_)});
    SetWidgetText(dayName_, FromFileName(DefaultDayFileName(logPath_, suffix)));
    SetWidgetText(jobName_, FromFileName(DefaultJobFileName(logPath_, suffix)));
}

void StatisticsDialog::ChooseFolder() {
    const QString chosen =
        Context().files.Folder(this, QString::fromLatin1(kFolderCaption), folder_->text());
    if (!chosen.isEmpty()) {
        SetWidgetText(folder_, chosen);
    }
}

void StatisticsDialog::Save() {
    const Input input = ReadControls();
    const std::optional<stats::DateRange> range = ChosenRange(input);
    if (!range) {
        return;
    }
    StatisticsSaveRequest request;
    request.logPath = logPath_;
    request.folder = input.folder;
    request.dayFileName = input.dayFileName;
    request.jobFileName = input.jobFileName;
    request.range = *range;
    request.semicolon = input.semicolon;
    request.comment = input.insertComment ? input.comment : std::string();

    StatisticsSaveResult result;
    {
        // The message sink lifts the hourglass while a question or a message is up.
        WaitCursorScope wait;
        const Utf8PassThrough utf8;
        StatisticsOutputContext output{Context().clock, utf8, Msg(), LocalToday(Context().clock),
                                       nullptr};
        output.confirmOverride = [this](const std::string& path) {
            return Msg().Sink().AskYesNo(OverrideQuestion(path));
        };
        result = SaveStatisticsFiles(records_, request, output);
    }
    // A bad name or a file that could not be created leaves the dialog open to mend it.
    if (StatisticsSaveCompleted(result)) {
        done(QDialog::Accepted);
    }
}

namespace {

QDialog* MakeStatDlg(const PageContext& context, const std::string& log, QWidget* parent) {
    return new StatisticsDialog(context, log, parent);
}

}  // namespace

QX7_REGISTER_LOG_VIEWER(StatisticsDialog, kStatisticsButton, MakeStatDlg);

}  // namespace qx7::gui
