#pragma once
// One print job of the job statistics.

#include <cstdint>
#include <string>

#include "core/base/LocalTime.h"
#include "core/export/WorkTime.h"
#include "core/log/ElapsedTime.h"
#include "core/log/LogDate.h"
#include "core/log/LogRecord.h"

namespace qx7 {

class CStatisticsJob {
public:
    CStatisticsJob() = default;
    explicit CStatisticsJob(const CLogDate& jobDate) : date(jobDate) {}
    virtual ~CStatisticsJob() = default;
    CStatisticsJob(const CStatisticsJob&) = default;
    CStatisticsJob& operator=(const CStatisticsJob&) = default;

    // Accounts one record of the job (not the records that open or close jobs).
    void AddRecord(const CLogRecord& record, const ILocalTime& localTime);

    // The print time divided by the finished prints; zero without one.
    CElapsedTime AveragePrintTime() const;

    // The CSV row without its line end.
    std::string FormatJobRow(int dateFormat, int timeFormat, bool semicolon) const;

    CLogDate date;
    std::int32_t started = 0;
    std::int32_t finished = 0;
    std::int32_t cleanings[4] = {};
    double ink[8] = {};
    std::string name;
    std::string comment;
    std::string platen;
    CElapsedTime totalTime;
    CElapsedTime printTime;
    CLogDate lastStart;
    CLogDate lastEnd;
    CWorkTime workIntervals;
    std::int32_t resolution = 1200;
    std::int8_t multipass = 0;
    std::string arpDate;
    std::string machineMode;
    std::string transparentColour;
    std::int8_t saturation = 0;
    std::int8_t contrast = 0;
    std::int8_t inkVolume = 0;
    std::int8_t oneWay = 0;
    std::int8_t blackInk = 0;
    std::int8_t whiteGradation = 0;
    std::int8_t mask = 0;
    std::int8_t highlight = 0;
};

}  // namespace qx7
