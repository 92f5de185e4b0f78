// Arbitrary file bytes through the statistics, read from memory: record loading, both builders
// with and without a range, and every row formatted.

#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/export/StatisticsDayList.h"
#include "core/export/StatisticsJobList.h"
#include "core/log/LogFileAccess.h"
#include "core/log/LogList.h"
#include "platform/SystemLocalTime.h"

namespace {

// Empty days written between days with records. A few suffice to take the filling both ways
// (gap closed, budget spent); the program's own budget would format thousands of rows per input.
constexpr std::uint64_t kFillerRows = 16;

void BuildAndFormat(const qx7::CLogList& records, const qx7::stats::DateRange& range,
                    const qx7::ILocalTime& localTime) {
    const qx7::CLogDate today(2030, 1, 1, 0, 0, 0, 0);
    qx7::CStatisticsDayList days;
    days.dateFormat = 2;
    days.BuildDays(records, range);
    qx7::CStatisticsJobList jobs;
    jobs.dateFormat = 1;
    jobs.BuildJobs(records, range, localTime);
    // The kept lists' rows, once: the rows written as the days and jobs complete must be these.
    std::vector<std::string> kept;
    std::vector<std::string> streamed;
    const auto into = [](std::vector<std::string>& rows) {
        return [&rows](std::string_view line) { rows.emplace_back(line); };
    };
    days.WriteDayRows(into(kept), today, kFillerRows);
    jobs.WriteJobRows(into(kept), today);

    std::size_t bytes = 0;
    for (const std::string& row : kept) {
        bytes += row.size();
    }
    for (const auto& day : days) {
        for (int kind = 0; kind <= 5; ++kind) {
            bytes += day->date.Format(kind).size();
        }
    }
    for (const auto& job : jobs) {
        bytes += job->FormatJobRow(1, 1, true).size();
    }
    if (bytes == 1) {
        std::abort();  // keeps the work observable; never true for real rows
    }

    qx7::CStatisticsDayList streamDays;
    streamDays.dateFormat = 2;
    streamDays.StreamDayRows(records, range, into(streamed), today, kFillerRows);
    qx7::CStatisticsJobList streamJobs;
    streamJobs.dateFormat = 1;
    streamJobs.StreamJobRows(records, range, localTime, into(streamed), today);
    if (kept != streamed) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const qx7::SystemLocalTime localTime;
    qx7::CLogList records;
    records.Load(qx7::LogSource::Memory(std::span(data, size)), localTime);

    std::uint32_t words[8];
    std::string text;
    for (const auto& record : records) {
        record.GetText(text);
        record.GetTextFromWord1(text);
        record.GetWords2To9(words);
        text = record.FirstDumpLine();
    }
    BuildAndFormat(records, {}, localTime);
    qx7::stats::DateRange range;
    range.on = true;
    range.start = qx7::CLogDate(2010, 1, 1, 0, 0, 0, 0);
    range.end = qx7::CLogDate(2020, 1, 1, 0, 0, 0, 0);
    BuildAndFormat(records, range, localTime);
    return 0;
}
