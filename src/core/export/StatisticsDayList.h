#pragma once
// The day statistics of a log: one row per calendar day, in record order.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/export/StatisticsCodes.h"
#include "core/export/StatisticsDay.h"
#include "core/log/LogList.h"

namespace qx7 {

// Receives the days of the statistics one by one, empty days between them included.
using DayOutput = std::function<void(const CStatisticsDay& day)>;

class CStatisticsDayList : public std::vector<std::unique_ptr<CStatisticsDay>> {
  public:
    // Filler rows one file may hold in all. Far more than the days between 2004 and today, so
    // a real log never meets it; a hostile one whose dates jump back and forth cannot make the
    // file grow without bound.
    static constexpr std::uint64_t kMaxFillerRows = 4'000'000;

    void BuildDays(const CLogList& records, const stats::DateRange& range);

    // Rows of the days from 2004-01-01 up to `today` a month on, gaps of whole days filled with
    // empty rows. Each line is handed over without its line end.
    void WriteDayRows(const stats::LineOutput& output, const CLogDate& today,
                      std::uint64_t fillerBudget = kMaxFillerRows) const;

    // What BuildDays and then WriteDayRows give, without keeping the days: each day's row is
    // written once no later record can change the day, so memory does not grow with the log.
    void StreamDayRows(const CLogList& records, const stats::DateRange& range,
                       const stats::LineOutput& output, const CLogDate& today,
                       std::uint64_t fillerBudget = kMaxFillerRows) const;

    // The header line without its line end.
    std::string HeaderLine() const;

    std::int32_t dateFormat = 1;
    bool semicolon = false;
    std::string comment;
};

// The first date a row may have, and the last one (today a month on, the day kept).
CLogDate EarliestRowDate();
CLogDate LatestRowDate(const CLogDate& today);

// The days the day file's rows show, as days: built from the records without keeping them, each
// handed over once no later record can change it, empty days filling the gaps.
void StreamDays(const CLogList& records, const stats::DateRange& range, const CLogDate& today,
                const DayOutput& output,
                std::uint64_t fillerBudget = CStatisticsDayList::kMaxFillerRows);

// The same days from records handed over one at a time, for a walk over the records that
// gathers more than the days. Finish after the last record hands over the days still open.
class DayStream {
  public:
    DayStream(const stats::DateRange& range, const CLogDate& today, const DayOutput& output,
              std::uint64_t fillerBudget = CStatisticsDayList::kMaxFillerRows);
    ~DayStream();
    DayStream(const DayStream&) = delete;
    DayStream& operator=(const DayStream&) = delete;

    void Add(const CLogRecord& record);
    void Finish();

  private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
};

}  // namespace qx7
