#include "loggen/Scenario.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <random>

#include "core/base/ByteOrder.h"
#include "core/base/LocalTime.h"

namespace qx7::loggen {
namespace {

constexpr std::int64_t kPrinterEpoch = 946684800;  // 2000-01-01 00:00:00 UTC
constexpr std::uint32_t kDay = 86400;
constexpr std::uint32_t kYear = 31536000;

// Entry types as the printer writes them.
constexpr std::uint32_t kError = 1;
constexpr std::uint32_t kSevereError = 2;
constexpr std::uint32_t kWarning = 3;
constexpr std::uint32_t kInfo = 4;
constexpr std::uint32_t kInfoDetail = 5;

const std::array<const char*, 12> kJobNames = {
    "T-shirt front.arp",   "Logo_white_A4.arp",  "Sweat back 2 (XL).arp", "ロゴ_白インク.arp",
    "チームTシャツ_前面.arp", "Tote bag.arp",       "Baby body 80.arp",      "桜デザイン_v3.arp",
    "Polo left chest.arp", "Hoodie sleeve.arp",  "Event 2014 staff.arp",  "名入れ_山田様.arp"};
const std::array<const char*, 6> kComments = {"Order 1043",     "reprint",   "白多め",
                                              "customer proof", "Rush job", "サンプル"};
const std::array<const char*, 5> kPlatens = {"16x20", "14x16", "10x12", "7x8", "16x18"};
const std::array<std::uint32_t, 6> kCleaningColours = {1, 2, 3, 4, 16, 18};
const std::array<std::uint32_t, 8> kHeadCleanings = {0x10000000, 0x10050000, 0x10100000,
                                                     0x10200000, 0x10250000, 0x10300000,
                                                     0x10600000, 0x10800000};

class EntryWriter {
public:
    EntryWriter(const ScenarioOptions& options, std::vector<std::uint32_t>& words,
                std::vector<std::uint32_t>* starts, ScenarioSummary& summary)
        : options_(options), random_(options.seed), words_(words), starts_(starts),
          summary_(summary) {}

    std::uint32_t Below(std::uint32_t bound) {
        return bound == 0 ? 0 : static_cast<std::uint32_t>(random_() % bound);
    }
    std::uint32_t Between(std::uint32_t low, std::uint32_t high) {
        return low + Below(high - low + 1);
    }
    bool Chance(std::uint32_t percent) { return Below(100) < percent; }

    bool Full() const { return summary_.entriesWritten >= options_.entries; }

    void Advance(std::uint32_t low, std::uint32_t high) {
        time_ += Between(low, high);
        milliseconds_ = Below(1000);
    }
    void SetTime(std::uint32_t time) { time_ = time; }
    std::uint32_t Time() const { return time_; }

    void Emit(std::uint32_t code, std::uint32_t type, std::vector<unsigned char> params = {},
              std::uint32_t subtype = 0) {
        EmitAt(time_, code, type, std::move(params), subtype);
    }

    void EmitAt(std::uint32_t time, std::uint32_t code, std::uint32_t type,
                std::vector<unsigned char> params, std::uint32_t subtype) {
        if (Full()) {
            return;
        }
        EntrySpec entry;
        entry.time = time;
        entry.milliseconds = milliseconds_;
        entry.type = type;
        entry.subtype = subtype;
        entry.code = options_.distinctCodes ? kFirstDistinctCode + summary_.entriesWritten : code;
        entry.params = std::move(params);
        if (starts_ != nullptr) {
            starts_->push_back(static_cast<std::uint32_t>(words_.size()));
        }
        const auto entryWords = EntryWords(entry);
        words_.insert(words_.end(), entryWords.begin(), entryWords.end());
        ++summary_.entriesWritten;
        if (time <= time_) {
            summary_.lastTime = std::max(summary_.lastTime, time);
        }
        // Records of one burst share the second; their milliseconds grow a little (and
        // sometimes not at all, which makes full ties).
        if (!Chance(15)) {
            milliseconds_ = std::min<std::uint32_t>(milliseconds_ + Between(1, 40), 2047);
        }
    }

