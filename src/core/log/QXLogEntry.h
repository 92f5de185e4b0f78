#pragma once
// One printer log entry as the log reader delivers it, and the texts every log view shows of
// it. Texts are UTF-8; the output's encoding is applied where lines are written.

#include <cstdint>
#include <string>
#include <vector>

#include "core/log/LogTextContext.h"

namespace qx7 {

inline constexpr std::uint32_t kEntryMarker = 0x45644765;  // "EdGe"

class CQXLogEntry {
  public:
    CQXLogEntry() = default;
    virtual ~CQXLogEntry() = default;
    // An entry owns its parameter bytes; moving hands them over, copying duplicates them.
    CQXLogEntry(const CQXLogEntry&) = default;
    CQXLogEntry& operator=(const CQXLogEntry&) = default;
    CQXLogEntry(CQXLogEntry&&) noexcept = default;
    CQXLogEntry& operator=(CQXLogEntry&&) noexcept = default;

    // Takes the parameter buffer: the parameter bytes as the printer wrote them followed by 4
    // spare zero bytes (a partial last word reads from them). Empty means no parameters.
    void SetParams(std::vector<unsigned char> buffer) { parameters_ = std::move(buffer); }
    // For a reader that fills the buffer in place: makes it `bytes` long (0: no parameters), in
    // the storage the entry already has when that is large enough, and answers its start. The
    // bytes keep whatever they held: the reader writes every one.
    unsigned char* ResizeParams(std::size_t bytes) {
        parameters_.resize(bytes);
        return parameters_.data();
    }
    // The same from a copy of `bytes` (its spare bytes included), in the storage the entry
    // already has when that is large enough.
    void AssignParams(const unsigned char* bytes, std::size_t count) {
        parameters_.assign(bytes, bytes + count);
    }
    const std::vector<unsigned char>& Params() const { return parameters_; }

    // Splits a header word: bits 31..21 milliseconds, 20..8 parameter length, 7..3 subtype,
    // 2..0 type.
    void SetHeaderWord(std::uint32_t header) {
        milliseconds = static_cast<std::int32_t>(header >> 21);
        parameterLength = static_cast<std::int32_t>((header >> 8) & 0x1FFF);
        subtype = static_cast<std::int32_t>((header >> 3) & 0x1F);
        type = static_cast<std::int32_t>(header & 0x7);
    }

    // The type word: ERR, WRN, INF, or the type in three hexadecimal digits. Replaces `text`.
    void GetTypeText(std::string& text) const;
    // "MM/DD/YYYY HH:MM:SS" in the PC's local time, or question marks for a stamp that cannot
    // be shown. Replace their texts.
    void GetDateTimeText(std::string& text, const LogTextContext& context) const;
    void GetDateAndTimeTexts(std::string& date, std::string& time,
                             const LogTextContext& context) const;
    // The code's description in the context's language. Appends.
    void GetDescriptionText(std::string& text, const LogTextContext& context) const;
    // The short, code-dependent rendering of the parameters (often empty). Appends.
    void GetParamText(std::string& text, const LogTextContext& context) const;
    // " %08X" for each parameter word. Appends.
    void GetRawDataText(std::string& text) const;
    // `000001: 03/15/2014 13:45:07 [00010000] (INF) "Power ON"`. Replaces.
    void FormatTextLine(std::string& text, int number, const LogTextContext& context) const;
    // Number, date, time, code's low half, subtype, description and twelve parameter columns,
    // without a line end. Replaces.
    void FormatCsvLine(std::string& text, int number, const LogTextContext& context) const;
    // The same two lines appended, for an export that gathers its lines in one buffer.
    void AppendTextLine(std::string& text, int number, const LogTextContext& context) const;
    void AppendCsvLine(std::string& text, int number, const LogTextContext& context) const;

    // Parameter bytes that are really there: P, but never more than the buffer holds.
    std::size_t ParamBytes() const;
    // Parameter word k (bytes 4k..4k+3, big-endian); bytes past the buffer read as zero.
    std::uint32_t ParamWord(std::size_t k) const;

    std::uint32_t code = 0;
    std::int32_t type = 0;             // 1, 2 error; 3 warning; 4, 5 information
    std::int32_t subtype = 0;          // 0..31
    std::int32_t parameterLength = 0;  // P, 0..8191 bytes
    std::int32_t milliseconds = 0;     // 0..2047
    std::uint32_t time = 0;            // printer seconds since 2000-01-01 00:00:00 UTC

  private:
    std::vector<unsigned char> parameters_;
};

// Anything that hands out log entries one by one, oldest first (the log reader; test feeds).
class ILogEntrySource {
  public:
    virtual ~ILogEntrySource() = default;
    // 1 and the next entry; 0 at the end of the data; -1 on a read failure.
    virtual int ReadEntry(CQXLogEntry& entry) = 0;
    // Entry markers met while opening (may exceed the entries delivered).
    virtual int GetEntryCount() const = 0;
};

// A source that can go back to an entry it delivered: a listing newest first then keeps
// positions instead of entries.
class IPositionedLogEntrySource : public ILogEntrySource {
  public:
    // Where the entry the last ReadEntry delivered stands; grows along one delivery.
    virtual std::uint32_t EntryPosition() const = 0;
    // The next ReadEntry delivers the entry at that position again, then those after it.
    virtual bool SeekEntry(std::uint32_t position) = 0;
};

}  // namespace qx7
