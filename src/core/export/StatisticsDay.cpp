#include "core/export/StatisticsDay.h"

#include "core/export/RowText.h"
#include "core/export/StatisticsCodes.h"

namespace qx7 {

bool CStatisticsDay::AddRecord(const CLogRecord& record) {
    using namespace stats;
    switch (record.GetCode()) {
        case kPrintStarted:
            ++started;
            if (testPrintState > 0) {
                --testPrintState;
            }
            break;
        case kPrintFinished:
        case kPrintCancelled: {
            if (started == 0) {
                return true;
            }
            std::uint32_t counts[8];
            record.GetWords2To9(counts);
            for (int i = 0; i < 8; ++i) {
                ink[i] += InkAmount(counts[i], resolution);
            }
            if (record.IsCode(kPrintFinished)) {
                ++finished;
                if (testPrintState == 1) {
                    ++menuTestPrints;
                }
            }
            break;
        }
        case kAdvancedSettings:
            resolution = ReadAdvancedSettings(record).resolution;
            break;
        case kJobStart:
            ++jobs;
            break;
        case kPowerOn:
            ++powerOns;
            break;
        case kAutoCleaning:
            ++autoCleanings;
            break;
        case kPartsExchange:
            ++partsExchanges;
            break;
        case kTestPrint:
            testPrintState = 2;
            break;
        case kCleaningStarted: {
            std::uint32_t kind = 0;
            std::uint32_t colour = 0;
            record.GetWords0And1(kind, colour);
            if (kind <= 6 && kind != 3) {
                CountCleaningColour(colour, cleanings);
            }
            break;
        }
        default:
            break;
    }
    return false;
}

std::string CStatisticsDay::FormatDayRow(int dateFormat, bool semicolon) const {
    RowText row(semicolon);
    row.Text(date.Format(dateFormat));
    row.Int(Prints());
    row.Unsigned(menuTestPrints);
    row.Unsigned(static_cast<std::uint32_t>(finished));
    for (const double amount : ink) {
        row.Fixed(amount);
    }
    row.Fixed(ink[0] + ink[1] + ink[2] + ink[3]);
    row.Fixed(ink[4] + ink[5] + ink[6] + ink[7]);
    row.Int(autoCleanings);
    for (const std::int32_t count : cleanings) {
        row.Int(count);
    }
    row.Int(jobs);
    row.Int(powerOns);
    row.Int(started - finished);
    row.Unsigned(static_cast<std::uint32_t>(partsExchanges));
    return row.Take();
}

}  // namespace qx7
