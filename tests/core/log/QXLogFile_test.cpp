#include "core/log/QXLogFile.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <random>

#include "core/log/LogFileAccess.h"
#include "loggen/LogBuilder.h"
#include "support/FixedNowLocalTime.h"
#include "support/RecordingMessageSink.h"
#include "support/ScopedTimeZone.h"
#include "support/TempDir.h"

namespace qx7 {
namespace {

namespace fs = std::filesystem;
using loggen::EntrySpec;

// Printer time of the tests' present: 2015-03-18 13:20:00 UTC.
constexpr std::uint32_t kPresent = 480000000;
constexpr std::uint32_t kYear = 31536000;
const std::string kInternalError =
    "Internal Error.\nRestart PC and try again.\nIf failed, Please contact QVL";

EntrySpec Entry(std::uint32_t time, std::uint32_t code, std::uint32_t milliseconds = 0,
                std::vector<unsigned char> params = {}) {
    EntrySpec entry;
    entry.time = time;
    entry.code = code;
    entry.milliseconds = milliseconds;
    entry.params = std::move(params);
    return entry;
}

// What a delivered entry carries, for comparison with what was written.
struct Delivered {
    std::uint32_t time = 0;
    std::uint32_t milliseconds = 0;
    std::uint32_t code = 0;
    std::uint32_t type = 0;
    std::uint32_t subtype = 0;
    std::vector<unsigned char> params;  // without the spare bytes

    bool operator==(const Delivered&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Delivered& entry) {
    return out << "{t=" << entry.time << " ms=" << entry.milliseconds << " code=" << std::hex
               << entry.code << std::dec << " P=" << entry.params.size() << "}";
}

Delivered Expected(const EntrySpec& written) {
    return {written.time, written.milliseconds, written.code,
            written.type, written.subtype,      written.params};
}

std::vector<Delivered> ExpectedAll(const std::vector<EntrySpec>& written) {
    std::vector<Delivered> result;
    for (const auto& one : written) {
        result.push_back(Expected(one));
    }
    return result;
}

class QXLogFileTest : public ::testing::Test {
  protected:
    test::TempDir dir;
    test::RecordingMessageSink sink;
    Messages messages{kEnglish, sink};
    test::FixedNowLocalTime clock{test::kPrinterEpoch + kPresent};

    // The messages of the reader's report, as a caller shows them.
    std::vector<std::string> Shown(const CQXLogFile& reader) {
        sink.shown.clear();
        reader.Report().Show(messages);
        return sink.shown;
    }

    std::string Write(const std::string& name, const std::string& bytes) {
        const std::string path = dir.File(name);
        test::WriteFile(path, bytes);
        return path;
    }

    // Opens the log as its form asks (container or bare) and reads every entry.
    std::vector<Delivered> ReadAll(CQXLogFile& reader, const std::string& path,
                                   int* lastAnswer = nullptr) {
        const int opened = reader.Open(path);
        EXPECT_GE(opened, 0) << path;
        const bool ok = opened == 1 ? reader.OpenLogData() : reader.OpenRawLog(path);
        EXPECT_TRUE(ok) << path;
        std::vector<Delivered> result;
        if (!ok) {
            return result;
        }
        CQXLogEntry entry;
        int answer = 0;
        while ((answer = reader.ReadEntry(entry)) == 1) {
            Delivered got{entry.time,
                          static_cast<std::uint32_t>(entry.milliseconds),
                          entry.code,
                          static_cast<std::uint32_t>(entry.type),
                          static_cast<std::uint32_t>(entry.subtype),
                          {}};
            const auto& params = entry.Params();
            if (!params.empty()) {
                EXPECT_EQ(params.size(), static_cast<std::size_t>(entry.parameterLength) + 4);
                EXPECT_TRUE(std::all_of(params.end() - 4, params.end(),
                                        [](unsigned char c) { return c == 0; }));
                got.params.assign(params.begin(), params.end() - 4);
            } else {
                EXPECT_EQ(entry.parameterLength, 0);
            }
            result.push_back(std::move(got));
        }
        if (lastAnswer != nullptr) {
            *lastAnswer = answer;
        }
        return result;
    }

