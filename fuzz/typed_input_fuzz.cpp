// Short inputs that arrive from outside as text or bytes: a second start's request on the
// running copy's socket, a date on the command line, a time typed or pasted into the browser.
// The first input byte chooses the reader; the rest is its input.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/app/SecondStart.h"
#include "core/export/EntryBrowsing.h"
#include "core/log/DateArgument.h"
#include "platform/SystemLocalTime.h"

namespace {

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

bool PlausibleCivil(const qx7::CivilTime& time) {
    return time.month >= 1 && time.month <= 12 && time.day >= 1 && time.day <= 31 &&
           time.hour >= 0 && time.hour <= 23 && time.minute >= 0 && time.minute <= 59 &&
           time.second >= 0 && time.second <= 60;
}

// A request read whole is the one its encoding gives back; every shorter beginning of it asks
// for more, and nothing after it is taken.
void HandOver(std::string_view bytes) {
    qx7::HandOverRequest request;
    const qx7::HandOverParse parse = qx7::ParseHandOver(bytes, request);
    if (parse != qx7::HandOverParse::kComplete) {
        return;
    }
    Check(request.logPath.size() <= qx7::kHandOverMaxPath);
    Check(request.logPath.find('\0') == std::string::npos);
    Check(qx7::EncodeHandOver(request) == bytes);
    // Every beginning through the header and a little path, then the longest: the request
    // arrives in pieces of any size.
    for (std::size_t cut = 0; cut < bytes.size();
         cut = cut < 64 || cut + 1 >= bytes.size() ? cut + 1 : bytes.size() - 1) {
        qx7::HandOverRequest partial;
        Check(qx7::ParseHandOver(bytes.substr(0, cut), partial) == qx7::HandOverParse::kIncomplete);
    }
    qx7::HandOverRequest longer;
    Check(qx7::ParseHandOver(std::string(bytes) + "x", longer) == qx7::HandOverParse::kInvalid);
}

void DateArgument(std::string_view text) {
    const auto argument = qx7::ParseDateArgument(text);
    if (argument) {
        Check(PlausibleCivil(argument->time));
        Check(argument->hasTime || (argument->time.hour == 0 && argument->time.minute == 0 &&
                                    argument->time.second == 0));
        // Both ends of a range from it, in the process's zone: no overflow, no crash.
        const qx7::SystemLocalTime clock;
        for (const bool endOfDay : {false, true}) {
            const std::int64_t seconds = qx7::UnixSecondsOfArgument(*argument, clock, endOfDay);
            const qx7::PrinterTimeBound start = qx7::PrinterRangeStart(seconds);
            const qx7::PrinterTimeBound end = qx7::PrinterRangeEnd(seconds);
            // Within the printer's clock both ends name the same second; outside it one is empty.
            Check(start.empty != end.empty || (!start.empty && start.value == end.value));
        }
    }
}

void ShownDateTime(std::string_view text) {
    const auto time = qx7::ParseShownDateTime(text);
    if (time) {
        Check(PlausibleCivil(*time));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
    switch (data[0] % 3) {
        case 0:
            HandOver(input);
            break;
        case 1:
            DateArgument(input);
            break;
        default:
            ShownDateTime(input);
            break;
    }
    return 0;
}
