#pragma once
// One calendar day of the day statistics.

#include <cstdint>
#include <string>

#include "core/log/LogDate.h"
#include "core/log/LogRecord.h"

namespace qx7 {

class CStatisticsDay {
  public:
    CStatisticsDay() = default;
    explicit CStatisticsDay(const CLogDate& dayDate) : date(dayDate) {}
    virtual ~CStatisticsDay() = default;
    CStatisticsDay(const CStatisticsDay&) = default;
    CStatisticsDay& operator=(const CStatisticsDay&) = default;

    // Accounts one record; true when it is a print end without a print start on this day,
    // which belongs to the day before (a print running past midnight).
    bool AddRecord(const CLogRecord& record);

    // The "print" column: finished prints without the menu's test prints.
    std::int32_t Prints() const {
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(finished) - menuTestPrints);
    }

    // The CSV row without its line end.
    std::string FormatDayRow(int dateFormat, bool semicolon) const;

    CLogDate date;
    std::int32_t started = 0;
    std::int32_t finished = 0;
    double ink[8] = {};
    std::int32_t jobs = 0;
    std::int32_t autoCleanings = 0;
    std::int32_t cleanings[4] = {};
    std::int32_t powerOns = 0;
    std::int32_t partsExchanges = 0;
    std::uint32_t menuTestPrints = 0;
    std::int32_t testPrintState = 0;
    std::int32_t resolution = 1200;
};

}  // namespace qx7