    std::vector<Delivered> ReadRing(const loggen::Ring& ring, int* count = nullptr) {
        CQXLogFile reader(clock);
        const std::string path =
            Write("ring.log", loggen::ContainerBuilder().LogData(ring).End().Plain());
        auto result = ReadAll(reader, path);
        if (count != nullptr) {
            *count = reader.GetEntryCount();
        }
        return result;
    }
};

std::size_t MarkersIn(const loggen::Ring& ring) {
    return static_cast<std::size_t>(
        std::count(ring.Words().begin(), ring.Words().end(), kEntryMarker));
}

// Entries of varied sizes through a small ring until it has wrapped a few times and the newest
// entry straddles the end; the entry it partly overwrote leaves its tail behind.
struct WrappedRing {
    loggen::Ring ring{1};
    std::vector<EntrySpec> survivors;  // complete entries, oldest first
};

WrappedRing MakeWrappedRing(std::uint32_t ringWords, unsigned seed) {
    WrappedRing made{loggen::Ring(ringWords), {}};
    std::mt19937 random(seed);
    auto next = [&random](std::uint32_t below) {
        return static_cast<std::uint32_t>(random() % below);
    };
    std::vector<EntrySpec> written;
    std::uint32_t time = kPresent - 50000000;
    int laps = 0;
    for (std::uint32_t i = 0;; ++i) {
        time += 1 + next(600);
        EntrySpec entry = Entry(time, 0x90000000 + i, next(2048));
        entry.type = next(8);
        entry.subtype = next(32);
        entry.params.resize(4 * next(12));
        for (auto& byte : entry.params) {
            byte = static_cast<unsigned char>(next(0x40));  // never forms a marker
        }
        const std::uint32_t before = made.ring.Cursor();
        made.ring.Write(entry);
        written.push_back(entry);
        const std::uint32_t after = made.ring.Cursor();
        if (after < before || after == 0) {
            ++laps;
            if (laps >= 3 && after > 0 && after < before) {
                break;
            }
        }
    }
    std::uint32_t used = 0;
    for (auto it = written.rbegin(); it != written.rend(); ++it) {
        used += 4 + static_cast<std::uint32_t>(it->params.size() / 4);
        if (used > ringWords) {
            break;
        }
        made.survivors.insert(made.survivors.begin(), *it);
    }
    return made;
}

// Every form of the log, in every time zone the tool meets: the same entries, oldest first.
class QXLogFileZoneTest : public QXLogFileTest, public ::testing::WithParamInterface<const char*> {
  protected:
    void SetUp() override { QX7_SKIP_UNLESS_PINNED(zone); }

