#include "core/export/StatisticsDayList.h"

#include <algorithm>
#include <functional>

namespace qx7 {
namespace {

std::string WithSeparator(std::string line, bool semicolon) {
    if (semicolon) {
        std::replace(line.begin(), line.end(), ',', ';');
    }
    return line;
}

// Accounts records day by day and hands each day over once no later record can change it. A
// print end early in a day without a print start of its own counts for the day before, so a
// day is complete when the second day after it begins (or at the end).
class DayBuilder {
  public:
    using Done = std::function<void(std::unique_ptr<CStatisticsDay>)>;
    explicit DayBuilder(Done done) : done_(std::move(done)) {}

    void Add(const CLogRecord& record, const stats::DateRange& range) {
        if (!range.Includes(record.GetDate())) {
            return;
        }
        if (!current_ || !current_->date.SameDay(record.GetDate())) {
            if (current_) {
                if (previous_) {
                    done_(std::move(previous_));
                }
                previous_ = std::move(current_);
            }
            current_ = std::make_unique<CStatisticsDay>(record.GetDate());
        }
        if (current_->AddRecord(record) && previous_) {
            previous_->AddRecord(record);
        }
    }
    void Finish() {
        if (previous_) {
            done_(std::move(previous_));
        }
        if (current_) {
            done_(std::move(current_));
        }
    }

  private:
    Done done_;
    std::unique_ptr<CStatisticsDay> previous_;
    std::unique_ptr<CStatisticsDay> current_;
};

// Days in their order: those dated from 2004-01-01 up to today a month on, gaps of whole days
// between them filled with empty days while the budget lasts.
class DayWalker {
  public:
    DayWalker(const CLogDate& today, std::uint64_t fillerBudget, const DayOutput& output)
        : output_(output),
          earliest_(EarliestRowDate()),
          latest_(LatestRowDate(today)),
          fillerBudget_(fillerBudget) {}

    void Write(const CStatisticsDay& day) {
        if (day.date < earliest_ || day.date > latest_) {
            return;
        }
        if (!first_) {
            while (running_ < day.date && !running_.SameDay(day.date) && fillerBudget_ > 0) {
                output_(CStatisticsDay(running_));
                running_.NextDay();
                --fillerBudget_;
            }
        }
        first_ = false;
        output_(day);
        running_ = day.date;
        running_.NextDay();
    }

  private:
    const DayOutput& output_;
    const CLogDate earliest_;
    const CLogDate latest_;
    std::uint64_t fillerBudget_;
    bool first_ = true;
    CLogDate running_;
};

}  // namespace

CLogDate EarliestRowDate() {
    return CLogDate(2004, 1, 1, 0, 0, 0, 0);
}

CLogDate LatestRowDate(const CLogDate& today) {
    CLogDate limit(today.Year(), today.Month(), today.Day(), 0, 0, 0, 0);
    limit.NextMonth();
    return limit;
}

void CStatisticsDayList::BuildDays(const CLogList& records, const stats::DateRange& range) {
    DayBuilder builder([this](std::unique_ptr<CStatisticsDay> day) { push_back(std::move(day)); });
    for (const CLogRecord& record : records) {
        builder.Add(record, range);
    }
    builder.Finish();
}

std::string CStatisticsDayList::HeaderLine() const {
    return WithSeparator(
        "date,print,menu test print,print sum,inkK,inkM,inkC,inkY,inkW1,inkW2,inkW3,inkW4,"
        "inkCMYK,inkW,autopurge,purgeK,purgeM,purgeC,purgeY,Job,powerON,cancel,MntParts",
        semicolon);
}

void CStatisticsDayList::WriteDayRows(const stats::LineOutput& output, const CLogDate& today,
                                      std::uint64_t fillerBudget) const {
    const DayOutput rows = [&](const CStatisticsDay& day) {
        output(day.FormatDayRow(dateFormat, semicolon));
    };
    DayWalker walker(today, fillerBudget, rows);
    for (const auto& day : *this) {
        if (day) {
            walker.Write(*day);
        }
    }
}

void CStatisticsDayList::StreamDayRows(const CLogList& records, const stats::DateRange& range,
                                       const stats::LineOutput& output, const CLogDate& today,
                                       std::uint64_t fillerBudget) const {
    StreamDays(
        records, range, today,
        [&](const CStatisticsDay& day) { output(day.FormatDayRow(dateFormat, semicolon)); },
        fillerBudget);
}

void StreamDays(const CLogList& records, const stats::DateRange& range, const CLogDate& today,
                const DayOutput& output, std::uint64_t fillerBudget) {
    DayStream days(range, today, output, fillerBudget);
    for (auto walk = records.Records(); const CLogRecord* record = walk.Next();) {
        days.Add(*record);
    }
    days.Finish();
}

struct DayStream::Parts {
    Parts(const stats::DateRange& dates, const CLogDate& today, const DayOutput& handOver,
          std::uint64_t fillerBudget)
        : range(dates),
          output(handOver),
          walker(today, fillerBudget, output),
          builder([this](std::unique_ptr<CStatisticsDay> day) { walker.Write(*day); }) {}

    const stats::DateRange& range;
    const DayOutput output;  // a copy: the caller's may be a temporary
    DayWalker walker;
    DayBuilder builder;
};

DayStream::DayStream(const stats::DateRange& range, const CLogDate& today, const DayOutput& output,
                     std::uint64_t fillerBudget)
    : parts_(std::make_unique<Parts>(range, today, output, fillerBudget)) {}

DayStream::~DayStream() = default;

void DayStream::Add(const CLogRecord& record) {
    parts_->builder.Add(record, parts_->range);
}

void DayStream::Finish() {
    parts_->builder.Finish();
}

}  // namespace qx7
