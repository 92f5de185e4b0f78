#include "support/LogEntryFeed.h"

#include "core/base/LocalTime.h"

namespace qx7::test {

std::uint32_t PrinterTimeOfUtc(int year, int month, int day, int hour, int minute, int second) {
    const CivilTime utc{year, month, day, hour, minute, second, false};
    return static_cast<std::uint32_t>(SecondsFromUtc(utc) - kUnix2000);
}

CQXLogEntry MakeEntry(std::uint32_t time, std::uint32_t code, int type,
                      const std::string& params, int subtype, int parameterLength) {
    const int length = parameterLength >= 0 ? parameterLength : static_cast<int>(params.size());
    CQXLogEntry entry;
    entry.SetHeaderWord((static_cast<std::uint32_t>(length) << 8) |
                        (static_cast<std::uint32_t>(subtype) << 3) |
                        static_cast<std::uint32_t>(type));
    entry.time = time;
    entry.code = code;
    if (!params.empty()) {
        std::vector<unsigned char> buffer(params.begin(), params.end());
        buffer.resize(buffer.size() + 4, 0);
        entry.SetParams(std::move(buffer));
    }
    return entry;
}

std::string Words(const std::vector<std::uint32_t>& words) {
    std::string bytes;
    for (const std::uint32_t w : words) {
        bytes.push_back(static_cast<char>(w >> 24));
        bytes.push_back(static_cast<char>((w >> 16) & 0xFF));
        bytes.push_back(static_cast<char>((w >> 8) & 0xFF));
        bytes.push_back(static_cast<char>(w & 0xFF));
    }
    return bytes;
}

int VectorEntrySource::ReadEntry(CQXLogEntry& entry) {
    if (failAfter_ >= 0 && next_ >= failAfter_) {
        return -1;
    }
    if (next_ >= static_cast<int>(entries_.size())) {
        return 0;
    }
    entry = entries_[static_cast<std::size_t>(next_++)];
    return 1;
}

bool VectorEntrySource::SeekEntry(std::uint32_t position) {
    if (position >= entries_.size()) {
        return false;
    }
    next_ = static_cast<int>(position);
    return true;
}

}  // namespace qx7::test
