// The copy of a compressed log read while it is inflated: the same bytes and the same answers
// as the copy inflated before reading, with each inflater.

#include <gtest/gtest.h>

#ifndef _WIN32
#include <zlib.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "core/log/Inflate.h"
#include "core/log/LogDecompress.h"
#include "core/log/LogFileAccess.h"
#include "core/log/LogOpening.h"
#include "core/log/QXLogFile.h"
#include "loggen/LogBuilder.h"
#include "support/ScopedTimeZone.h"
#include "support/TempDir.h"

namespace qx7 {
namespace {

namespace fs = std::filesystem;

class FixedClock final : public ILocalTime {
  public:
    std::int64_t Now() const override { return 1700000000; }
    std::int64_t StandardOffsetWestSeconds() const override { return 0; }
    TimeZoneFacts ZoneFacts() const override { return {}; }
    std::optional<std::int64_t> FromLocal(const CivilTime& local) const override {
        return SecondsFromUtc(local);
    }
    std::optional<CivilTime> ToLocal(std::int64_t seconds) const override {
        return UtcFromSeconds(seconds);
    }
};

std::size_t EntriesIn(const fs::path& folder) {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

// Bytes that compress, but not to nothing.
std::string Pattern(std::size_t size) {
    std::string bytes;
    bytes.reserve(size);
    std::uint32_t state = 1;
    while (bytes.size() < size) {
        state = state * 1103515245U + 12345U;
        bytes += "entry " + std::to_string((state >> 16) % 5000) + ";";
    }
    bytes.resize(size);
    return bytes;
}

struct Started {
    int answer = 0;
    std::FILE* copy = nullptr;
    std::shared_ptr<const InflateJob> job;
};

class InflateWhileReadingTest : public ::testing::TestWithParam<const char*> {
  protected:
    void SetUp() override {
        if (std::string(GetParam()) == "isa-l" && !Inflate::HasIsal()) {
            GTEST_SKIP() << "built without ISA-L";
        }
    }
    void TearDown() override {
        EXPECT_EQ(EntriesIn(temporaries.Path()), 0U);
        EXPECT_EQ(EntriesIn("/proc/self/fd"), descriptors);
    }

    // Starts the inflate of `stream` (the gzip stream after the magic).
    Started Start(const std::string& stream, std::uint64_t limit = kMaxInflatedBytes) {
        const std::string path = logs.File("p1.zlg");
        test::WriteFile(path, "QX7LG1ZL" + stream);
        std::FILE* source = std::fopen(path.c_str(), "rb");
        EXPECT_NE(source, nullptr);
        std::fseek(source, 8, SEEK_SET);
        Started started;
        started.answer =
            DecompressContainerWhileReading(source, started.copy, started.job, nullptr, limit);
        if (started.answer != 0) {
            std::fclose(source);
        }
        return started;
    }

    // DecompressContainer's answer for the same stream.
    int AnswerAtOnce(const std::string& stream, std::uint64_t limit = kMaxInflatedBytes) {
        const std::string path = logs.File("p2.zlg");
        test::WriteFile(path, stream);
        std::FILE* source = std::fopen(path.c_str(), "rb");
        EXPECT_NE(source, nullptr);
        std::FILE* out = nullptr;
        const int answer = DecompressContainer(source, out, nullptr, limit);
        if (out != nullptr) {
            std::fclose(out);
        }
        std::fclose(source);
        return answer;
    }

    test::TempDir logs;
    test::TempDir temporaries;
    test::ScopedEnv tmpdir{"TMPDIR", temporaries.Path().string()};
    test::ScopedEnv inflater{"QX7_INFLATER", std::string(GetParam())};
    std::size_t descriptors = EntriesIn("/proc/self/fd");
};

INSTANTIATE_TEST_SUITE_P(Inflaters, InflateWhileReadingTest, ::testing::Values("isa-l", "zlib"),
                         [](const ::testing::TestParamInfo<const char*>& param) {
                             return std::string(param.param) == "zlib" ? "Zlib" : "Isal";
                         });

TEST_P(InflateWhileReadingTest, TheCopyReadsAsItGrowsAndSeeksAnywhere) {
    const std::string plain = Pattern(3 << 20);
    Started started = Start(loggen::Compress(plain).substr(8) + "trailing");
    ASSERT_EQ(started.answer, 0);
    std::string read;
    std::vector<char> piece(100003);
    std::size_t got = 0;
    while ((got = std::fread(piece.data(), 1, piece.size(), started.copy)) > 0) {
        read.append(piece.data(), got);
    }
    EXPECT_EQ(std::ferror(started.copy), 0);
    EXPECT_TRUE(read == plain) << read.size();
    // Back to the start and to anywhere; the end is the size of the whole copy.
    ASSERT_EQ(std::fseek(started.copy, 1000, SEEK_SET), 0);
    char bytes[16];
    ASSERT_EQ(std::fread(bytes, 1, sizeof bytes, started.copy), sizeof bytes);
    EXPECT_EQ(std::string(bytes, sizeof bytes), plain.substr(1000, sizeof bytes));
    ASSERT_EQ(std::fseek(started.copy, 0, SEEK_END), 0);
    EXPECT_EQ(std::ftell(started.copy), static_cast<long>(plain.size()));
    int error = -1;
    EXPECT_EQ(started.job->Wait(&error), 0);
    EXPECT_EQ(error, 0);
    EXPECT_EQ(started.job->Inflated(), plain.size());
    EXPECT_EQ(std::fclose(started.copy), 0);
}

TEST_P(InflateWhileReadingTest, AFailedInflateFailsTheReadAndAnswersAsAtOnce) {
    const std::string gz = loggen::Compress(Pattern(1 << 20)).substr(8);
    std::string badCheck = gz;
    badCheck[badCheck.size() - 6] = static_cast<char>(badCheck[badCheck.size() - 6] ^ 0x01);
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"cut in the middle", gz.substr(0, gz.size() / 2)},
        {"wrong check value", badCheck},
        {"not gzip at all", "plain bytes"},
        {"nothing", ""},
    };
    for (const auto& [what, stream] : cases) {
        Started started = Start(stream);
        ASSERT_EQ(started.answer, 0) << what;
        char chunk[65536];
        while (std::fread(chunk, 1, sizeof chunk, started.copy) == sizeof chunk) {
        }
        EXPECT_NE(std::ferror(started.copy), 0) << what;
        EXPECT_NE(std::fseek(started.copy, 0, SEEK_END), 0) << what;
        EXPECT_EQ(started.job->Wait(), -5) << what;
        EXPECT_EQ(AnswerAtOnce(stream), -5) << what;
        std::fclose(started.copy);
    }
    // Past the limit: too large, whatever was read before.
    Started large = Start(gz, 300000);
    ASSERT_EQ(large.answer, 0);
    EXPECT_EQ(large.job->Wait(), kLogInflatesTooLarge);
    EXPECT_LE(large.job->Inflated(), 300000U);
    EXPECT_EQ(AnswerAtOnce(gz, 300000), kLogInflatesTooLarge);
    std::fclose(large.copy);
}

TEST_P(InflateWhileReadingTest, ClosingBeforeTheEndStopsTheInflate) {
    // 256 MiB of one byte: a small stream that takes a while to inflate.
    const std::string gz = loggen::Compress(std::string(256 << 20, 'a'), 1).substr(8);
    Started started = Start(gz);
    ASSERT_EQ(started.answer, 0);
    char first[8];
    ASSERT_EQ(std::fread(first, 1, sizeof first, started.copy), sizeof first);
    EXPECT_EQ(std::string(first, sizeof first), "aaaaaaaa");
    EXPECT_EQ(std::fclose(started.copy), 0);
    // The inflate has ended by the close: either it was stopped or it had just finished.
    const int answer = started.job->Wait();
    EXPECT_TRUE(answer == -6 || (answer == 0 && started.job->Inflated() == (256U << 20))) << answer;
}

TEST_P(InflateWhileReadingTest, ALogForItsEntriesFailsAsOpenWhenItsInflateFails) {
    loggen::Ring ring(200000);
    for (std::uint32_t i = 0; i < 40000; ++i) {
        loggen::EntrySpec entry;
        entry.time = 448206307 + i;
        entry.code = 0x00010000;
        entry.type = 4;
        ring.Write(entry);
    }
    const std::string plain =
        loggen::ContainerBuilder().SavedAt("201403151400").LogData(ring).End().Plain();
    const std::string zlg = loggen::Compress(plain);
    std::string badCheck = zlg;
    badCheck[badCheck.size() - 6] = static_cast<char>(badCheck[badCheck.size() - 6] ^ 0x01);
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"whole", zlg},
        {"trailing bytes", zlg + "junk"},
        {"cut inside the log data", zlg.substr(0, zlg.size() / 2)},
        {"cut in the trailer", zlg.substr(0, zlg.size() - 2)},
        {"wrong check value", badCheck},
        {"compressed twice", loggen::Compress(zlg)},
        {"magic only", "QX7LG1ZL"},
    };
    const FixedClock clock;
    for (const auto& [what, bytes] : cases) {
        const std::string path = logs.File("log.zlg");
        test::WriteFile(path, bytes);
        // What the reader answers when the copy is complete before it is read.
        CQXLogFile before(clock);
        const int kind = before.Open(path);
        const bool entries = kind == 1 && before.OpenLogData();
        const int count = before.GetEntryCount();
        before.Close();

        CQXLogFile reader(clock);
        LogOpenFailure failure;
        const bool opened = OpenLogEntries(reader, path, kEnglish, failure);
        EXPECT_EQ(opened, entries) << what;
        if (kind != 1) {
            EXPECT_EQ(failure.answer, kind) << what;
            EXPECT_EQ(failure.cause, OpenFailureCause(kind, 0)) << what;
        } else if (opened) {
            EXPECT_EQ(reader.GetEntryCount(), count) << what;
            EXPECT_EQ(reader.FileSize(), plain.size()) << what;
        }
        reader.Close();
        // The next Open inflates before reading again.
        EXPECT_EQ(reader.Open(path), kind) << what;
    }
}

}  // namespace
}  // namespace qx7

#endif  // _WIN32
