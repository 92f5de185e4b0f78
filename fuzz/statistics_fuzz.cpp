// Arbitrary file bytes through the statistics, read from memory: record loading, both builders
// with and without a range, and every row formatted. A compressed log's records are also
// counted while it inflates, with each inflater: the answer and the count of the copy inflated
// first, and no temporary file or descriptor left.

#include <dirent.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzReaderSupport.h"
#include "core/export/StatisticsDayList.h"
#include "core/export/StatisticsJobList.h"
#include "core/log/LogDecompress.h"
#include "core/log/LogFileAccess.h"
#include "core/log/LogList.h"
#include "platform/SystemLocalTime.h"

namespace {

// Empty days written between days with records. A few suffice to take the filling both ways
// (gap closed, budget spent); the program's own budget would format thousands of rows per input.
constexpr std::uint64_t kFillerRows = 16;

void BuildAndFormat(const qx7::CLogList& records, const qx7::stats::DateRange& range,
                    const qx7::ILocalTime& localTime) {
    const qx7::CLogDate today(2030, 1, 1, 0, 0, 0, 0);
    qx7::CStatisticsDayList days;
    days.dateFormat = 2;
    days.BuildDays(records, range);
    qx7::CStatisticsJobList jobs;
    jobs.dateFormat = 1;
    jobs.BuildJobs(records, range, localTime);
    // The kept lists' rows, once: the rows written as the days and jobs complete must be these.
    std::vector<std::string> kept;
    std::vector<std::string> streamed;
    const auto into = [](std::vector<std::string>& rows) {
        return [&rows](std::string_view line) { rows.emplace_back(line); };
    };
    days.WriteDayRows(into(kept), today, kFillerRows);
    jobs.WriteJobRows(into(kept), today);

    std::size_t bytes = 0;
    for (const std::string& row : kept) {
        bytes += row.size();
    }
    for (const auto& day : days) {
        for (int kind = 0; kind <= 5; ++kind) {
            bytes += day->date.Format(kind).size();
        }
    }
    for (const auto& job : jobs) {
        bytes += job->FormatJobRow(1, 1, true).size();
    }
    if (bytes == 1) {
        std::abort();  // keeps the work observable; never true for real rows
    }

    qx7::CStatisticsDayList streamDays;
    streamDays.dateFormat = 2;
    streamDays.StreamDayRows(records, range, into(streamed), today, kFillerRows);
    qx7::CStatisticsJobList streamJobs;
    streamJobs.dateFormat = 1;
    streamJobs.StreamJobRows(records, range, localTime, into(streamed), today);
    if (kept != streamed) {
        std::abort();
    }
}

// The inflated copies go here, where a leftover would show.
std::string& Folder() {
    static std::string folder;
    return folder;
}

void RemoveFolder() {
    if (!Folder().empty()) {
        ::rmdir(Folder().c_str());
    }
}

// Entries of a folder other than "." and "..".
int CountEntries(const std::string& path) {
    DIR* folder = ::opendir(path.c_str());
    if (folder == nullptr) {
        std::abort();
    }
    int count = 0;
    while (const dirent* entry = ::readdir(folder)) {
        const std::string name = entry->d_name;
        count += name != "." && name != ".." ? 1 : 0;
    }
    ::closedir(folder);
    return count;
}

// The stream of a container past its magic.
std::FILE* PastMagic(const std::uint8_t* data, std::size_t size) {
    int opened = 0;
    std::FILE* source = qx7::LogSource::Memory(std::span(data, size)).Open(opened);
    char magic[8];
    if (source == nullptr || std::fread(magic, 1, sizeof magic, source) != sizeof magic) {
        std::abort();
    }
    return source;
}

void CountWhileInflating(const std::uint8_t* data, std::size_t size,
                         const qx7::ILocalTime& localTime) {
    const int descriptors = CountEntries("/proc/self/fd");
    int atOnce = 0;
    int atOnceError = 0;
    std::size_t atOnceCount = 0;
    {
        std::FILE* source = PastMagic(data, size);
        std::FILE* inflated = nullptr;
        atOnce = qx7::DecompressContainer(source, inflated, &atOnceError);
        std::fclose(source);
        if (inflated != nullptr) {
            qx7::CLogList records;
            if (records.Load(inflated, localTime) != 0) {
                std::abort();
            }
            atOnceCount = records.GetCount();
            std::fclose(inflated);
        }
    }
    {
        qx7::InflatingCopy copy;
        int error = 0;
        int answer = copy.Start(PastMagic(data, size), &error);
        qx7::CLogList records;
        if (answer == 0) {
            answer = records.Load(
                copy.Copy(),
                [&copy](void* buffer, std::size_t wanted, std::uint64_t offset) {
                    return copy.ReadAt(buffer, wanted, offset);
                },
                localTime);
            const int inflated = copy.Wait(&error);
            answer = inflated != 0 ? inflated : answer;
        }
        if (answer != atOnce || error != atOnceError ||
            (answer == 0 && records.GetCount() != atOnceCount)) {
            std::abort();
        }
    }
    if (CountEntries(Folder()) != 0 || CountEntries("/proc/self/fd") != descriptors) {
        std::abort();  // a copy outlived its reading
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base != nullptr ? base : "/tmp") + "/qx7fuzz-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr || ::setenv("TMPDIR", pattern.c_str(), 1) != 0) {
        std::abort();
    }
    Folder() = pattern;
    std::atexit(RemoveFolder);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const qx7::SystemLocalTime localTime;
    qx7::CLogList records;
    records.Load(qx7::LogSource::Memory(std::span(data, size)), localTime);

    std::uint32_t words[8];
    std::string text;
    for (const auto& record : records) {
        record.GetText(text);
        record.GetTextFromWord1(text);
        record.GetWords2To9(words);
        text = record.FirstDumpLine();
    }
    BuildAndFormat(records, {}, localTime);
    qx7::stats::DateRange range;
    range.on = true;
    range.start = qx7::CLogDate(2010, 1, 1, 0, 0, 0, 0);
    range.end = qx7::CLogDate(2020, 1, 1, 0, 0, 0, 0);
    BuildAndFormat(records, range, localTime);
    if (size >= 8 && std::memcmp(data, "QX7LG1ZL", 8) == 0) {
        qx7::fuzz::ForEachInflater([&] { CountWhileInflating(data, size, localTime); });
    }
    return 0;
}
