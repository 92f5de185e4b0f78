#include "core/app/PrinterDateFields.h"

#include "core/app/FieldValidation.h"
#include "core/text/Messages.h"
#include "core/app/PageFlow.h"
#include "core/app/QVJServToolApp.h"
#include "core/base/PrinterTime.h"

namespace qx7 {

DateFieldTexts DateFieldTextsFrom(const CivilTime& time) {
    return {std::to_string(time.year), std::to_string(time.month),  std::to_string(time.day),
            std::to_string(time.hour), std::to_string(time.minute), std::to_string(time.second)};
}

std::optional<CivilTime> PcLocalTimeNow(const ILocalTime& clock) {
    return clock.ToLocal(clock.Now());
}

std::string TimeZoneName(const ILocalTime& clock) {
    const TimeZoneFacts facts = clock.ZoneFacts();
    return facts.daylightNow ? facts.daylightName : facts.standardName;
}

DateFieldCheck CheckDateFields(const DateFieldTexts& texts, LanguageId language) {
    CivilTime time;
    struct Field {
        int control;
        const std::string* text;
        int low;
        int high;
        int* member;
    };
    const Field fields[] = {
        {kControlDay, &texts.day, 1, 31, &time.day},
        {kControlHour, &texts.hour, 0, 23, &time.hour},
        {kControlMinute, &texts.minute, 0, 59, &time.minute},
        {kControlMonth, &texts.month, 1, 12, &time.month},
        {kControlSecond, &texts.second, 0, 59, &time.second},
        {kControlYear, &texts.year, 2000, 2100, &time.year},
    };
    DateFieldCheck check;
    for (const Field& field : fields) {
        IntegerFieldResult read = ReadIntegerField(*field.text, field.low, field.high, language);
        if (!read.value) {
            check.failingControl = field.control;
            check.message = std::move(read.message);
            return check;
        }
        *field.member = *read.value;
    }
    check.time = time;
    return check;
}

std::optional<std::uint32_t> PrinterClockFromLocal(const CivilTime& local,
                                                   const ILocalTime& clock) {
    const auto seconds = clock.FromLocal(local);
    if (!seconds) {
        return std::nullopt;
    }
    return ToPrinterTime(*seconds, clock);
}

SetDateNextResult SetDateNext(CQVJServToolApp& app, const DateFieldTexts& texts,
                              const ILocalTime& clock) {
    SetDateNextResult result;
    const Messages& messages = app.GetMessages();
    const DateFieldCheck check = CheckDateFields(texts, messages.Language());
    if (!check.time) {
        if (!check.message.empty()) {
            messages.Sink().Show(check.message, MessageKind::kWarning);
        }
        result.failingControl = check.failingControl;
        return result;
    }
    if (!app.IsDemoMode()) {
        const auto printerTime = PrinterClockFromLocal(*check.time, clock);
        if (!printerTime || !app.Printer().SetPrinterClock(*printerTime)) {
            messages.ShowMessage(kMsgCommunicationError, kCodeSetClockFailed);
            result.outcome = SetDateOutcome::SendFailed;
            return result;
        }
    }
    result.outcome = SetDateOutcome::Moved;
    result.page = GoToNextPage(app, PageId::kPrinterDate);
    return result;
}

}  // namespace qx7
