#pragma once
// The entry browser: every entry of a saved log in a table, filtered by type and code,
// searched for words, jumped to a moment, rows copied as text. The log is opened on a worker
// thread behind a progress bar, then indexed there a piece at a time: the rows of each piece
// join the table as it comes (the type boxes apply to them), and the code list, the search
// and the go-to field follow once every piece is in. Rows are decoded as they are shown.

#include <QDialog>
#include <QPointer>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

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

// How the browser reads its log: the sizes of the index's pieces, and, for tests, a call on
// the reading thread after each piece is handed over (a test holds the reading there; the call
// must return once `stop` is set, as the browser closing sets it).
struct EntryBrowserLoading {
    IndexPieceSizes pieces;
    std::function<void(const std::atomic<bool>& stop)> afterPiece;
};

class EntryBrowser final : public ViewerDialog {
    Q_OBJECT

  public:
    EntryBrowser(const PageContext& context, const std::string& logPath, QWidget* parent,
                 EntryBrowserLoading loading = {});
    ~EntryBrowser() override;

    // True once the log is indexed (or could not be) and the table shows its rows.
    bool IsLoaded() const { return loaded_; }
    // True once the table is on show, its first rows there while the rest are read.
    bool ShowsRows() const { return rowsShown_; }
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
    // The first rows are on show (or the table, empty, once the log could not be read).
    void rowsShown();
    void loaded();
    // A search came to an end: a row was selected, or none holds the text.
    void searchFinished(bool found);

  private:
    void BuildControls();
    void StartLoading();
    void TakeArrivedPieces();
    void ShowRows();
    void OnLoaded(BrowseOpenResult result);
    void Finish(BrowseOpenResult result);
    void ApplyFilter();
    EntryFilter FilterOfControls() const;
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
    EntryBrowserLoading loading_;
    // Pieces read and not yet taken in. The reading leaves them here and calls for the first
    // one; the window fetches the rest a few at a time on a timer, however fast they come, so
    // that it paints and answers in between.
    struct ArrivedPieces {
        std::mutex lock;
        std::condition_variable taken;
        std::vector<BrowsedPiece> pieces;
        bool called = false;
    };
    std::shared_ptr<ArrivedPieces> arrived_ = std::make_shared<ArrivedPieces>();
    std::unique_ptr<BackgroundWork> worker_;  // opens and indexes the log
    bool loaded_ = false;
    bool rowsShown_ = false;
    bool fitted_ = false;
    bool closed_ = false;
    // The filter the rows on show passed, which the rows still to come pass too.
    EntryFilter filter_;

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
    QProgressBar* loadingBar_ = nullptr;  // beside the status while rows are still read

    // The search runs in slices between events, so the window stays usable.
    QTimer* searchTimer_ = nullptr;
    QTimer* takeTimer_ = nullptr;  // fetches the pieces read while the log is read
    int searchDirection_ = 1;
    int searchStart_ = 0;
    int searchAt_ = 0;
    int searchVisited_ = 0;
    bool searchWrapped_ = false;
    std::string searchText_;
};

}  // namespace qx7::gui
