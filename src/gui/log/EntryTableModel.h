#pragma once
// The rows of the entry browser: the entries a filter selected, each decoded from the log only
// when the view asks for it. Nothing of an entry's text is kept beyond the last row asked for
// and the log's few stretches of recent entries.

#include <QAbstractTableModel>
#include <cstdint>
#include <vector>

#include "core/text/Language.h"
#include "core/export/BrowsedLog.h"

namespace qx7::gui {

class EntryTableModel final : public QAbstractTableModel {
    Q_OBJECT

  public:
    enum Column : int {
        kNumber,
        kDateTime,
        kCode,
        kType,
        kDescription,
        kParameters,
        kColumnCount,
    };

    EntryTableModel(BrowsedLog& log, LanguageId language, QObject* parent = nullptr);

    // The entries to show (index positions in log order); the view starts over.
    void SetSelection(std::vector<std::uint32_t> selection);
    // More entries to show after those shown (an index growing while the log is read): the
    // rows on show, the current one and the selection stay where they are.
    void AppendSelection(const std::vector<std::uint32_t>& more);
    const std::vector<std::uint32_t>& Selection() const { return selection_; }

    // The entry (its place in the whole log) shown in the row.
    std::uint32_t EntryAt(int row) const { return selection_[static_cast<std::size_t>(row)]; }
    // The row's texts, valid until another row is asked for; nullptr when the entry cannot be
    // read again. The view asks for every column of a row in turn: the row is decoded once.
    const LogEntryRow* RowTexts(int row) const;
    // The text export's line of the row.
    QString RowLine(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  private:
    BrowsedLog& log_;
    LanguageId language_;
    std::vector<std::uint32_t> selection_;
    mutable int cachedRow_ = -1;
    mutable LogEntryRow cached_;
    mutable bool cachedOk_ = false;
};

}  // namespace qx7::gui
