#pragma once
// The texts of the settings display: the header fields, one row per value row of the block with
// its number, address, size, value and name, and the mark of rows that differ from the factory
// values.

#include <cstdint>
#include <optional>
#include <string>

#include "core/settings/EEPFile.h"

namespace qx7 {

enum SettingsColumn : int {
    kColumnNumber = 0,
    kColumnAddress = 1,
    kColumnSize = 2,
    kColumnData = 3,
    kColumnName = 4,
    kSettingsColumnCount = 5,
};

// Image of a row's first column: none, or the red mark of a value that differs.
inline constexpr int kNoImage = -1;
inline constexpr int kDiffersImage = 1;

// Where a move to the next or previous differing row lands, and whether it went round the end
// of the table to get there.
struct DifferingRowStep {
    std::int32_t row = 0;
    bool wrapped = false;

    friend bool operator==(const DifferingRowStep&, const DifferingRowStep&) = default;
};

// "EEPROM-8011.csv"
std::string SettingsSaveName(std::int32_t blockId);

class SettingsRows {
  public:
    // factory may be nullptr (no comparison asked). Both files must outlive this object.
    SettingsRows(const CEEPFile& values, const CEEPFile* factory);

    bool HasHeader() const { return hasHeader_; }
    const std::string& BlockIdText() const { return blockIdText_; }
    const std::string& VersionText() const { return versionText_; }
    const std::string& Signature() const { return signature_; }
    const std::string& Title() const { return title_; }
    const std::string& SaveName() const { return saveName_; }

    std::int32_t RowCount() const { return hasHeader_ ? values_.GetCount() : 0; }
    // Text of row r (0 = first value row), column c; empty outside the table.
    std::string ItemText(std::int32_t row, int column) const;
    int ItemImage(std::int32_t row, int column) const;
    bool Differs(std::int32_t row) const;

    // How many rows differ from the factory values; 0 when no comparison was asked.
    std::int32_t DifferingRowCount() const;
    // The first differing row after `from` (direction > 0) or before it (direction < 0), going
    // round the end of the table once; it is `from` itself when that is the only one. `from` is
    // -1 (or any row outside the table) when no row is chosen: the search then starts at the
    // top going down, at the bottom going up, and never counts as wrapped. None when no row
    // differs or no comparison was asked.
    std::optional<DifferingRowStep> NextDifferingRow(std::int32_t from, int direction) const;

  private:
    const CEEPFile& values_;
    const CEEPFile* factory_;
    bool hasHeader_ = false;
    std::string blockIdText_;
    std::string versionText_;
    std::string signature_;
    std::string title_;
    std::string saveName_;
};

}  // namespace qx7
