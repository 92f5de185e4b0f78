#include "gui/log/EntryTableModel.h"

#include <QBrush>
#include <QColor>
#include <QFont>

#include "gui/app/ControlText.h"
#include "gui/log/EntryBrowserTexts.h"

namespace qx7::gui {

EntryTableModel::EntryTableModel(BrowsedLog& log, LanguageId language, QObject* parent)
    : QAbstractTableModel(parent), log_(log), language_(language) {}

void EntryTableModel::SetSelection(std::vector<std::uint32_t> selection) {
    beginResetModel();
    selection_ = std::move(selection);
    cachedRow_ = -1;
    endResetModel();
}

void EntryTableModel::AppendSelection(const std::vector<std::uint32_t>& more) {
    if (more.empty()) {
        return;
    }
    const int first = rowCount();
    beginInsertRows({}, first, first + static_cast<int>(more.size()) - 1);
    selection_.insert(selection_.end(), more.begin(), more.end());
    endInsertRows();
}

const LogEntryRow* EntryTableModel::RowTexts(int row) const {
    if (row < 0 || row >= rowCount()) {
        return nullptr;
    }
    if (row != cachedRow_) {
        cachedRow_ = row;
        cachedOk_ = log_.Row(EntryAt(row), cached_);
    }
    return cachedOk_ ? &cached_ : nullptr;
}

QString EntryTableModel::RowLine(int row) const {
    const LogEntryRow* texts = RowTexts(row);
    return texts != nullptr ? QString::fromStdString(FormatRowLine(*texts)) : QString();
}

int EntryTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(selection_.size());
}

int EntryTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant EntryTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
        const LogEntryRow* row = RowTexts(index.row());
        if (row == nullptr) {
            return role == Qt::DisplayRole && index.column() == kDescription
                       ? QVariant(LocalText(language_, kBrowserRowUnreadable))
                       : QVariant();
        }
        switch (index.column()) {
            case kNumber:
                return QString::asprintf("%06zu", row->number);
            case kDateTime:
                return QString::fromStdString(row->dateTime);
            case kCode:
                return QString::asprintf("%08X", static_cast<unsigned>(row->code));
            case kType:
                return QString::fromStdString(row->typeText);
            case kDescription:
                return QString::fromStdString(row->description);
            case kParameters:
                return QString::fromStdString(row->parameters);
            default:
                return {};
        }
    }
    if (role == Qt::ForegroundRole && index.column() == kType) {
        // Errors stand out in the type column, the only place colour is used.
        const auto type = log_.Index()[EntryAt(index.row())].type;
        if (type == 1 || type == 2) {
            return QBrush(QColor(0xB0, 0x00, 0x20));
        }
    }
    return {};
}

QVariant EntryTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= kColumnCount) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    return LocalText(language_, kBrowserColumnHeaders[section]);
}

}  // namespace qx7::gui
