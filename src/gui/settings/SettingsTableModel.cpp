#include "gui/settings/SettingsTableModel.h"

#include <array>
#include <utility>

#include "core/settings/SettingsRows.h"
#include "gui/settings/DiffersMark.h"

namespace qx7::gui {
namespace {

struct ColumnInfo {
    const char* title;
    int width;
};

// The list's own column texts, the same in both languages.
constexpr std::array<ColumnInfo, kSettingsColumnCount> kColumns{{
    {"No.", 45},
    {"Addr", 55},
    {"Size", 40},
    {"Data", 160},
    {"Name", 400},
}};

}  // namespace

SettingsTableModel::SettingsTableModel(const SettingsRows& rows, QString markText, QObject* parent)
    : QAbstractTableModel(parent),
      rows_(rows),
      mark_(DiffersMarkIcon()),
      markText_(std::move(markText)) {}

int SettingsTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_.RowCount();
}

int SettingsTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kSettingsColumnCount;
}

bool SettingsTableModel::Marked(const QModelIndex& index) const {
    return rows_.ItemImage(index.row(), index.column()) == kDiffersImage;
}

QVariant SettingsTableModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
        return {};
    }
    switch (role) {
        case Qt::DisplayRole:
            return QString::fromStdString(rows_.ItemText(index.row(), index.column()));
        case Qt::DecorationRole:
            return Marked(index) ? QVariant(mark_) : QVariant();
        case Qt::ToolTipRole:
        case Qt::AccessibleDescriptionRole:
            return Marked(index) ? QVariant(markText_) : QVariant();
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
        default:
            return {};
    }
}

QVariant SettingsTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kSettingsColumnCount) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    if (role == Qt::DisplayRole) {
        return ColumnTitle(section);
    }
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    }
    return {};
}

Qt::ItemFlags SettingsTableModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

QString SettingsTableModel::ColumnTitle(int column) {
    return column >= 0 && column < kSettingsColumnCount
               ? QString::fromLatin1(kColumns[static_cast<std::size_t>(column)].title)
               : QString();
}

int SettingsTableModel::ColumnWidth(int column) {
    return column >= 0 && column < kSettingsColumnCount
               ? kColumns[static_cast<std::size_t>(column)].width
               : 0;
}

}  // namespace qx7::gui
