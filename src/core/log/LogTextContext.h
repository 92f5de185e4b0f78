#pragma once
// What the texts of a log entry depend on besides the entry: the language of the
// descriptions and the PC's local time. One context serves a whole listing or export; it keeps
// the zone's standard offset from its construction and what it learnt of the zone's offsets
// (LocalTimeCache), so it is not for use from two threads at once.

#include <cstdint>

#include "core/text/Language.h"
#include "core/base/LocalTime.h"
#include "core/log/LocalTimeCache.h"

namespace qx7 {

// Differences of printer time and zone beyond this cannot be shown (a little over 29 years).
inline constexpr std::uint32_t kLatestShownTime = 0x37000000;

class LogTextContext {
  public:
    LogTextContext(LanguageId language, const ILocalTime& localTime);

    LanguageId Language() const { return language_; }
    bool Japanese() const { return language_ == kJapanese; }
    const ILocalTime& LocalTime() const { return *localTime_; }
    std::int64_t StandardOffsetWest() const { return standardOffsetWest_; }

    // The PC's wall-clock time of a printer time stamp, daylight time included; false when the
    // stamp lies before 2000-01-01 of the zone's standard time or too far after it.
    bool ToLocal(std::uint32_t printerTime, CivilTime& local) const;

  private:
    LanguageId language_;
    const ILocalTime* localTime_;
    std::int64_t standardOffsetWest_;
    mutable LocalTimeCache cache_;
};

}  // namespace qx7
