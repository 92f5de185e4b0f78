#pragma once
// One printer log entry as the log reader delivers it.

#include <cstdint>
#include <vector>

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
    const std::vector<unsigned char>& Params() const { return parameters_; }

    // Splits a header word: bits 31..21 milliseconds, 20..8 parameter length, 7..3 subtype,
    // 2..0 type.
    void SetHeaderWord(std::uint32_t header) {
        milliseconds = static_cast<std::int32_t>(header >> 21);
        parameterLength = static_cast<std::int32_t>((header >> 8) & 0x1FFF);
        subtype = static_cast<std::int32_t>((header >> 3) & 0x1F);
        type = static_cast<std::int32_t>(header & 0x7);
    }

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

}  // namespace qx7
