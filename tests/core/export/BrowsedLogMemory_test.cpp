// The browser's core on the largest log it takes, every entry with a code of its own, under a
// 1 GiB address-space limit: the index, the code list, a selection of every entry and a copy of
// the most rows a copy takes. Before the code list was a sorted vector of integers, a log of
// this kind took 3.8 GB in the window and died of std::bad_alloc under a 1.5 GB limit.

// Address-space limits and fork are Linux's.
#ifndef _WIN32

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>

#include "core/export/BrowsedLog.h"
#include "core/log/QXLogEntry.h"
#include "loggen/LogBuilder.h"
#include "support/FixedNowLocalTime.h"
#include "support/TempDir.h"

#if defined(__SANITIZE_ADDRESS__)
#define QX7_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QX7_UNDER_ASAN 1
#endif
#endif

namespace qx7 {
namespace {

constexpr std::uint64_t kLimit = 1ULL << 30;
constexpr std::size_t kCopiedMost = 100000;  // the browser's copy cap

// A plain container whose log data holds `count` entries one second apart, entry i with code
// 0xC0000000 + i; written a piece at a time, so the test never holds the file either.
bool WriteDistinctCodesLog(const std::string& path, std::uint32_t count) {
    const std::uint32_t length = count * 16;
    std::string bytes = loggen::ContainerBuilder().BlockWithLength("LGDT", length, "").Plain();
    std::ofstream out(path, std::ios::binary);
    const std::uint32_t header = loggen::HeaderWord(0, 0, 0, 4);
    for (std::uint32_t i = 0; i < count && out; ++i) {
        for (const std::uint32_t word : {kEntryMarker, 480000000u + i, header, 0xC0000000u + i}) {
            for (int shift = 24; shift >= 0; shift -= 8) {
                bytes.push_back(static_cast<char>((word >> shift) & 0xFF));
            }
        }
        if (bytes.size() >= (1u << 20)) {
            out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
            bytes.clear();
        }
    }
    bytes.append("ENDF\0\0\0\0", 8);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out.flush());
}

// What the child does under the limit; 0 when every step gave what it should, else the step.
int BrowseUnderLimit(const std::string& path) {
    const rlimit limit{kLimit, kLimit};
    if (::setrlimit(RLIMIT_AS, &limit) != 0) {
        return 10;
    }
    const test::FixedNowLocalTime clock(0);
    BrowsedLog log(kEnglish, clock);
    if (log.Open(path) != BrowseOpenResult::kFull || log.Index().Size() != kMostIndexedEntries) {
        return 11;
    }
    // Every entry's code once: as many as entries, in a run without gaps.
    const std::vector<std::uint32_t>& codes = log.Codes();
    if (codes.size() != kMostIndexedEntries || codes.back() - codes.front() != codes.size() - 1 ||
        codes.capacity() != codes.size()) {
        return 12;
    }
    EntryFilter filter;
    const std::vector<std::uint32_t> shown = SelectEntries(log.Index(), filter);
    if (shown.size() != kMostIndexedEntries) {
        return 13;
    }
    // Select all, then copy: the rows are counted from the one span, and only the copied ones
    // are read and formatted.
    const CopiedRows copied = ChooseCopiedRows({{0, shown.size() - 1}}, kCopiedMost);
    if (copied.total != shown.size() || copied.rows.size() != kCopiedMost) {
        return 14;
    }
    LogEntryRow row;
    const CopiedText text = FormatCopiedRows(
        copied.rows,
        [&](std::size_t k) { return log.Row(shown[k], row) ? &row : nullptr; }, 32u << 20);
    if (text.rows != kCopiedMost) {
        return 15;
    }
    char last[16];
    std::snprintf(last, sizeof last, "[%08X]", log.Index()[shown[kCopiedMost - 1]].code);
    const std::string lastLine = text.text.substr(text.text.rfind('\n', text.text.size() - 2) + 1);
    return lastLine.find(last) != std::string::npos ? 0 : 16;
}

// The same log read a piece at a time, each piece added as it comes (the window's way): the
// pieces, the index growing from its first size and the codes gathered on the way.
int BrowseInPiecesUnderLimit(const std::string& path) {
    const rlimit limit{kLimit, kLimit};
    if (::setrlimit(RLIMIT_AS, &limit) != 0) {
        return 20;
    }
    const test::FixedNowLocalTime clock(0);
    BrowsedLog log(kEnglish, clock);
    std::size_t pieces = 0;
    const BrowseOpenResult result = log.OpenInPieces(path, [&](BrowsedPiece&& piece) {
        log.AddPiece(piece);
        ++pieces;
    });
    if (result != BrowseOpenResult::kFull || log.Index().Size() != kMostIndexedEntries ||
        pieces < 2) {
        return 21;
    }
    const std::vector<std::uint32_t>& codes = log.Codes();
    if (codes.size() != kMostIndexedEntries || codes.back() - codes.front() != codes.size() - 1) {
        return 22;
    }
    LogEntryRow row;
    return log.Row(kMostIndexedEntries - 1, row) && row.code == codes.back() ? 0 : 23;
}

// Runs the step in a child under the limit: its exit code (0 when every step went right, else
// the step, 128 + the signal that ended it) and its peak resident size.
struct ChildEnd {
    int code = -1;
    double peakMiB = 0;
};
ChildEnd InChild(int (*step)(const std::string&), const std::string& path, const char* what) {
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    if (child < 0) {
        return {};
    }
    if (child == 0) {
        ::_exit(step(path));
    }
    int status = 0;
    rusage usage{};
    if (::wait4(child, &status, 0, &usage) != child) {
        return {};
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ChildEnd end;
    end.code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    end.peakMiB = static_cast<double>(usage.ru_maxrss) / 1024.0;
    std::printf("[ peak     ] %s: %.1f MiB resident, %.1f s\n", what, end.peakMiB, seconds);
    return end;
}

TEST(BrowsedLogMemoryTest, TheLargestLogOfDistinctCodesStaysUnderAGibibyteReadInPieces) {
#ifdef QX7_UNDER_ASAN
    GTEST_SKIP() << "AddressSanitizer reserves more address space than the limit";
#endif
    test::TempDir dir;
    const std::string path = dir.File("distinct.log");
    ASSERT_TRUE(WriteDistinctCodesLog(path, static_cast<std::uint32_t>(kMostIndexedEntries + 1)));
    const ChildEnd end =
        InChild(&BrowseInPiecesUnderLimit, path, "browser core in pieces, distinct codes");
    EXPECT_EQ(end.code, 0) << "the step that failed, or 128 + the signal";
    // The index of the most entries (128 MiB) grown once from its first room, and the codes
    // (32 MiB): an index grown past its need by the pieces took 300 MiB.
    EXPECT_LT(end.peakMiB, 256.0);
}

TEST(BrowsedLogMemoryTest, TheLargestLogOfDistinctCodesStaysUnderAGibibyte) {
#ifdef QX7_UNDER_ASAN
    GTEST_SKIP() << "AddressSanitizer reserves more address space than the limit";
#endif
    test::TempDir dir;
    const std::string path = dir.File("distinct.log");
    const auto count = static_cast<std::uint32_t>(kMostIndexedEntries + 1);
    ASSERT_TRUE(WriteDistinctCodesLog(path, count));

    const auto start = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::_exit(BrowseUnderLimit(path));
    }
    int status = 0;
    rusage usage{};
    ASSERT_EQ(::wait4(child, &status, 0, &usage), child);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("[ peak     ] browser core, %u entries of distinct codes: %.1f MiB resident, "
                "%.1f s\n",
                count, static_cast<double>(usage.ru_maxrss) / 1024.0, seconds);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the step that failed";
}

}  // namespace
}  // namespace qx7

#endif  // _WIN32
