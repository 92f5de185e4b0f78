#pragma once
// "Check Operation": one of eight analyses of the log (errors, parts exchanges, cleanings,
// prints ...) listed newest first up to a chosen number of lines. The listing is made on a
// thread of its own and fills the view piece by piece while the window stays responsive; a new
// Display, another analysis or closing the dialog stops the run in progress.

#include <QTimer>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "gui/app/ViewerDialog.h"
#include "gui/app/WaitCursorScope.h"

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace qx7::gui {

class AnalysisListingRun;

// "All" on the largest log a printer keeps lists some hundred thousand lines; a view of many
// more would take memory without bound (a log file may claim up to 2 GiB of entries).
inline constexpr long kMaxShownLines = 500000;

class LogAnalysisDialog final : public ViewerDialog {
    Q_OBJECT

  public:
    LogAnalysisDialog(const PageContext& context, const std::string& logPath, QWidget* parent);
    ~LogAnalysisDialog() override;

    // Lists the chosen analysis with the chosen maximum, replacing a run in progress.
    void Display();
    // A listing is being made or has pieces not yet shown.
    bool IsRunning() const { return run_ != nullptr; }
    // The most lines the view holds; a longer listing ends with a line that says it was cut.
    // From the next Display on (tests lower it).
    void SetLineLimit(long lines) { lineLimit_ = lines; }

    void done(int result) override;

  signals:
    // The view holds the whole listing of the last Display (or stays empty when the log could
    // not be read) and the messages of that run have been shown.
    void listingFinished();

  private:
    void OnAnalysisChanged(int index);
    // On the window's thread whenever a run has something to hand over or has ended.
    void OnRunWoke();
    void TakePieces();
    void FinishRun();
    void StopRuns();
    void ReapStoppedRuns();

    std::string logPath_;
    QComboBox* analyses_ = nullptr;
    QComboBox* maxima_ = nullptr;
    QPushButton* display_ = nullptr;
    QPlainTextEdit* result_ = nullptr;
    QLabel* zone_ = nullptr;
    int lastAnalysis_ = 0;
    long lineLimit_ = kMaxShownLines;
    long shownLines_ = 0;
    // Takes the next pieces once the events that came during a slice have been seen to.
    QTimer moreTimer_;

    std::unique_ptr<AnalysisListingRun> run_;
    // Runs told to stop that may still be on their way out; joined once they have ended.
    std::vector<std::unique_ptr<AnalysisListingRun>> stopping_;
    std::optional<WaitCursorScope> wait_;
};

}  // namespace qx7::gui
