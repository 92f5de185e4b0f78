// Readers fed from memory read what they read from a file with the same bytes: the log reader,
// the entry index over it and the record list, for every form of log.

#include <gtest/gtest.h>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "core/log/LogEntryIndex.h"
#include "core/log/LogFileAccess.h"
#include "core/log/LogList.h"
#include "core/log/QXLogFile.h"
#include "loggen/LogBuilder.h"
#include "support/FixedNowLocalTime.h"
#include "support/RecordingMessageSink.h"
#include "support/TempDir.h"

namespace qx7 {
namespace {

using loggen::EntrySpec;

constexpr std::uint32_t kPresent = 480000000;

EntrySpec Entry(std::uint32_t time, std::uint32_t code, std::vector<unsigned char> params = {}) {
    EntrySpec entry;
    entry.time = time;
    entry.code = code;
    entry.milliseconds = time % 1000;
    entry.params = std::move(params);
    return entry;
}

// A ring that has wrapped: the oldest entry is in the middle, one entry straddles the end.
loggen::Ring WrappedRing() {
    loggen::Ring ring(96);
    for (std::uint32_t i = 0; i < 14; ++i) {
        ring.Write(Entry(kPresent - 5000 + i * 60, 0x4E000600 + i,
                         i % 3 == 0 ? loggen::TextParams("job " + std::to_string(i), 4)
                                    : std::vector<unsigned char>{}));
    }
    return ring;
}

std::string PlainContainer() {
    return loggen::ContainerBuilder()
        .SavedAt("201503181320")
        .TextBlock("Cust", "Customer")
        .TextBlock("Comm", std::string(40, 'c'))
        .Block("Date", "20150318")
        .LogData(WrappedRing())
        .End()
        .Plain();
}

struct Reading {
    int opened = 0;
    std::string name;
    std::uint64_t size = 0;
    int count = 0;
    std::vector<std::string> entries;
    std::vector<std::string> indexed;
    std::string customer;
    std::string commentHead;
    bool commentCut = false;
    int header = 0;
    std::string headerText;

    bool operator==(const Reading&) const = default;
};

void PrintTo(const Reading& r, std::ostream* out) {
    *out << "{opened " << r.opened << ", name " << r.name << ", size " << r.size << ", count "
         << r.count << ", " << r.entries.size() << " entries, " << r.indexed.size()
         << " indexed, header " << r.header << " " << r.headerText << "}";
}

std::string Describe(const CQXLogEntry& entry, std::uint32_t position) {
    std::string text = std::to_string(position) + ":" + std::to_string(entry.time) + ":" +
                       std::to_string(entry.code) + ":" + std::to_string(entry.type) + ":";
    for (const unsigned char byte : entry.Params()) {
        text += std::to_string(byte) + ",";
    }
    return text;
}

class LogSourceTest : public ::testing::Test {
  protected:
    test::TempDir dir;
    test::FixedNowLocalTime clock{test::kPrinterEpoch + kPresent};

    // Everything a viewer reads of a log, through the calling order the viewers use.
    Reading Read(const LogSource& source) {
        Reading r;
        CQXLogFile reader(clock);
        r.opened = reader.Open(source);
        r.name = reader.FileName();
        if (r.opened == 1) {
            reader.ReadTextBlock("Cust", r.customer);
            reader.ReadTextBlockHead("Comm", 16, r.commentHead, r.commentCut);
        }
        const bool ready =
            (r.opened == 1 && reader.OpenLogData()) || (r.opened == 0 && reader.OpenRawLog(source));
        if (ready) {
            r.size = reader.FileSize();
            r.count = reader.GetEntryCount();
            CQXLogEntry entry;
            while (reader.ReadEntry(entry) == 1) {
                r.entries.push_back(Describe(entry, reader.EntryPosition()));
            }
            EXPECT_TRUE(reader.SeekEntry(0));
            LogEntryIndex index;
            EXPECT_EQ(index.Build(reader), IndexEnd::kComplete);
            const LogTextContext context(kEnglish, clock);
            LogEntryRows rows(reader, index, context);
            for (std::size_t i = index.Size(); i-- > 0;) {
                CQXLogEntry again;
                EXPECT_TRUE(rows.Entry(i, again));
                r.indexed.push_back(Describe(again, index[i].position));
            }
        }
        r.header = reader.ReadHeaderText(source, r.headerText);
        return r;
    }

