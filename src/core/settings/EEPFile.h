#pragma once
// An EEPROM block template parsed into its entries, optionally filled with the values of a block
// read from a log, and written back as the settings CSV file.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/text/Messages.h"
#include "core/log/MessageReport.h"
#include "core/base/AtomicOutputFile.h"
#include "core/settings/MemEntry.h"

namespace qx7 {

inline constexpr int kMsgIllegalFormat = 236;

// The number that goes with "File I/O Error" (238) when a block's CSV file cannot be saved.
inline constexpr int kCodeSettingsCsvFailed = -125;

// Longest field of a template line, in characters.
inline constexpr std::size_t kMaxTemplateField = 255;

// Value text of a row: attribute 1 "%u", 2 "%d" of the low half, 0 "0x" and two hexadecimal
// digits per size byte. The settings list puts a blank after every second byte; the CSV file
// does not.
// Upper-case hexadecimal digits of value, at least minDigits of them ("%0*X").
std::string HexDigits(std::uint32_t value, int minDigits);

enum class HexSpacing { None, EveryTwoBytes };
std::string ValueText(const CMemEntry& entry, HexSpacing spacing);

class CEEPFile {
  public:
    CEEPFile() = default;

    // The messages of the last LoadTemplate, ParseTemplate, LoadBlock or SaveCsv (242 with the
    // parse failure's codes, 236 for bad fields, 238 when saving fails): shown by the caller.
    const MessageReport& Report() const { return report_; }

    // Parses the built-in template "templates/<number>.csv"; false for 0, a missing or empty
    // template, or a parse failure.
    bool LoadTemplate(int resourceNumber);
    // Parses the source set by LoadTemplate or SetSource.
    bool ParseTemplate();
    // Takes a copy of a template text as the source (tests, tools, fuzzing).
    void SetSource(std::string_view text);
    bool ParseText(std::string_view text) {
        SetSource(text);
        return ParseTemplate();
    }

    // Decodes block data into the value rows in index order; rows that no longer fit get 0.
    bool FillValues(std::size_t length, const unsigned char* data);
    bool LoadBlock(int resourceNumber, const unsigned char* data, std::size_t length);

    const CMemEntry* FindEntry(std::int32_t index) const;
    std::int32_t GetCount() const { return valueCount_; }
    bool GetHeader(std::int32_t& blockId, std::int32_t& version, std::string& signature,
                   std::string& title) const;

    // The CSV text of every entry, in entry order.
    std::string CsvText() const;
    // Writes CsvText to path; the file appears only complete. An existing file is replaced
    // only with kReplace (after the caller's own question), the log the block comes from
    // (`logPath`) never. False with message 238 (-125) in the report.
    bool SaveCsv(const std::string& path, ExistingTarget existing = ExistingTarget::kReplace,
                 const std::string& logPath = std::string()) const;

    // Releases the source; the entries stay.
    void Close();

    const std::vector<CMemEntry>& Entries() const { return entries_; }
    std::int32_t BlockId() const { return blockId_; }
    std::int32_t TotalBytes() const { return totalBytes_; }

  private:
    void Reset();
    bool ParseLine(std::string_view line, bool& failedFields, CMemEntry& entry) const;
    bool Fail(int code);

    // Mutable: saving, which changes nothing of the file, reports too.
    mutable MessageReport report_;
    std::vector<CMemEntry> entries_;
    // Position in entries_ of value row i: the display asks for rows one cell at a time.
    std::vector<std::size_t> rowPositions_;
    std::int32_t blockId_ = 0;
    bool headerSeen_ = false;
    std::int32_t valueCount_ = 0;
    std::int32_t totalBytes_ = 0;
    std::vector<unsigned char> source_;
    std::size_t position_ = 0;
};

}  // namespace qx7
