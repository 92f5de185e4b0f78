#pragma once
// The entry browser: every entry of a saved log in a table, filtered by type and code,
// searched for words, jumped to a moment, rows copied as text. The log is opened and indexed
// on a worker thread behind a progress bar; afterwards rows are decoded as they are shown.

#include <QDialog>
#include <QPointer>
#include <memory>
#include <string>

#include "core/export/BrowsedLog.h"
#include "gui/app/BackgroundWork.h"
#include "gui/app/ViewerDialog.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QStackedWidget;
class QTableView;
class QTimer;

namespace qx7::gui {

class EntryCodeListModel;
class EntryTableModel;

class EntryBrowser final : public ViewerDialog {
    Q_OBJECT

  public:
    EntryBrowser(const PageContext& context, const std::string& logPath, QWidget* parent);
    ~EntryBrowser() override;

    // True once the log is indexed (or could not be) and the table shows its rows.
    bool IsLoaded() const { return loaded_; }
    EntryTableModel* Model() const { return model_; }
    QTableView* Table() const { return table_; }

    // The actions behind the controls, for the keyboard and for tests.
    void FindNext();
    void FindPrevious();
    void GoToTime();
    void CopySelectedRows();

    // Closing stops the reading and closes the log (a ".zlg"'s inflated copy goes with it).
    void reject() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  signals:
    void loaded();
    // A search came to an end: a row was selected, or none holds the text.
    void searchFinished(bool found);

  private:
    void BuildControls();
    void StartLoading();
    void OnProgress(qulonglong indexed, int total);
    void OnLoaded(BrowseOpenResult result);
    void ApplyFilter();
    void FillCodes();
    void FitColumns();
    void UpdateCount();
    void StartSearch(int direction);
    void SearchSlice();
    void EndSearch(int foundRow);
    void SelectRow(int row);
    void StopWorker();

    std::string logPath_;
    std::unique_ptr<BrowsedLog> log_;
    std::unique_ptr<BackgroundWork> worker_;  // opens and indexes the log
    bool loaded_ = false;
    bool closed_ = false;

    EntryTableModel* model_ = nullptr;
    QStackedWidget* pages_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* reading_ = nullptr;
    QPushButton* cancelReading_ = nullptr;
    QTableView* table_ = nullptr;
    QCheckBox* errors_ = nullptr;
    QCheckBox* warnings_ = nullptr;
    QCheckBox* information_ = nullptr;
    // Types 0, 6 and 7, in that order.
    QCheckBox* unnamed_[3] = {};
    QComboBox* codes_ = nullptr;
    EntryCodeListModel* codeList_ = nullptr;
    QLineEdit* find_ = nullptr;
    QPushButton* findPrevious_ = nullptr;
    QPushButton* findNext_ = nullptr;
    QLineEdit* when_ = nullptr;
    QPushButton* goTo_ = nullptr;
    QLabel* status_ = nullptr;
    QLabel* count_ = nullptr;

    // The search runs in slices between events, so the window stays usable.
    QTimer* searchTimer_ = nullptr;
    int searchDirection_ = 1;
    int searchStart_ = 0;
    int searchAt_ = 0;
    int searchVisited_ = 0;
    bool searchWrapped_ = false;
    std::string searchText_;
};

}  // namespace qx7::gui
