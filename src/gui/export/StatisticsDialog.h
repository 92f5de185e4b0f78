#pragma once
// The statistics of a saved log as two CSV files (day rows and job rows): an optional range of
// days, an optional comment line, semicolons for commas, the output folder and both names.
// The records are read on a worker when the dialog opens; each Save computes the files from them
// anew.
// Below, a chart of the range's days (prints as bars, print hours as a line) follows the range.

#include <memory>
#include <optional>
#include <string>

#include "core/export/StatisticsFiles.h"
#include "core/log/LogList.h"
#include "gui/app/ViewerDialog.h"

class QBarSet;
class QBarSeries;
class QCategoryAxis;
class QChartView;
class QCheckBox;
class QLineEdit;
class QLineSeries;
class QPushButton;
class QSpinBox;
class QTimer;
class QValueAxis;

namespace qx7::gui {

class BackgroundWork;

class StatisticsDialog final : public ViewerDialog {
    Q_OBJECT

  public:
    // Reads the log's records with the context's clock (LoadStatisticsRecords); one that
    // cannot be read closes the dialog and says why.
    StatisticsDialog(const PageContext& context, std::string logPath, QWidget* parent);
    // Closing stops the reading (its result is dropped); deleting waits for its thread.
    ~StatisticsDialog() override;
    void done(int result) override;

    // Enter must not close the dialog: only a save that did its work does (done()).
    void accept() override {}

    // True when the chart shows the controls' range (no change waits for its update).
    bool IsChartCurrent() const;

  signals:
    // The chart was drawn anew for the range the controls hold.
    void chartUpdated();

  private:
    struct Read {
        int loaded = 0;
        CLogList records;
    };
    void ShowRead(Read read);

    // What the controls hold, as the files are computed from it.
    struct Input {
        bool specifiedDate = false;
        bool insertComment = false;
        bool semicolon = false;
        StatisticsDateInput start;
        StatisticsDateInput end;
        std::string comment;  // UTF-8
        std::string folder;   // file-name bytes
        std::string dayFileName;
        std::string jobFileName;
    };

    QSpinBox* AddDateControl(int editNumber, int upDownNumber, int minimum, int maximum,
                             int accessibleText);
    Input ReadControls() const;
    // Every day when no range is ticked, the range ticked, or nothing while the dates typed are
    // no range yet.
    static std::optional<stats::DateRange> ChosenRange(const Input& input);
    void EnableDateControls(bool on);
    void UpdateFileNames();
    void ChooseFolder();
    void Save();
    QChartView* MakeChart();
    void UpdateChart();

    std::string logPath_;
    CLogList records_;

    QCheckBox* specifiedDate_ = nullptr;
    QCheckBox* insertComment_ = nullptr;
    QCheckBox* semicolon_ = nullptr;
    QSpinBox* startYear_ = nullptr;
    QSpinBox* startMonth_ = nullptr;
    QSpinBox* startDay_ = nullptr;
    QSpinBox* endYear_ = nullptr;
    QSpinBox* endMonth_ = nullptr;
    QSpinBox* endDay_ = nullptr;
    QLineEdit* comment_ = nullptr;
    QLineEdit* folder_ = nullptr;
    QLineEdit* dayName_ = nullptr;
    QLineEdit* jobName_ = nullptr;

    QChartView* chartView_ = nullptr;
    QBarSet* prints_ = nullptr;
    QBarSeries* printsSeries_ = nullptr;
    QLineSeries* printHours_ = nullptr;
    QCategoryAxis* days_ = nullptr;
    QValueAxis* printsAxis_ = nullptr;
    QValueAxis* hoursAxis_ = nullptr;
    // Typing a date restarts it: the chart is computed once the typing pauses.
    QTimer* chartTimer_ = nullptr;
    QPushButton* save_ = nullptr;
    std::unique_ptr<BackgroundWork> reading_;  // last: its thread ends before the rest goes
};

}  // namespace qx7::gui
