// The log container reader on arbitrary file bytes: plain, compressed or bare, through the whole
// calling order the viewers use. No temporary file may outlive its reader, by name or as an open
// descriptor.

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "FuzzReaderSupport.h"
#include "core/text/Messages.h"
#include "core/log/QXLogFile.h"

namespace {

std::string& Folder() {
    static std::string folder;
    return folder;
}

void RemoveFolder() {
    if (!Folder().empty()) {
        ::unlink((Folder() + "/in.zlg").c_str());
        ::rmdir((Folder() + "/tmp").c_str());
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
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::abort();
    }
    Folder() = pattern;
    std::atexit(RemoveFolder);
    // The reader's temporaries go here, where a leftover would show.
    const std::string temporaries = pattern + "/tmp";
    if (::mkdir(temporaries.c_str(), 0700) != 0 ||
        ::setenv("TMPDIR", temporaries.c_str(), 1) != 0) {
        std::abort();
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = Folder() + "/in.zlg";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        std::abort();
    }
    std::fwrite(data, 1, size, file);
    std::fclose(file);

    const int descriptors = CountEntries("/proc/self/fd");
    qx7::fuzz::DiscardingSink sink;
    const qx7::Messages messages(qx7::kEnglish, sink);
    const qx7::fuzz::FixedUtcClock clock;
    {
        qx7::CQXLogFile reader(clock);
        const int opened = reader.Open(path);
        bool ready = false;
        if (opened == 1) {
            ready = reader.OpenLogData();
        } else if (opened == 0) {
            ready = reader.OpenRawLog(path);
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
        if (reader.Open(path) == 1) {
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
        reader.ReadHeaderText(path, header);
        reader.Close();
    }
    if (CountEntries(Folder()) != 2 || CountEntries(Folder() + "/tmp") != 0 ||
        CountEntries("/proc/self/fd") != descriptors) {
        std::abort();  // a temporary file outlived its reader
    }
    return 0;
}