    std::uint32_t NextJobId() { return ++jobId_; }

private:
    const ScenarioOptions& options_;
    std::mt19937_64 random_;
    std::vector<std::uint32_t>& words_;
    std::vector<std::uint32_t>* starts_;
    ScenarioSummary& summary_;
    std::uint32_t time_ = 0;
    std::uint32_t milliseconds_ = 0;
    std::uint32_t jobId_ = 0;
};

std::vector<unsigned char> JobText(std::uint32_t jobId, const char* text) {
    auto params = TextParams(text, 4);
    WriteU32BE(params.data(), jobId);
    return params;
}

std::vector<unsigned char> TemperatureParams(std::uint32_t tenths) {
    return WordParams({tenths & 0xFFFF});
}

std::vector<unsigned char> DotCounts(EntryWriter& w, std::uint32_t jobId, std::uint32_t copy,
                                     bool white) {
    std::vector<std::uint32_t> words = {jobId, copy};
    for (int colour = 0; colour < 4; ++colour) {
        words.push_back(w.Between(500000, 60000000));
    }
    for (int head = 0; head < 4; ++head) {
        words.push_back(white ? w.Between(10000000, 150000000) : 0);
    }
    return WordParams(words);
}

std::vector<unsigned char> MainSettings(EntryWriter& w) {
    std::vector<unsigned char> bytes(28, 0);
    // The artwork's save time, little-endian seconds since 1970.
    const std::uint32_t saved = 1388534400 + w.Below(3 * kYear);
    for (int i = 0; i < 4; ++i) {
        bytes[6 + static_cast<std::size_t>(i)] = static_cast<unsigned char>(saved >> (8 * i));
    }
    bytes[10] = static_cast<unsigned char>(w.Below(11));      // saturation
    bytes[11] = static_cast<unsigned char>(w.Below(11));      // contrast
    bytes[12] = static_cast<unsigned char>(w.Between(1, 6));  // ink volume
    bytes[14] = static_cast<unsigned char>(w.Below(2));       // one-way
    bytes[15] = static_cast<unsigned char>(w.Below(2));       // black ink
    bytes[16] = static_cast<unsigned char>(w.Below(5));       // white gradation
    bytes[17] = static_cast<unsigned char>(w.Below(2));       // mask
    bytes[19] = static_cast<unsigned char>(w.Below(4));       // highlight
    if (w.Chance(30)) {                                       // transparent colour
        bytes[20] = static_cast<unsigned char>(w.Between(1, 255));
        bytes[21] = static_cast<unsigned char>(w.Below(256));
        bytes[22] = static_cast<unsigned char>(w.Below(256));
    }
    bytes[26] = static_cast<unsigned char>(w.Between(1, 3));  // model
    return bytes;
}

std::vector<unsigned char> AdvancedSettings(EntryWriter& w, std::uint16_t resolution) {
    std::vector<unsigned char> bytes(20, 0);
    bytes[5] = static_cast<unsigned char>(w.Below(3));
    bytes[6] = static_cast<unsigned char>(w.Below(3));
    WriteU16BE(bytes.data() + 14, resolution);
    bytes[16] = static_cast<unsigned char>(1U << w.Below(4));  // multipass 1, 2, 4, 8
    return bytes;
}

void Cleaning(EntryWriter& w, std::uint32_t kind, std::uint32_t colour) {
    const auto params = WordParams({kind, colour});
    w.Emit(0x92000000, kInfo, params);
    w.Advance(30, 120);
    w.Emit(0x92010000, kInfo, params);
}

// Call arguments are evaluated in no fixed order: draw the numbers one by one.
void RandomCleaning(EntryWriter& w, std::uint32_t lowestKind, std::uint32_t highestKind) {
    const std::uint32_t kind = w.Between(lowestKind, highestKind);
    const std::uint32_t colour = kCleaningColours[w.Below(kCleaningColours.size())];
    Cleaning(w, kind, colour);
}

void PrintJob(EntryWriter& w, ScenarioSummary& summary) {
    const std::uint32_t jobId = w.NextJobId();
    ++summary.jobs;
    const bool white = !w.Chance(20);
    const std::uint16_t resolution = w.Chance(70) ? 1200 : 600;
    w.Emit(0x20000000, kInfo);
    w.Emit(0x90000000, kInfoDetail, WordParams({jobId}));
    w.Emit(0x90080000, kInfoDetail, JobText(jobId, kJobNames[w.Below(kJobNames.size())]));
    if (w.Chance(50)) {
        w.Emit(0x90090000, kInfoDetail, JobText(jobId, kComments[w.Below(kComments.size())]));
    }
    w.Emit(0x90030000, kInfoDetail, JobText(jobId, kPlatens[w.Below(kPlatens.size())]));
    w.Emit(0x90010000, kInfoDetail, WordParams({jobId, w.Between(1, 6)}));
    w.Emit(0x90060000, kInfoDetail, MainSettings(w));
    w.Emit(0x90070000, kInfoDetail, AdvancedSettings(w, resolution));
    w.Advance(2, 20);
    w.Emit(0x20010000, kInfo);
    const std::uint32_t copies = w.Between(1, 6);
    for (std::uint32_t copy = 1; copy <= copies && !w.Full(); ++copy) {
        w.Advance(5, 90);
        w.Emit(0x91000000, kInfo, WordParams({jobId, copy}));
        w.Advance(40, 240);
        if (w.Chance(8)) {
            w.Emit(0x91020000, kInfo, DotCounts(w, jobId, copy, white));
        } else {
            w.Emit(0x91010000, kInfo, DotCounts(w, jobId, copy, white));
            ++summary.finishedPrints;
        }
        if (w.Chance(10)) {
            w.Advance(5, 30);
            RandomCleaning(w, 4, 6);
        }
    }
}

void TestPrint(EntryWriter& w) {
    w.Emit(0x12300000, kInfo);
    w.Advance(5, 20);
    w.Emit(0x91000000, kInfo, WordParams({0, 1}));
    w.Advance(60, 120);
    w.Emit(0x91010000, kInfo, DotCounts(w, 0, 1, true));
}

// One of the less frequent events between jobs.
void Incident(EntryWriter& w) {
    switch (w.Below(14)) {
    case 0:
    {
        const std::uint32_t tenths = w.Between(80, 170);
        w.Emit(0x00001060, kWarning, TemperatureParams(tenths), w.Below(4));
    }
        break;
    case 1:
    {
        const std::uint32_t tenths = w.Between(320, 380);
        w.Emit(0x00001061, kWarning, TemperatureParams(tenths), w.Below(4));
    }
        break;
    case 2:
        w.Emit(0x00002051, kError, TemperatureParams(w.Between(400, 655)), 1);
        break;
    case 3:
        w.Emit(0x00002050, kError, TemperatureParams(w.Between(0, 60)), 1);
        break;
    case 4: {
        static const std::array<std::uint32_t, 4> codes = {0x13400000, 0x13410000, 0x13420000,
                                                           0x13430000};
        const std::int32_t value = static_cast<std::int32_t>(w.Between(0, 60)) - 5;
        w.Emit(codes[w.Below(codes.size())], kInfo,
               WordParams({static_cast<std::uint32_t>(value)}));
        break;
    }
    case 5:
        w.Emit(0x12500000, kInfo, {}, 2);
        break;
    case 6:
        w.Emit(0x12600000, kInfo, TextParams("DESIGN_0" + std::to_string(w.Below(10)) + ".AR3"));
        break;
    case 7:
        w.Emit(0x00004100, kSevereError, TextParams("/usb/ロゴ.AR3"), 3);
        break;
    case 8:
        w.Emit(0x00006104, kSevereError, WordParams({w.Below(5000), w.Below(5000)}), 5);
        break;
    case 9:
        w.Emit(0x12700000, kInfoDetail, WordParams({0x01020003}));
        break;
    case 10:  // unnamed types the printer also writes
    {
        const auto params = WordParams({w.Below(16), w.Below(256)});
        w.Emit(0x30000000, 0, params, w.Below(32));
    }
        break;
    case 11:
        w.Emit(0x4E000625, 6, TextParams("note: head rank B", 23), 31);
        break;
    case 12:
        w.Emit(0x13320000, 7, WordParams({w.Below(4)}));
        break;
    default:
        w.Emit(kHeadCleanings[w.Below(kHeadCleanings.size())], kInfo);
        w.Advance(1, 5);
        RandomCleaning(w, 1, 2);
        break;
    }
}

void OneDay(EntryWriter& w, std::uint32_t midnight, const ScenarioOptions& options,
            ScenarioSummary& summary) {
    w.SetTime(midnight + 7 * 3600 + w.Below(3 * 3600));
    w.Advance(0, 0);
    // Now and then the clock was wrong at power-on and the PC set it right again.
    if (options.futureEntries && (summary.futureEntries == 0 || w.Chance(2)) &&
        summary.entriesWritten > 20) {
        w.EmitAt(w.Time() + 2 * kYear + w.Below(kYear), 0x00010000, kInfo, {}, 0);
        ++summary.futureEntries;
        w.Advance(60, 300);
        w.Emit(0x20300000, kInfo);
    }
    w.Emit(0x00010000, kInfo);
    w.Advance(20, 45);
    w.Emit(0x00140000, kInfo);
    if (w.Chance(40)) {
        w.Advance(10, 60);
        w.Emit(0x03000000, kInfo);
        Cleaning(w, 0, 16);
    }
    const std::uint32_t jobs = w.Between(2, 12);
    for (std::uint32_t job = 0; job < jobs && !w.Full(); ++job) {
        w.Advance(60, 1800);
        if (w.Chance(6)) {
            TestPrint(w);
            w.Advance(30, 300);
        }
        if (w.Chance(25)) {
            Incident(w);
            w.Advance(10, 300);
        }
        if (w.Chance(12)) {
            w.Emit(0x03000000, kInfo);
            Cleaning(w, 0, 16);
            w.Advance(10, 60);
        }
        PrintJob(w, summary);
    }
}

void AppendU32(std::vector<unsigned char>& out, std::uint32_t value) {
    unsigned char bytes[4];
    WriteU32BE(bytes, value);
    out.insert(out.end(), bytes, bytes + 4);
}

void AppendU16(std::vector<unsigned char>& out, std::uint16_t value) {
    out.push_back(static_cast<unsigned char>(value >> 8));
    out.push_back(static_cast<unsigned char>(value));
}

}  // namespace

std::vector<std::uint32_t> GenerateEntryWords(const ScenarioOptions& options,
                                              ScenarioSummary* summary,
                                              std::vector<std::uint32_t>* entryStarts) {
    ScenarioSummary local;
    ScenarioSummary& made = summary != nullptr ? *summary : local;
    made = ScenarioSummary{};
    std::vector<std::uint32_t> words;
    words.reserve(static_cast<std::size_t>(options.entries) * 9);
    EntryWriter writer(options, words, entryStarts, made);
    std::uint32_t day = 0;
    while (!writer.Full()) {
        OneDay(writer, options.start + day * kDay, options, made);
        day += writer.Chance(20) ? 3u : 1u;  // days off now and then
    }
    made.wordsWritten = static_cast<std::uint32_t>(words.size());
    return words;
}

Ring GenerateRing(const ScenarioOptions& options, ScenarioSummary* summary) {
    ScenarioSummary local;
    ScenarioSummary& made = summary != nullptr ? *summary : local;
    std::vector<std::uint32_t> starts;
    const auto words = GenerateEntryWords(options, &made, &starts);
    std::uint32_t ringWords = options.ringWords;
    if (ringWords == 0) {
        // About three quarters of what was written, cut so that one entry straddles the end.
        const auto total = static_cast<std::uint32_t>(words.size());
        ringWords = std::max<std::uint32_t>(total / 4 * 3, 4);
        const auto covering = std::upper_bound(starts.begin(), starts.end(), ringWords);
        if (covering != starts.begin()) {
            ringWords = *(covering - 1) + 2;
        }
        ringWords = std::max<std::uint32_t>(ringWords, 4);
    }
    made.ringWords = ringWords;
    Ring ring(ringWords);
    ring.Write(words);
    return ring;
}

std::vector<unsigned char> SettingsData(std::uint32_t blockId, std::uint64_t seed) {
    std::mt19937_64 random(seed * 0x9E3779B97F4A7C15ULL + blockId);
    auto below = [&random](std::uint32_t bound) {
        return static_cast<std::uint32_t>(random() % bound);
    };
    std::vector<unsigned char> data;
    switch (blockId) {
    case 0x8011: {
        const std::array<std::uint32_t, 21> general = {
            3, 3, 0, 0, 0, 6, 24, 26, 0, 1, 1, 12000, 1000, 3500, 0, 0, 0, 0, 0, 0, 0};
        for (std::size_t i = 0; i < general.size(); ++i) {
            AppendU32(data, i == 1 ? below(6) : general[i]);
        }
        data.insert(data.end(), {192, 168, 0, 50});  // ip address
        AppendU32(data, 0xFFFFFF00);                         // subnet mask
        data.insert(data.end(), {192, 168, 0, 1});  // default gateway
        AppendU32(data, below(2));  // ulAllow16x18
        for (int i = 0; i < 26; ++i) {
            AppendU32(data, 0);
        }
        break;
    }
    case 0x8012:
    case 0x8016:
        for (int i = 0; i < 26; ++i) {
            AppendU16(data, static_cast<std::uint16_t>(static_cast<std::int16_t>(below(400)) - 200));
        }
        AppendU16(data, 1);  // CRPARAM_VALID
        for (int i = 0; i < 5; ++i) {
            AppendU16(data, 0);
        }
        break;
    case 0x8013:
        AppendU32(data, 0x3F);
        for (int i = 0; i < 20; ++i) {
            AppendU16(data, static_cast<std::uint16_t>(static_cast<std::int16_t>(below(40)) - 20));
        }
        AppendU32(data, 0xFFFFFC18u + below(50));  // Sur_Temp_Adjust about -1000
        for (int i = 0; i < 6; ++i) {
            AppendU16(data, static_cast<std::uint16_t>(below(100)));
        }
        for (int i = 0; i < 17; ++i) {
            AppendU32(data, 0);
        }
        break;
    case 0x8014:
        for (int row = 0; row < 124; ++row) {
            if (row >= 46 && row <= 53) {
                AppendU32(data, below(16));
                AppendU32(data, static_cast<std::uint32_t>(random()));
            } else if (row >= 75 && row <= 84) {
                AppendU32(data, 0xFFFFFFFF);
            } else {
                AppendU32(data, below(100000));
            }
        }
        break;
    case 0x8015: {
        const std::array<unsigned char, 36> head = {
            127, 127, 127, 131, 63,  63,  63,  67,  63,  63,  63, 67, 127, 127, 127, 127, 127, 127,
            127, 135, 63,  63,  63,  63,  63,  63,  63,  71,  63, 63, 63,  63,  63,  63,  63,  71};
        data.assign(head.begin(), head.end());
        data.resize(180, 0);
        data.resize(308, 0);
        break;
    }
    default:
        break;
    }
    return data;
}

void AddInformationAndSettings(ContainerBuilder& builder, const ScenarioOptions& options,
                               std::uint32_t savedAt) {
    unsigned char date[4];
    WriteU32BE(date, savedAt);
    const unsigned char versions[20] = {0x01, 0x05, 0x00, 0x12, 0x01, 0x02, 0x00, 0x03, 0x01,
                                        0x00, 0x00, 0x07, 0x02, 0x01, 0x00, 0x01, 0x01, 0x00,
                                        0x00, 0x04};
    unsigned char mac[6] = {0x00, 0x26, 0x73, 0, 0, 0};
    for (std::size_t i = 0; i < 3; ++i) {
        mac[3 + i] = static_cast<unsigned char>(options.seed >> (16 - 8 * i));
    }
    builder.TextBlock("Cust", "Quorvel Demo Shop")
        .TextBlock("Comm", "Synthetic log, seed " + std::to_string(options.seed) + " / 合成ログ")
        .TextBlock("PCDT", "SERVICE-PC01 Windows 10 Pro 64-bit")
        .Block("Date", std::string_view(reinterpret_cast<const char*>(date), sizeof date))
        .Block("Vers", std::string_view(reinterpret_cast<const char*>(versions), sizeof versions))
        .TextBlock("Prod", "QX730-" + std::to_string(100000 + options.seed % 900000))
        .TextBlock("18Cd", "ISM-7A3C-0042")
        .Block("MACa", std::string_view(reinterpret_cast<const char*>(mac), sizeof mac))
        .Block("Xtra", "unknown block, skipped by readers");
    const std::array<std::pair<const char*, std::uint32_t>, 6> settings = {
        {{"EP11", 0x8011}, {"EP12", 0x8012}, {"EP13", 0x8013},
         {"EP14", 0x8014}, {"EP15", 0x8015}, {"EP16", 0x8016}}};
    for (const auto& [tag, id] : settings) {
        const bool wrongSum = options.badSettings && id == 0x8013;
        const bool wrongLength = options.badSettings && id == 0x8016;
        builder.Block(tag, SettingsRecord(SettingsData(id, options.seed), wrongSum ? 1 : 0,
                                          wrongLength ? 4 : 0));
    }
}

std::string GenerateLog(const ScenarioOptions& options, LogForm form, ScenarioSummary* summary) {
    ScenarioSummary local;
    ScenarioSummary& made = summary != nullptr ? *summary : local;
    const Ring ring = GenerateRing(options, &made);
    if (form == LogForm::Bare) {
        return ring.Bytes();
    }
    const std::uint32_t savedAt = made.lastTime + 600;
    std::string twelve = "200001010000";
    if (const auto civil = UtcFromSeconds(kPrinterEpoch + savedAt)) {
        char text[32];
        std::snprintf(text, sizeof text, "%04d%02d%02d%02d%02d", civil->year, civil->month,
                      civil->day, civil->hour, civil->minute);
        twelve = text;
    }
    ContainerBuilder builder;
    builder.SavedAt(twelve);
    AddInformationAndSettings(builder, options, savedAt);
    builder.LogData(ring).End();
    std::string plain = builder.Plain();
    return form == LogForm::Compressed ? Compress(plain) : plain;
}

bool ParseStartDate(const std::string& text, std::uint32_t& printerTime) {
    int year = 0;
    int month = 0;
    int day = 0;
    char tail = 0;
    if (text.size() != 10 ||
        std::sscanf(text.c_str(), "%4d-%2d-%2d%c", &year, &month, &day, &tail) != 3 ||
        year < 2000 || year > 2135) {
        return false;
    }
    const CivilTime civil{year, month, day, 0, 0, 0};
    const std::int64_t seconds = SecondsFromUtc(civil);
    const auto back = UtcFromSeconds(seconds);
    if (!back || back->year != year || back->month != month || back->day != day) {
        return false;
    }
    printerTime = static_cast<std::uint32_t>(seconds - kPrinterEpoch);
    return true;
}

}  // namespace qx7::loggen
