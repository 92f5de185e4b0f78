// The log container reader on arbitrary file bytes, read from memory: plain, compressed (with
// each inflater, which must agree) or bare, through the whole calling order the viewers use. No
// temporary file may outlive its reader, by name or as an open descriptor.

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "FuzzReaderSupport.h"
#include "core/log/LogFileAccess.h"
#include "core/log/LogOpening.h"
#include "core/log/QXLogFile.h"

namespace {

// The reader's temporaries go here, where a leftover would show.
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

namespace {

void ReadThrough(const std::uint8_t* data, std::size_t size) {
    const qx7::LogSource source = qx7::LogSource::Memory(std::span(data, size), "in.zlg");
    const int descriptors = CountEntries("/proc/self/fd");
    const qx7::fuzz::FixedUtcClock clock;
    {
        qx7::CQXLogFile reader(clock);
        const int opened = reader.Open(source);
        bool ready = false;
        if (opened == 1) {
            ready = reader.OpenLogData();
        } else if (opened == 0) {
            ready = reader.OpenRawLog(source);
        }
        if (ready) {
            // Going back to where an entry stood reads that entry again.
            qx7::CQXLogEntry entry;
            std::vector<std::pair<std::uint32_t, qx7::CQXLogEntry>> marks;
            for (int read = 0; reader.ReadEntry(entry) == 1; ++read) {
                if (read % 7 == 0 && marks.size() < 32) {
                    marks.emplace_back(reader.EntryPosition(), entry);
                }
            }
            for (const auto& [position, first] : marks) {
                qx7::CQXLogEntry again;
                if (!reader.SeekEntry(position) || reader.ReadEntry(again) != 1 ||
                    reader.EntryPosition() != position || again.time != first.time ||
                    again.code != first.code || again.Params() != first.Params()) {
                    std::abort();
                }
            }
        }
        if (reader.Open(source) == 1) {
            std::uint32_t length = 0;
            unsigned char bytes[32];
            std::string text;
            reader.FindBlock("LGDT", length);
            reader.ReadBlock("Date", sizeof bytes, bytes, length);
            reader.ReadBlock("MACa", 0, nullptr, length);
            reader.ReadBlock("EP11", sizeof bytes, bytes, length);
            reader.ReadTextBlock("Cust", text);
            reader.ReadTextBlock("PCDT", text);
            reader.ReadTextBlock("Nope", text);
            // A head of a text is the text, or its beginning when the text goes on.
            std::string head;
            bool cut = false;
            const bool whole = reader.ReadTextBlock("Comm", text);
            if (reader.ReadTextBlockHead("Comm", 16, head, cut) != whole ||
                (whole &&
                 (cut ? head.size() != 16 || text.compare(0, 16, head) != 0 : head != text))) {
                std::abort();
            }
        }
        std::string header;
        reader.ReadHeaderText(source, header);
        reader.Close();
    }
    if (CountEntries(Folder()) != 0 || CountEntries("/proc/self/fd") != descriptors) {
        std::abort();  // a temporary file outlived its reader
    }
}

// Reading the entries of a compressed log while it inflates answers as reading them from the
// complete copy does.
void EntriesWhileInflating(const std::uint8_t* data, std::size_t size) {
    if (size < 8 || std::memcmp(data, "QX7LG1ZL", 8) != 0) {
        return;
    }
    const qx7::LogSource source = qx7::LogSource::Memory(std::span(data, size), "in.zlg");
    const qx7::fuzz::FixedUtcClock clock;
    int kind = 0;
    bool entries = false;
    int count = 0;
    {
        qx7::CQXLogFile before(clock);
        kind = before.Open(source);
        entries = kind == 1 && before.OpenLogData();
        count = before.GetEntryCount();
    }
    qx7::CQXLogFile reader(clock);
    qx7::LogOpenFailure failure;
    const bool opened = qx7::OpenLogEntries(reader, source, qx7::kEnglish, failure);
    if (opened != entries || (kind != 1 && failure.answer != kind) ||
        (opened && reader.GetEntryCount() != count)) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    qx7::fuzz::CheckInflatersAgree(data, size);
    qx7::fuzz::ForEachInflater([&] {
        ReadThrough(data, size);
        EntriesWhileInflating(data, size);
    });
    return 0;
}
