// Cutting a log at its entry markers, against a plain reading of the rule: the bytes after a
// marker up to and including the next one are a record, the last record runs to the end.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "core/base/FileSystem.h"
#include "core/log/LogFileAccess.h"
#include "core/log/LogList.h"
#include "platform/SystemLocalTime.h"
#include "support/LogEntryBytes.h"
#include "support/ScopedTimeZone.h"

namespace qx7 {
namespace {

using test::EntryBytes;

// The code of each record, cut the plain way (pieces under the size limit only).
std::vector<std::uint32_t> ExpectedCodes(const std::string& bytes) {
    std::vector<std::uint32_t> codes;
    std::size_t at = bytes.find("EdGe");
    if (at == std::string::npos) {
        return codes;
    }
    at += 4;
    while (at < bytes.size()) {
        const std::size_t next = bytes.find("EdGe", at);
        const std::size_t end = next == std::string::npos ? bytes.size() : next + 4;
        std::uint32_t code = 0;
        if (end - at >= 12) {
            for (std::size_t i = 8; i < 12; ++i) {
                code = code << 8 | static_cast<unsigned char>(bytes[at + i]);
            }
        }
        codes.push_back(code);
        at = end;
    }
    return codes;
}

std::vector<std::uint32_t> CutCodes(const std::string& bytes, CLogList& list,
                                    const ILocalTime& localTime) {
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    EXPECT_EQ(list.Load(LogSource::Memory({data, bytes.size()}), localTime), 0);
    std::vector<std::uint32_t> codes;
    for (const CLogRecord& record : list) {
        codes.push_back(record.GetCode());
    }
    EXPECT_EQ(list.GetCount(), codes.size());
    return codes;
}

TEST(LogListCuttingTest, MarkersAreFoundAtEveryPlaceAmongPartsOfMarkers) {
    QX7_PIN_TIME_ZONE(tz, "UTC");
    SystemLocalTime localTime;
    // Few letters, so that parts of markers ("EdG", "dGe", "EE") are everywhere.
    const std::string letters("EdGex\0", 6);
    std::mt19937 random(7);
    for (std::size_t round = 0; round < 400; ++round) {
        std::string bytes(random() % 3000, 'x');
        for (char& byte : bytes) {
            byte = letters[random() % letters.size()];
        }
        // And whole markers at all places of a 16-byte stretch and near the end.
        for (std::size_t at = round % 37; at + 4 <= bytes.size(); at += 29 + round % 11) {
            bytes.replace(at, 4, "EdGe");
        }
        CLogList list;
        ASSERT_EQ(CutCodes(bytes, list, localTime), ExpectedCodes(bytes)) << "round " << round;
    }
}

TEST(LogListCuttingTest, AMarkerEndingTheBytesOrCutByTheirEndIsTakenAsThePlainRuleSays) {
    QX7_PIN_TIME_ZONE(tz, "UTC");
    SystemLocalTime localTime;
    const std::string record = "0123456789ABCDEFGHIJ";
    for (std::size_t length = 0; length < 40; ++length) {
        const std::string head = "EdGe" + record.substr(0, std::min(length, record.size())) +
                                 std::string(length > record.size() ? length - record.size() : 0, 'E');
        for (const std::string tail : {"", "E", "Ed", "EdG", "EdGe", "EdGeE", "EdGeEdGe"}) {
            const std::string bytes = head + tail;
            CLogList list;
            EXPECT_EQ(CutCodes(bytes, list, localTime), ExpectedCodes(bytes))
                << length << " " << tail;
        }
    }
}

TEST(LogListCuttingTest, EachRecordOfAWalkStartsFromNothingOfTheOneBefore) {
    QX7_PIN_TIME_ZONE(tz, "UTC");
    SystemLocalTime localTime;
    // A note with its text and a dump, then a record too short for anything, then one without
    // parameters.
    const std::string note = EntryBytes(test::PrinterSeconds(2014, 3, 15), 0x4E000625,
                                        std::string(23, 'n') + "text of the note" + '\0');
    const std::string bytes = note + "EdGe" + "short" + EntryBytes(500, 0x91000000);
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    CLogList list;
    ASSERT_EQ(list.Load(LogSource::Memory({data, bytes.size()}), localTime), 0);
    std::vector<std::string> notes;
    std::vector<bool> dumps;
    std::vector<CLogDate> dates;
    for (const CLogRecord& record : list) {
        notes.push_back(record.GetNote());
        dumps.push_back(record.HasDump());
        dates.push_back(record.GetDate());
    }
    ASSERT_EQ(notes.size(), 3U);
    EXPECT_EQ(notes[0], "text of the note");
    EXPECT_TRUE(dumps[0]);
    EXPECT_EQ(dates[0], CLogDate(2014, 3, 15, 0, 0, 0, 0));
    for (std::size_t i = 1; i < 3; ++i) {
        EXPECT_EQ(notes[i], "") << i;
        EXPECT_FALSE(dumps[i]) << i;
    }
    EXPECT_EQ(dates[1], CLogDate());
}

TEST(LogListCuttingTest, AFileReadAsItGrowsGivesTheCountOfTheWholeFile) {
    QX7_PIN_TIME_ZONE(tz, "UTC");
    SystemLocalTime localTime;
    std::string bytes;
    for (std::uint32_t i = 0; i < 50000; ++i) {
        bytes += "EdGe" + std::string(8, 'x') + std::to_string(i);
    }
    auto shared = std::make_shared<const std::vector<unsigned char>>(bytes.begin(), bytes.end());
    std::FILE* file = OpenMemoryStream(shared);
    ASSERT_NE(file, nullptr);
    // A few bytes a read, as a copy that is still being written gives them.
    std::size_t reads = 0;
    const CLogList::ByteReader growing = [&](void* buffer, std::size_t size,
                                              std::uint64_t offset) -> std::int64_t {
        ++reads;
        if (offset >= bytes.size()) {
            return 0;
        }
        const std::size_t got = std::min<std::size_t>({size, 4093, bytes.size() - offset});
        std::copy_n(bytes.data() + offset, got, static_cast<char*>(buffer));
        return static_cast<std::int64_t>(got);
    };
    CLogList list;
    ASSERT_EQ(list.Load(file, growing, localTime), 0);
    std::fclose(file);
    EXPECT_GT(reads, bytes.size() / 4093);
    EXPECT_EQ(list.GetCount(), 50000U);
    std::size_t walked = 0;
    for (auto walk = list.Records(); walk.Next() != nullptr;) {
        ++walked;
    }
    EXPECT_EQ(walked, 50000U);
}

}  // namespace
}  // namespace qx7
