#pragma once
// The entry browser's code list: "All codes", then each code of the log once with its
// description. The codes stay a sorted vector of integers; a row's text is made only when the
// list shows it, so a log of millions of different codes costs four bytes a code here.

#include <QAbstractListModel>
#include <QProxyStyle>
#include <cstdint>
#include <vector>

#include "core/text/Language.h"

namespace qx7::gui {

class EntryCodeListModel final : public QAbstractListModel {
    Q_OBJECT

  public:
    EntryCodeListModel(LanguageId language, QObject* parent = nullptr);

    // The codes to list, ascending and each once; the list starts over.
    void SetCodes(const std::vector<std::uint32_t>* codes);

    int rowCount(const QModelIndex& parent = {}) const override;
    // Display: the row's text; Qt::UserRole: the code (nothing for "All codes").
    QVariant data(const QModelIndex& index, int role) const override;
    // Typing in the list finds a code by its leading hexadecimal digits at once, without making
    // every row's text.
    QModelIndexList match(const QModelIndex& start, int role, const QVariant& value, int hits,
                          Qt::MatchFlags flags) const override;

    // How many rows' texts were made so far: the list makes those it shows, not every one.
    std::size_t TextsMade() const { return textsMade_; }

  private:
    LanguageId language_;
    const std::vector<std::uint32_t>* codes_ = nullptr;
    mutable std::size_t textsMade_ = 0;
};

// The code list's style: a list dropped below the box, not a menu over it. A menu-like list
// measures every row's text to find its width and every row's place to find its height when
// it opens (ten seconds for a million codes); the dropped list looks at the rows it shows.
class EntryCodeListStyle final : public QProxyStyle {
    Q_OBJECT

  public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption* option = nullptr,
                  const QWidget* widget = nullptr,
                  QStyleHintReturn* returnData = nullptr) const override;
};

}  // namespace qx7::gui
