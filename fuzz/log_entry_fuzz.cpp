// Entry texts from arbitrary bytes: header word, code, time, a declared parameter length that
// may disagree with the bytes behind it, in both languages and several zones. Every rendering
// and both export formats run; their texts must stay valid UTF-8 and the cached local time must
// agree with the system's.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "core/export/LogExport.h"
#include "core/log/QXLogEntry.h"
#include "platform/SystemLocalTime.h"

namespace {

constexpr const char* kZones[] = {"UTC", "Asia/Tokyo", "America/New_York",
                                  "EST5EDT,M3.2.0/2:00:30,M11.1.0/2:00:45"};

std::uint32_t Word(const std::uint8_t* data) {
    return (std::uint32_t{data[0]} << 24) | (std::uint32_t{data[1]} << 16) |
           (std::uint32_t{data[2]} << 8) | std::uint32_t{data[3]};
}

bool ValidUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto b = static_cast<unsigned char>(text[i]);
        std::size_t length = b < 0x80 ? 1 : b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC2 ? 2 : 0;
        if (length == 0 || i + length > text.size()) {
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) {
                return false;
            }
        }
        i += length;
    }
    return true;
}

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

class OneEntry final : public qx7::ILogEntrySource {
public:
    explicit OneEntry(const qx7::CQXLogEntry& entry) : entry_(entry) {}
    int ReadEntry(qx7::CQXLogEntry& entry) override {
        if (left_ == 0) {
            return 0;
        }
        --left_;
        entry = entry_;
        return 1;
    }
    int GetEntryCount() const override { return 3; }

private:
    const qx7::CQXLogEntry& entry_;
    int left_ = 3;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 15) {
        return 0;
    }
    const std::uint8_t selector = data[0];
    const std::uint32_t header = Word(data + 1);
    const std::uint32_t code = Word(data + 5);
    const std::uint32_t time = Word(data + 9);
    const std::uint8_t declared = data[13];
    const std::uint8_t* params = data + 14;
    const std::size_t paramBytes = size - 14;

    static int currentZone = -1;
    const int zone = selector & 3;
    if (zone != currentZone) {
        setenv("TZ", kZones[zone], 1);
        tzset();
        currentZone = zone;
    }

    qx7::CQXLogEntry entry;
    entry.SetHeaderWord(header);
    entry.code = code;
    entry.time = time;
    if ((selector & 4) != 0) {
        // Believe the bytes rather than the header, as the reader does for well-formed data.
        entry.parameterLength = static_cast<std::int32_t>(paramBytes & 0x1FFF);
    } else if ((selector & 8) != 0) {
        entry.parameterLength = declared;  // disagreeing length
    }
    if (paramBytes > 0 || (selector & 16) != 0) {
        std::vector<unsigned char> buffer(params, params + paramBytes);
        if ((selector & 32) == 0) {
            buffer.resize(buffer.size() + 4, 0);  // the reader's spare bytes
        }
        entry.SetParams(std::move(buffer));
    }

    const qx7::SystemLocalTime clock;
    for (const qx7::LanguageId language : {qx7::kEnglish, qx7::kJapanese}) {
        const qx7::LogTextContext context(language, clock);
        std::string text;
        std::string date;
        std::string timeText;
        entry.GetTypeText(text);
        Check(text.size() >= 3);
        entry.GetDateTimeText(text, context);
        Check(text.size() == 19);
        entry.GetDateAndTimeTexts(date, timeText, context);
        Check(date.size() == 10 && timeText.size() == 8 && text == date + " " + timeText);
        text.clear();
        entry.GetDescriptionText(text, context);
        Check(!text.empty() && ValidUtf8(text));
        text.clear();
        entry.GetParamText(text, context);
        Check(ValidUtf8(text));
        text.clear();
        entry.GetRawDataText(text);
        Check(text.size() % 9 == 0);
        entry.FormatTextLine(text, static_cast<int>(header & 0x7FFFFFFF), context);
        Check(ValidUtf8(text));
        entry.FormatCsvLine(text, static_cast<int>(code & 0x7FFFFFFF), context);
        Check(ValidUtf8(text));

        qx7::CivilTime cached;
        if (context.ToLocal(time, cached)) {
            const auto direct = clock.ToLocal(946684800 + context.StandardOffsetWest() +
                                              static_cast<std::uint32_t>(
                                                  time - static_cast<std::uint32_t>(
                                                             context.StandardOffsetWest())));
            Check(direct && *direct == cached);
        }

        static std::FILE* sink = std::fopen("/dev/null", "wb");
        qx7::LogExportOptions options;
        options.extendedData = (selector & 64) != 0;
        options.types = {(selector & 128) != 0, true, (selector & 1) != 0};
        OneEntry textSource(entry);
        Check(qx7::ExportText(textSource, sink, context, options) == qx7::kExportOk);
        OneEntry csvSource(entry);
        Check(qx7::ExportCsv(csvSource, sink, context, options) == qx7::kExportOk);
    }
    return 0;
}