    void ExpectSameFromMemory(const std::string& fileName, const std::string& bytes,
                              int expectedOpen) {
        SCOPED_TRACE(fileName);
        const std::string path = dir.File(fileName);
        test::WriteFile(path, bytes);
        const Reading fromFile = Read(LogSource::File(path));
        const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
        const Reading fromMemory = Read(LogSource::Memory(std::span(data, bytes.size()), path));
        EXPECT_EQ(fromFile.opened, expectedOpen);
        EXPECT_EQ(fromMemory, fromFile);
        // The path overloads read the same as a file source.
        CQXLogFile reader(clock);
        EXPECT_EQ(reader.Open(path), expectedOpen);
    }
};

TEST_F(LogSourceTest, PlainCompressedAndBareLogsReadAlikeFromMemoryAndFromAFile) {
    const std::string plain = PlainContainer();
    ExpectSameFromMemory("plain.log", plain, 1);
    ExpectSameFromMemory("compressed.zlg", loggen::Compress(plain), 1);
    ExpectSameFromMemory("bare.log", WrappedRing().Bytes(), 0);
}

TEST_F(LogSourceTest, DamagedLogsFailAlikeFromMemoryAndFromAFile) {
    const std::string plain = PlainContainer();
    ExpectSameFromMemory("cut-header.log", plain.substr(0, 20), 1);
    ExpectSameFromMemory("cut-data.log", plain.substr(0, plain.size() - 30), 1);
    ExpectSameFromMemory("cut-stream.zlg", loggen::Compress(plain).substr(0, 40), -5);
    ExpectSameFromMemory("not-gzip.zlg", "QX7LG1ZL" + std::string(64, 'x'), -5);
    ExpectSameFromMemory("empty.log", "", 0);
}

TEST_F(LogSourceTest, AMemoryLogIsNamedAsGivenAndKeepsItsBytes) {
    std::vector<unsigned char> bytes(WrappedRing().Bytes().size());
    const std::string ring = WrappedRing().Bytes();
    std::copy(ring.begin(), ring.end(), bytes.begin());
    const LogSource source = LogSource::Memory(bytes, "printer.log");
    EXPECT_TRUE(source.InMemory());
    EXPECT_FALSE(LogSource::File("printer.log").InMemory());
    // The caller's bytes may change or go: the source holds its own copy.
    std::fill(bytes.begin(), bytes.end(), 0);
    CQXLogFile reader(clock);
    ASSERT_EQ(reader.Open(source), 0);
    EXPECT_EQ(reader.FileName(), "printer.log");
    ASSERT_TRUE(reader.OpenRawLog(source));
    EXPECT_EQ(reader.GetEntryCount(), 14);
    EXPECT_EQ(reader.FileSize(), ring.size());
}

// The statistics' reading: the same records in the same order.
TEST_F(LogSourceTest, TheRecordListLoadsAlikeFromMemoryAndFromAFile) {
    for (const std::string& bytes :
         {PlainContainer(), WrappedRing().Bytes(), std::string("EdGe"), std::string()}) {
        const std::string path = dir.File("records.log");
        test::WriteFile(path, bytes);
        CLogList fromFile;
        ASSERT_EQ(fromFile.Load(path, clock), 0);
        CLogList fromMemory;
        const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
        ASSERT_EQ(fromMemory.Load(LogSource::Memory(std::span(data, bytes.size())), clock), 0);
        // A second load appends, as from a file.
        ASSERT_EQ(fromMemory.Load(LogSource::Memory(std::span(data, bytes.size())), clock), 0);
        ASSERT_EQ(fromFile.Load(path, clock), 0);
        ASSERT_EQ(fromMemory.GetCount(), fromFile.GetCount());
        std::vector<std::string> fileRecords;
        std::vector<std::string> memoryRecords;
        for (auto* list : {&fromFile, &fromMemory}) {
            auto& out = list == &fromFile ? fileRecords : memoryRecords;
            for (const CLogRecord& record : *list) {
                std::string text;
                record.GetText(text);
                out.push_back(std::to_string(record.GetIndex()) + " " +
                              std::to_string(record.GetCode()) + " " + record.GetDate().Format(0) +
                              " " + text + " " + record.FirstDumpLine());
            }
        }
        EXPECT_EQ(memoryRecords, fileRecords);
        EXPECT_EQ(memoryRecords.size(), fromFile.GetCount());
    }
    // A source that cannot be opened answers as before.
    CLogList missing;
    EXPECT_EQ(missing.Load(LogSource::File(dir.File("missing.log")), clock), -1);
}

// Logs longer than the list's window: every record, also those that straddle where the window
// is refilled or grows, is cut as written.
TEST_F(LogSourceTest, ALogLongerThanTheWindowLoadsEveryRecordFromMemoryAndFromAFile) {
    std::string bytes = "lead-in";
    std::vector<std::uint32_t> written;
    for (std::uint32_t i = 0; bytes.size() < 2'600'000; ++i) {
        const std::uint32_t code = 0x4E000000 + i;
        written.push_back(code);
        const std::vector<unsigned char> params(4 * (i % 97), static_cast<unsigned char>(i));
        bytes += loggen::WordBytes(loggen::EntryWords(Entry(kPresent - i, code, params)));
    }
    const std::string path = dir.File("long.log");
    test::WriteFile(path, bytes);
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    for (const LogSource& source :
         {LogSource::File(path), LogSource::Memory(std::span(data, bytes.size()))}) {
        CLogList records;
        ASSERT_EQ(records.Load(source, clock), 0);
        EXPECT_EQ(records.GetCount(), written.size());
        std::vector<std::uint32_t> codes;
        for (const CLogRecord& record : records) {
            codes.push_back(record.GetCode());
        }
        EXPECT_EQ(codes, written) << source.InMemory();
    }
}

}  // namespace
}  // namespace qx7