    test::ScopedTimeZone zone{GetParam()};
};

TEST_P(QXLogFileZoneTest, WrappedRingDeliversTheSurvivorsOldestFirstInEveryForm) {
    // 70,000 words overflow the 256 KiB buffer, so refills cross the ring's end as well.
    for (const std::uint32_t ringWords : {0x1F3u, 70001u}) {
        const WrappedRing made = MakeWrappedRing(ringWords, ringWords);
        ASSERT_GT(made.ring.Cursor(), 0u);  // the newest entry runs past the data end
        const auto expected = ExpectedAll(made.survivors);
        const std::string plain = loggen::ContainerBuilder()
                                      .SavedAt("201503181320")
                                      .TextBlock("Cust", "customer")
                                      .LogData(made.ring)
                                      .End()
                                      .Plain();
        const std::vector<std::pair<std::string, std::string>> forms = {
            {"p1.log", plain},
            {"p1.zlg", loggen::Compress(plain)},
            {"p1.bin", made.ring.Bytes()},
            {"odd.bin", made.ring.Bytes() + "EdG"},  // 1..3 stray bytes are never read
        };
        for (const auto& [name, bytes] : forms) {
            CQXLogFile reader(clock);
            EXPECT_EQ(ReadAll(reader, Write(name, bytes)), expected) << name << " " << ringWords;
            EXPECT_EQ(reader.GetEntryCount(), static_cast<int>(MarkersIn(made.ring))) << name;
            EXPECT_TRUE(Shown(reader).empty()) << name;
        }
    }
}

TEST_P(QXLogFileZoneTest, EntriesBeyondAYearFromNowAreDeliveredButNeverTheNewest) {
    const std::vector<EntrySpec> entries = {Entry(kPresent - 100, 1), Entry(kPresent - 50, 2),
                                            Entry(kPresent + 400 * 86400, 3),
                                            Entry(kPresent - 200, 4)};
    loggen::Ring ring(64);
    for (const auto& entry : entries) {
        ring.Write(entry);
    }
    int count = 0;
    EXPECT_EQ(ReadRing(ring, &count),
              ExpectedAll({entries[2], entries[3], entries[0], entries[1]}));
    EXPECT_EQ(count, 4);
}

TEST_P(QXLogFileZoneTest, AClockYearsBehindStartsAfterTheFirstEntryOfTheRing) {
    // Nothing qualifies as the newest: delivery starts after the ring's first entry and ends
    // with it, in the middle of the history.
    clock.SetNow(test::kPrinterEpoch + kPresent - 3 * kYear);
    std::vector<EntrySpec> entries;
    loggen::Ring ring(40);
    for (std::uint32_t i = 0; i < 5; ++i) {
        entries.push_back(Entry(kPresent + i, i));
        ring.Write(entries.back());
    }
    EXPECT_EQ(ReadRing(ring),
              ExpectedAll({entries[1], entries[2], entries[3], entries[4], entries[0]}));
}

INSTANTIATE_TEST_SUITE_P(Zones, QXLogFileZoneTest,
                         ::testing::Values("UTC", "Asia/Tokyo", "America/New_York",
                                           "Australia/Sydney"));

TEST_F(QXLogFileTest, NewestEntryWrappingPastTheEndStartsDeliveryAtTheWrappedPart) {
    // Words 0..2 hold the newest entry's tail, then come the oldest complete entry, another
    // one and the leftover of an overwritten entry; the newest's marker stands at word 14.
    loggen::Ring ring(18);
    const EntrySpec oldest = Entry(1000, 0x10, 3, loggen::WordParams({7}));
    const EntrySpec middle = Entry(1001, 0x11);
    const EntrySpec newest = Entry(1002, 0x12, 0, loggen::WordParams({1, 2, 3}));
    ring.SetCursor(3);
    ring.Write(oldest);
    ring.Write(middle);
    ring.Write(std::vector<std::uint32_t>{0x11111111, 0x22222222});
    ring.Write(newest);
    ASSERT_EQ(ring.Cursor(), 3u);
    EXPECT_EQ(ReadRing(ring), ExpectedAll({oldest, middle, newest}));
}

TEST_F(QXLogFileTest, EqualTimesPickTheGreaterMillisecondsThenTheFirstInTheRing) {
    auto deliveredCodes = [this](const std::vector<EntrySpec>& entries) {
        loggen::Ring ring(64);
        for (const auto& entry : entries) {
            ring.Write(entry);
        }
        std::vector<std::uint32_t> codes;
        for (const auto& entry : ReadRing(ring)) {
            codes.push_back(entry.code);
        }
        return codes;
    };
    using Codes = std::vector<std::uint32_t>;
    // The later entry with more milliseconds wins; the earlier one with more does too.
    EXPECT_EQ(deliveredCodes({Entry(900, 1), Entry(1000, 2, 5), Entry(1000, 3, 700)}),
              (Codes{1, 2, 3}));
    EXPECT_EQ(deliveredCodes({Entry(1000, 2, 500), Entry(1000, 3, 100), Entry(900, 1)}),
              (Codes{3, 1, 2}));
    // Equal milliseconds: the first one met. Only the millisecond bits count, not the
    // parameter length or type that share the header word.
    EntrySpec longer = Entry(1000, 3, 9, loggen::WordParams({1, 2}));
    longer.type = 7;
    EXPECT_EQ(deliveredCodes({Entry(1000, 2, 9), longer, Entry(900, 1)}), (Codes{3, 1, 2}));
    // A tie at time 0 against the initial state.
    EXPECT_EQ(deliveredCodes({Entry(0, 1, 0), Entry(0, 2, 1)}), (Codes{1, 2}));
}

// The PC's present counts in UTC like the stamps, whatever the zone and its daylight time.
TEST_P(QXLogFileZoneTest, AYearFromNowIsTheLastAllowedNewestTime) {
    const std::vector<EntrySpec> atLimit = {Entry(kPresent + kYear, 1), Entry(kPresent, 2)};
    const std::vector<EntrySpec> pastLimit = {Entry(kPresent + kYear + 1, 1), Entry(kPresent, 2)};
    for (const auto& [entries, firstCode] : {std::pair{atLimit, 2u}, std::pair{pastLimit, 1u}}) {
        loggen::Ring ring(16);
        for (const auto& entry : entries) {
            ring.Write(entry);
        }
        const auto delivered = ReadRing(ring);
        ASSERT_EQ(delivered.size(), 2u);
        EXPECT_EQ(delivered[0].code, firstCode);
    }
}

TEST_F(QXLogFileTest, MarkersOfPartlyOverwrittenEntriesAreCounted) {
    // The printer jumped back to word 0 before the ring's end in an earlier lap, so the head of
    // an entry that had straddled the end (marker, time, header) is still there while its code
    // word was overwritten by the new lap.
    loggen::Ring ring(40);
    ring.SetCursor(37);
    ring.Write(Entry(100, 0x99));
    ring.SetCursor(0);
    for (std::uint32_t i = 0; i < 6; ++i) {
        ring.Write(Entry(1000 + i, i));
    }
    ASSERT_EQ(MarkersIn(ring), 7u);
    int count = 0;
    const auto delivered = ReadRing(ring, &count);
    EXPECT_EQ(count, 7);
    EXPECT_LT(delivered.size(), 7u);
    ASSERT_FALSE(delivered.empty());
    EXPECT_EQ(delivered.back().code, 5u);
}

TEST_F(QXLogFileTest, ParameterLengthNotAMultipleOfFourReadsTheWholeWordsOnly) {
    loggen::Ring ring(32);
    const EntrySpec odd = Entry(10, 0x90080000, 0, {'A', 'B', 'C', 'D', 'E', 'F'});
    const EntrySpec next = Entry(11, 0x1);
    ring.Write(odd);
    ring.Write(next);
    const auto delivered = ReadRing(ring);
    ASSERT_EQ(delivered.size(), 2u);
    EXPECT_EQ(delivered[0].params, (std::vector<unsigned char>{'A', 'B', 'C', 'D', 0, 0}));
    EXPECT_EQ(delivered[1], Expected(next));
}

// One entry object serves the whole delivery: parameters of every length up to the largest,
// long ones across the reader's buffer refills, must each come out whole and never keep bytes
// of the entry before.
TEST_F(QXLogFileTest, ParametersOfAnyLengthComeWholeThroughOneReusedEntry) {
    std::mt19937 random(3);
    std::vector<EntrySpec> written;
    std::uint32_t words = 0;
    for (std::uint32_t i = 0; words < 300000; ++i) {
        // Mostly short, now and then near the 8191-byte limit, in any length.
        const auto length =
            static_cast<std::uint32_t>(i % 7 == 0 ? 8000 + random() % 192 : random() % 70);
        EntrySpec entry = Entry(kPresent - 1000000 + i, 0x90080000, i % 2048);
        entry.params.resize(length);
        for (auto& byte : entry.params) {
            byte = static_cast<unsigned char>(0x41 + random() % 0x30);  // never forms a marker
        }
        words += 4 + (length + 3) / 4;
        written.push_back(entry);
    }
    loggen::Ring ring(words + 16);
    for (const auto& entry : written) {
        ring.Write(entry);
    }
    const auto delivered = ReadRing(ring);
    ASSERT_EQ(delivered.size(), written.size());
    for (std::size_t i = 0; i < written.size(); ++i) {
        // Only whole words are read: the bytes of a last partial word show as zeros.
        Delivered expected = Expected(written[i]);
        for (std::size_t b = expected.params.size() / 4 * 4; b < expected.params.size(); ++b) {
            expected.params[b] = 0;
        }
        ASSERT_EQ(delivered[i], expected) << i;
    }
}

TEST_F(QXLogFileTest, BlocksAreFoundByTagInAnyOrderAndRepeatedly) {
    const std::string plain = loggen::ContainerBuilder()
                                  .SavedAt("201403151345")
                                  .TextBlock("Cust", "ACME")
                                  .TextBlock("Comm", std::string("AB\0CD", 5), false)
                                  .TextBlock("PCDT", std::string("PC\0X", 4))
                                  .Block("Xtra", std::string(3, 'x'))  // unknown, skipped
                                  .Block("MACa", std::string("\x00\x11\x22\x33\x44\x55", 6))
                                  .LogData(loggen::WordBytes(loggen::EntryWords(Entry(1, 1))))
                                  .End()
                                  .TextBlock("Prod", "after the end")
                                  .Plain();
    CQXLogFile reader(clock);
    ASSERT_EQ(reader.Open(Write("blocks.log", plain)), 1);
    std::string text = "untouched";
    EXPECT_FALSE(reader.ReadTextBlock("Prod", text));
    EXPECT_EQ(text, "untouched");
    EXPECT_TRUE(reader.ReadTextBlock("Comm", text));
    EXPECT_EQ(text, std::string("AB\0CD", 5));  // no final zero: all bytes
    EXPECT_TRUE(reader.ReadTextBlock("PCDT", text));
    EXPECT_EQ(text, "PC");  // final zero: up to the first zero
    EXPECT_TRUE(reader.ReadTextBlock("Cust", text));
    EXPECT_EQ(text, "ACME");
    EXPECT_FALSE(reader.ReadTextBlock("cust", text));  // tags are case-sensitive

    std::uint32_t length = 99;
    unsigned char bytes[8] = {};
    EXPECT_FALSE(reader.ReadBlock("Date", sizeof bytes, bytes, length));
    EXPECT_EQ(length, 99u);
    EXPECT_TRUE(reader.ReadBlock("MACa", 0, nullptr, length));  // size query
    EXPECT_EQ(length, 6u);
    length = 0;
    EXPECT_TRUE(reader.ReadBlock("MACa", 4, bytes, length));  // too small: length only
    EXPECT_EQ(length, 6u);
    EXPECT_EQ(bytes[0], 0);
    EXPECT_TRUE(reader.ReadBlock("MACa", sizeof bytes, bytes, length));
    EXPECT_EQ(length, 6u);
    EXPECT_EQ(bytes[5], 0x55);
    EXPECT_TRUE(reader.FindBlock("LGDT", length));
    EXPECT_EQ(length, 16u);
    // Block reads do not disturb the log data opened afterwards.
    EXPECT_TRUE(reader.OpenLogData());
    EXPECT_TRUE(reader.ReadTextBlock("Cust", text));
    CQXLogEntry entry;
    EXPECT_EQ(reader.ReadEntry(entry), 1);
    EXPECT_EQ(entry.time, 1u);
    EXPECT_EQ(reader.ReadEntry(entry), 0);
}

TEST_F(QXLogFileTest, BlockSearchEndsAtTheFileEndWithoutEndfOrPastABadLength) {
    CQXLogFile reader(clock);
    std::uint32_t length = 0;
    ASSERT_EQ(
        reader.Open(Write("noend.log", loggen::ContainerBuilder().TextBlock("Cust", "x").Plain())),
        1);
    EXPECT_FALSE(reader.FindBlock("Comm", length));
    EXPECT_TRUE(reader.FindBlock("Cust", length));

    const std::string pastEnd = loggen::ContainerBuilder()
                                    .BlockWithLength("Cust", 0xFFFFFFF0u, "short")
                                    .TextBlock("Comm", "unreachable")
                                    .Plain();
    ASSERT_EQ(reader.Open(Write("bad.log", pastEnd)), 1);
    EXPECT_FALSE(reader.FindBlock("Comm", length));
    std::string text = "untouched";
    EXPECT_FALSE(reader.ReadTextBlock("Cust", text));  // fewer bytes than the length says
    EXPECT_EQ(text, "untouched");
    unsigned char bytes[16];
    ASSERT_EQ(
        reader.Open(Write(
            "cut.log", loggen::ContainerBuilder().BlockWithLength("MACa", 8, "\x01\x02").Plain())),
        1);
    EXPECT_FALSE(reader.ReadBlock("MACa", sizeof bytes, bytes, length));
}

TEST_F(QXLogFileTest, HeaderTextIsThePcSaveTime) {
    CQXLogFile reader(clock);
    std::string text;
    const std::string plain = loggen::ContainerBuilder().SavedAt("201403151345").Plain();
    EXPECT_EQ(reader.ReadHeaderText(Write("h.log", plain), text), 1);
    EXPECT_EQ(text, "201403151345");
    text.clear();
    EXPECT_EQ(reader.ReadHeaderText(Write("h.zlg", loggen::Compress(plain)), text), 1);
    EXPECT_EQ(text, "201403151345");
    EXPECT_TRUE(reader.Close());
    text = "kept";
    EXPECT_EQ(reader.ReadHeaderText(Write("short.log", plain.substr(0, 35)), text), kLogHeaderCut);
    EXPECT_EQ(reader.ReadHeaderText(Write("bare.log", "no container here"), text), 0);
    EXPECT_EQ(reader.ReadHeaderText(dir.File("missing.log"), text), -1);
    EXPECT_EQ(text, "kept");
}

TEST_F(QXLogFileTest, BadLogDataLengthsShowTheInternalErrorMinus150) {
    const std::string entry = loggen::WordBytes(loggen::EntryWords(Entry(1, 1)));
    for (const std::uint32_t length : {0u, 6u, 0x80000000u, 0xFFFFFFFCu}) {
        CQXLogFile reader(clock);
        ASSERT_EQ(
            reader.Open(Write(
                "len.log",
                loggen::ContainerBuilder().BlockWithLength("LGDT", length, entry).End().Plain())),
            1);
        EXPECT_FALSE(reader.OpenLogData()) << length;
        EXPECT_EQ(Shown(reader), std::vector<std::string>{kInternalError + " (-150)"}) << length;
    }
}

TEST_F(QXLogFileTest, LogDataFailuresWithoutAndWithMessage) {
    CQXLogFile reader(clock);
    // No "LGDT": quietly false.
    ASSERT_EQ(reader.Open(Write("none.log", loggen::ContainerBuilder().End().Plain())), 1);
    EXPECT_FALSE(reader.OpenLogData());
    EXPECT_TRUE(Shown(reader).empty());
    // Log data cut short by the end of the file: the scan cannot read a word.
    const std::string entry = loggen::WordBytes(loggen::EntryWords(Entry(1, 1)));
    ASSERT_EQ(
        reader.Open(Write("cut.log",
                          loggen::ContainerBuilder().BlockWithLength("LGDT", 4000, entry).Plain())),
        1);
    EXPECT_FALSE(reader.OpenLogData());
    EXPECT_EQ(Shown(reader), std::vector<std::string>{kInternalError + " (-152)"});
    // Words but no complete entry: fails without a message.
    ASSERT_EQ(
        reader.Open(Write("partial.log",
                          loggen::ContainerBuilder().LogData(entry.substr(0, 12)).End().Plain())),
        1);
    EXPECT_FALSE(reader.OpenLogData());
    EXPECT_TRUE(Shown(reader).empty());
    // Nothing open at all.
    reader.Close();
    EXPECT_FALSE(reader.OpenLogData());
    std::uint32_t word = 0;
    EXPECT_EQ(reader.ReadWord(word), 0);
}

TEST_F(QXLogFileTest, ShortFilesAreBareLogsWithoutEntries) {
    CQXLogFile reader(clock);
    for (const std::string& bytes : {std::string(), std::string("EdGe\x01", 5),
                                     std::string("QX7LG1X"), std::string("\x45\x64\x47\x65")}) {
        const std::string path = Write("short.log", bytes);
        EXPECT_EQ(reader.Open(path), 0) << bytes.size();
        EXPECT_FALSE(reader.OpenRawLog(path)) << bytes.size();
        EXPECT_TRUE(Shown(reader).empty()) << bytes.size();
    }
    EXPECT_FALSE(reader.OpenRawLog(dir.File("missing.log")));
    EXPECT_TRUE(Shown(reader).empty());
    EXPECT_EQ(reader.Open(dir.File("missing.log")), -1);
    EXPECT_TRUE(Shown(reader).empty());
}

TEST_F(QXLogFileTest, ExtensionsPlayNoPart) {
    loggen::Ring ring(16);
    ring.Write(Entry(5, 0x00010000));
    const std::string plain = loggen::ContainerBuilder().LogData(ring).End().Plain();
    const auto expected = ExpectedAll({Entry(5, 0x00010000)});
    CQXLogFile reader(clock);
    EXPECT_EQ(ReadAll(reader, Write("compressed.log", loggen::Compress(plain))), expected);
    EXPECT_EQ(ReadAll(reader, Write("plain.zlg", plain)), expected);
    EXPECT_EQ(ReadAll(reader, Write("bare.zlg", ring.Bytes())), expected);
}

TEST_F(QXLogFileTest, TheInflatedCopyHasNoNameAndGoesWithTheReader) {
    const test::TempDir temporaries;
    const test::ScopedEnv tmpdir("TMPDIR", temporaries.Path().string());
    const auto entries = [](const fs::path& folder) {
        return std::distance(fs::directory_iterator(folder), fs::directory_iterator());
    };
    const auto descriptors = [&] { return entries("/proc/self/fd"); };
    loggen::Ring ring(16);
    ring.Write(Entry(5, 0x00010000));
    const std::string path =
        Write("p1.zlg", loggen::Compress(loggen::ContainerBuilder().LogData(ring).End().Plain()));
    const auto before = descriptors();
    {
        CQXLogFile reader(clock);
        ASSERT_EQ(reader.Open(path), 1);
        // Nothing beside the log, nothing by name in the temporary folder; messages name the log.
        EXPECT_EQ(entries(dir.Path()), 1);
        EXPECT_EQ(entries(temporaries.Path()), 0);
        EXPECT_EQ(reader.FileName(), path);
        EXPECT_EQ(descriptors(), before + 1);
        EXPECT_TRUE(reader.OpenLogData());
        EXPECT_TRUE(reader.Close());
        EXPECT_EQ(descriptors(), before);
        EXPECT_FALSE(reader.Close());

        // Two readers of one compressed log at once each have their own copy.
        CQXLogFile second(clock);
        ASSERT_EQ(reader.Open(path), 1);
        EXPECT_EQ(ReadAll(second, path), ExpectedAll({Entry(5, 0x00010000)}));
        EXPECT_TRUE(reader.OpenLogData());
        second.Close();
        EXPECT_EQ(ReadAll(reader, path), ExpectedAll({Entry(5, 0x00010000)}));

        // Reopening and destruction release it as well.
        ASSERT_EQ(reader.Open(Write("other.log", "bare")), 0);
        EXPECT_EQ(descriptors(), before + 1);
        ASSERT_EQ(reader.Open(path), 1);
    }
    EXPECT_EQ(descriptors(), before);
    EXPECT_EQ(entries(temporaries.Path()), 0);
}

#ifndef _WIN32  // /proc: Linux only
TEST_F(QXLogFileTest, ACompressedLogInAFolderNobodyCanWriteOpens) {
    loggen::Ring ring(16);
    ring.Write(Entry(5, 0x00010000));
    const std::string path =
        Write("p1.zlg", loggen::Compress(loggen::ContainerBuilder().LogData(ring).End().Plain()));
    // /proc/self/fd is a folder where nobody, root included, can create a file.
    std::FILE* held = std::fopen(path.c_str(), "rb");
    ASSERT_NE(held, nullptr);
    const std::string procPath = "/proc/self/fd/" + std::to_string(::fileno(held));
    CQXLogFile reader(clock);
    EXPECT_EQ(ReadAll(reader, procPath), ExpectedAll({Entry(5, 0x00010000)}));
    reader.Close();
    std::fclose(held);
    // Only a temporary folder that cannot take the copy stops it.
    const test::ScopedEnv tmpdir("TMPDIR", dir.File("missing"));
    EXPECT_EQ(reader.Open(path), -2);
}
#endif

TEST_F(QXLogFileTest, DamagedCompressedLogsFailAndLeaveNoTemporaryFiles) {
    const test::TempDir temporaries;
    const test::ScopedEnv tmpdir("TMPDIR", temporaries.Path().string());
    loggen::Ring ring(4000);
    for (std::uint32_t i = 0; i < 500; ++i) {
        ring.Write(Entry(i, i, 0, loggen::WordParams({i * 7919u, i})));
    }
    const std::string plain = loggen::ContainerBuilder().LogData(ring).End().Plain();
    const std::string compressed = loggen::Compress(plain);
    std::string flipped = compressed;
    flipped[flipped.size() / 2] = static_cast<char>(flipped[flipped.size() / 2] ^ 0x5A);
    const std::vector<std::pair<std::string, std::string>> damaged = {
        {"cut in the middle", compressed.substr(0, compressed.size() / 2)},
        {"cut before the trailer", compressed.substr(0, compressed.size() - 4)},
        {"flipped byte", flipped},
        {"not gzip at all", "QX7LG1ZL" + plain},
        {"magic alone", "QX7LG1ZL"},
        {"stream holds no container", loggen::Compress("just some text")},
        {"stream holds another compressed log",
         "QX7LG1ZL" + loggen::Compress(compressed).substr(8)},
    };
    for (const auto& [what, bytes] : damaged) {
        CQXLogFile reader(clock);
        const std::string path = Write("d.zlg", bytes);
        EXPECT_EQ(reader.Open(path), -5) << what;
        reader.Close();
        EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 1)
            << what;
        EXPECT_TRUE(fs::is_empty(temporaries.Path())) << what;
    }
}

TEST_F(QXLogFileTest, AShortReadWhileDeliveringAnswersMinus1) {
    // A ring larger than one buffer; the file shrinks after opening, so a later fill fails.
    loggen::Ring ring(200000);
    for (std::uint32_t i = 0; i < 40000; ++i) {
        ring.Write(Entry(i + 1, i));
    }
    const std::string path = Write("shrinking.log", ring.Bytes());
    CQXLogFile reader(clock);
    ASSERT_EQ(reader.Open(path), 0);
    ASSERT_TRUE(reader.OpenRawLog(path));
    ASSERT_EQ(::truncate(path.c_str(), 100000), 0);
    CQXLogEntry entry;
    int answer = 0;
    int delivered = 0;
    while ((answer = reader.ReadEntry(entry)) == 1) {
        ++delivered;
    }
    EXPECT_EQ(answer, -1);
    EXPECT_LT(delivered, 40000);
}

}  // namespace
}  // namespace qx7
