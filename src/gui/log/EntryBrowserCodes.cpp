#include "gui/log/EntryBrowserCodes.h"

#include <algorithm>

#include "core/export/EntryBrowsing.h"
#include "core/log/FirmLogCode.h"
#include "gui/app/ControlText.h"
#include "gui/log/EntryBrowserTexts.h"

namespace qx7::gui {

EntryCodeListModel::EntryCodeListModel(LanguageId language, QObject* parent)
    : QAbstractListModel(parent), language_(language) {}

void EntryCodeListModel::SetCodes(const std::vector<std::uint32_t>* codes) {
    beginResetModel();
    codes_ = codes;
    endResetModel();
}

int EntryCodeListModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid()) {
        return 0;
    }
    return 1 + (codes_ != nullptr ? static_cast<int>(codes_->size()) : 0);
}

QVariant EntryCodeListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    if (index.row() == 0) {
        return role == Qt::DisplayRole ? QVariant(LocalText(language_, kBrowserAllCodes))
                                       : QVariant();
    }
    const std::uint32_t code = (*codes_)[static_cast<std::size_t>(index.row() - 1)];
    if (role == Qt::UserRole) {
        return QVariant::fromValue(code);
    }
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
        static const CFirmLogCode table;
        ++textsMade_;
        return QString::asprintf("%08X  ", static_cast<unsigned>(code)) +
               QString::fromUtf8(table.Describe(code, language_));
    }
    return {};
}

QModelIndexList EntryCodeListModel::match(const QModelIndex& start, int role,
                                          const QVariant& value, int hits,
                                          Qt::MatchFlags flags) const {
    const QString text = value.toString();
    // Only the search typing makes (case aside); any other falls to the row-by-row search.
    const bool startsWith = (flags & Qt::MatchTypeMask).toInt() ==
                            static_cast<unsigned>(Qt::MatchStartsWith);
    if (codes_ == nullptr || role != Qt::DisplayRole || hits != 1 || text.isEmpty() ||
        !startsWith || flags.testFlag(Qt::MatchCaseSensitive)) {
        return QAbstractListModel::match(start, role, value, hits, flags);
    }
    // The rows whose digits start with the text follow one another, so the first match at or
    // after the start row is the start row itself or the first of them.
    const QString all = LocalText(language_, kBrowserAllCodes);
    const auto matches = [&](int row) {
        if (row == 0) {
            return all.startsWith(text, Qt::CaseInsensitive);
        }
        const auto code = (*codes_)[static_cast<std::size_t>(row - 1)];
        return QString::asprintf("%08X", static_cast<unsigned>(code))
            .startsWith(text, Qt::CaseInsensitive);
    };
    const int from = std::clamp(start.row(), 0, rowCount() - 1);
    if (matches(from)) {
        return {index(from)};
    }
    const std::size_t at = FirstCodeWithPrefix(*codes_, text.toStdString());
    const int first = at < codes_->size() ? static_cast<int>(at) + 1 : -1;
    if (first > from) {
        return {index(first)};
    }
    if (flags.testFlag(Qt::MatchWrap)) {
        if (matches(0)) {
            return {index(0)};
        }
        if (first > 0) {
            return {index(first)};
        }
    }
    return {};
}

int EntryCodeListStyle::styleHint(StyleHint hint, const QStyleOption* option,
                                  const QWidget* widget, QStyleHintReturn* returnData) const {
    if (hint == QStyle::SH_ComboBox_Popup) {
        return 0;
    }
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}

}  // namespace qx7::gui
