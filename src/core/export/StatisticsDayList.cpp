#include "core/export/StatisticsDayList.h"

#include <algorithm>

namespace qx7 {
namespace {

std::string WithSeparator(std::string line, bool semicolon) {
    if (semicolon) {
        std::replace(line.begin(), line.end(), ',', ';');
    }
    return line;
}

}  // namespace

CLogDate EarliestRowDate() { return CLogDate(2004, 1, 1, 0, 0, 0, 0); }

CLogDate LatestRowDate(const CLogDate& today) {
    CLogDate limit(today.Year(), today.Month(), today.Day(), 0, 0, 0, 0);
    limit.NextMonth();
    return limit;
}

void CStatisticsDayList::BuildDays(const CLogList& records, const stats::DateRange& range) {
    std::unique_ptr<CStatisticsDay> current;
    for (const CLogRecord& record : records) {
        if (!range.Includes(record.GetDate())) {
            continue;
        }
        if (!current || !current->date.SameDay(record.GetDate())) {
            if (current) {
                push_back(std::move(current));
            }
            current = std::make_unique<CStatisticsDay>(record.GetDate());
        }
        if (current->AddRecord(record) && !empty()) {
            back()->AddRecord(record);
        }
    }
    if (current) {
        push_back(std::move(current));
    }
}

std::string CStatisticsDayList::HeaderLine() const {
    return WithSeparator(
        "date,print,menu test print,print sum,inkK,inkM,inkC,inkY,inkW1,inkW2,inkW3,inkW4,"
        "inkCMYK,inkW,autopurge,purgeK,purgeM,purgeC,purgeY,Job,powerON,cancel,MntParts",
        semicolon);
}

void CStatisticsDayList::WriteDayRows(const stats::LineOutput& output, const CLogDate& today,
                                      std::uint64_t fillerBudget) const {
    const CLogDate earliest = EarliestRowDate();
    const CLogDate latest = LatestRowDate(today);
    bool first = true;
    CLogDate running;
    for (const auto& day : *this) {
        if (!day || day->date < earliest || day->date > latest) {
            continue;
        }
        if (!first) {
            while (running < day->date && !running.SameDay(day->date) && fillerBudget > 0) {
                output(CStatisticsDay(running).FormatDayRow(dateFormat, semicolon));
                running.NextDay();
                --fillerBudget;
            }
        }
        first = false;
        output(day->FormatDayRow(dateFormat, semicolon));
        running = day->date;
        running.NextDay();
    }
}

}  // namespace qx7
