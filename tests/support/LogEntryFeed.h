#pragma once
// Log entries built in memory, and a source that hands them out like the log reader does.

#include <cstdint>
#include <string>
#include <vector>

#include "core/log/QXLogEntry.h"

namespace qx7::test {

inline constexpr std::int64_t kUnix2000 = 946684800;

// Printer time (seconds since 2000-01-01 UTC) of a UTC calendar moment.
std::uint32_t PrinterTimeOfUtc(int year, int month, int day, int hour, int minute, int second);

// An entry as the reader fills it: the parameter bytes get the 4 spare zero bytes; the
// parameter length is the number of bytes given unless `parameterLength` says otherwise.
CQXLogEntry MakeEntry(std::uint32_t time, std::uint32_t code, int type,
                      const std::string& params = {}, int subtype = 0,
                      int parameterLength = -1);

// Parameter bytes of big-endian words.
std::string Words(const std::vector<std::uint32_t>& words);

class VectorEntrySource final : public IPositionedLogEntrySource {
  public:
    explicit VectorEntrySource(std::vector<CQXLogEntry> entries, int failAfter = -1)
        : entries_(std::move(entries)), failAfter_(failAfter) {}

    int ReadEntry(CQXLogEntry& entry) override;
    int GetEntryCount() const override { return static_cast<int>(entries_.size()); }
    // The position of an entry is its index.
    std::uint32_t EntryPosition() const override { return static_cast<std::uint32_t>(next_ - 1); }
    bool SeekEntry(std::uint32_t position) override;

    int Delivered() const { return next_; }

private:
    std::vector<CQXLogEntry> entries_;
    int failAfter_;  // -1: never; else answer -1 after that many entries
    int next_ = 0;
};

}  // namespace qx7::test
