#include "core/export/StatisticsJob.h"

#include "core/export/RowText.h"
#include "core/export/StatisticsCodes.h"

namespace qx7 {

void CStatisticsJob::AddRecord(const CLogRecord& record, const ILocalTime& localTime) {
    using namespace stats;
    switch (record.GetCode()) {
    case kPrintStarted: {
        ++started;
        lastStart = record.GetDate();
        CElapsedTime interval;
        if (workIntervals.empty()) {
            interval.SetDifference(date, lastStart);
            workIntervals.push_back(interval);
        } else if (!lastEnd.IsZero()) {
            interval.SetDifference(lastEnd, lastStart);
            workIntervals.push_back(interval);
            lastEnd = CLogDate();
        }
        break;
    }
    case kPrintFinished:
    case kPrintCancelled: {
        const bool done = record.IsCode(kPrintFinished);
        lastEnd = record.GetDate();
        if (done) {
            ++finished;
        }
        std::uint32_t counts[8];
        record.GetWords2To9(counts);
        for (int i = 0; i < 8; ++i) {
            ink[i] += InkAmount(counts[i], resolution);
        }
        totalTime.SetDifference(date, lastEnd);
        CElapsedTime duration;
        if (!lastStart.IsZero()) {
            duration.SetDifference(lastStart, lastEnd);
        }
        if (done) {
            printTime.Add(duration);
        }
        if (!workIntervals.empty()) {
            workIntervals.back().Add(duration);
        }
        break;
    }
    case kUsbJob:
        record.GetText(name);
        comment = "USB_MEMORY";
        break;
    case kCleaningStarted: {
        std::uint32_t kind = 0;
        std::uint32_t colour = 0;
        record.GetWords0And1(kind, colour);
        if (kind >= 4 && kind <= 6) {
            CountCleaningColour(colour, cleanings);
        }
        break;
    }
    case kJobName: record.GetTextFromWord1(name); break;
    case kJobComment: record.GetTextFromWord1(comment); break;
    case kPlatenSize: record.GetTextFromWord1(platen); break;
    case kAdvancedSettings: {
        const AdvancedSettings settings = ReadAdvancedSettings(record);
        resolution = settings.resolution;
        multipass = settings.multipass;
        break;
    }
    case kMainSettings: {
        std::uint8_t bytes[8];
        record.GetMainSettings(arpDate, machineMode, transparentColour, bytes, localTime);
        saturation = static_cast<std::int8_t>(bytes[0]);
        contrast = static_cast<std::int8_t>(bytes[1]);
        inkVolume = static_cast<std::int8_t>(bytes[2]);
        oneWay = static_cast<std::int8_t>(bytes[3]);
        blackInk = static_cast<std::int8_t>(bytes[4]);
        whiteGradation = static_cast<std::int8_t>(bytes[5]);
        mask = static_cast<std::int8_t>(bytes[6]);
        highlight = static_cast<std::int8_t>(bytes[7]);
        break;
    }
    default: break;
    }
}

CElapsedTime CStatisticsJob::AveragePrintTime() const {
    if (finished == 0) {
        return {};
    }
    CElapsedTime average = printTime;
    average.Divide(static_cast<std::uint32_t>(finished));
    return average;
}

std::string CStatisticsJob::FormatJobRow(int dateFormat, int timeFormat, bool semicolon) const {
    RowText row(semicolon);
    row.Text(date.Format(dateFormat));
    row.Quoted(name);
    row.Quoted(comment);
    row.Int(finished);
    row.Text(AveragePrintTime().Format(1));
    row.Text(workIntervals.TypicalInterval().Format(1));
    for (const std::int32_t count : cleanings) {
        row.Int(count);
    }
    row.Text(totalTime.Format(timeFormat));
    row.Int(started - finished);
    for (const double amount : ink) {
        row.Fixed(amount);
    }
    row.Fixed(ink[0] + ink[1] + ink[2] + ink[3]);
    row.Fixed(ink[4] + ink[5] + ink[6] + ink[7]);
    row.Text(machineMode);
    row.Text(platen);
    row.Int(resolution);
    row.Int(highlight);
    row.Int(mask);
    row.Int(blackInk);
    row.Int(whiteGradation);
    row.Int(multipass);
    row.Text(transparentColour);
    row.Int(saturation);
    row.Int(contrast);
    row.Int(inkVolume);
    row.Int(oneWay);
    row.Text(arpDate);
    return row.Take();
}

}  // namespace qx7
