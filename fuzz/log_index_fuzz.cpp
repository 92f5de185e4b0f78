// The entry index of the browser on arbitrary file bytes: every indexed entry is delivered again
// by its row reader exactly as the sequential reading delivered it, in any order of access, and
// the index never holds more than the bytes could form.

#include <unistd.h>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "FuzzReaderSupport.h"
#include "core/text/Messages.h"
#include "core/export/EntryBrowsing.h"
#include "core/log/LogEntryIndex.h"
#include "core/log/QXLogFile.h"

namespace {

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

std::string& Path() {
    static std::string path;
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base != nullptr ? base : "/tmp") + "/qx7index-XXXXXX";
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) {
        std::abort();
    }
    ::close(fd);
    Path() = pattern;
    std::atexit([] { ::unlink(Path().c_str()); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::FILE* file = std::fopen(Path().c_str(), "wb");
    if (file == nullptr) {
        std::abort();
    }
    std::fwrite(data, 1, size, file);
    std::fclose(file);

    qx7::fuzz::DiscardingSink sink;
    const qx7::Messages messages(qx7::kEnglish, sink);
    const qx7::fuzz::FixedUtcClock clock;
    qx7::CQXLogFile reader(clock);
    const int opened = reader.Open(Path());
    const bool ready =
        (opened == 1 && reader.OpenLogData()) || (opened == 0 && reader.OpenRawLog(Path()));
    if (!ready) {
        reader.Close();
        return 0;
    }
    // What a plain reading delivers, to hold the index to.
    std::vector<qx7::CQXLogEntry> sequential;
    qx7::CQXLogEntry entry;
    while (reader.ReadEntry(entry) == 1) {
        sequential.push_back(entry);
    }

    Check(reader.Close());
    Check(reader.Open(Path()) == opened);
    Check(opened == 1 ? reader.OpenLogData() : reader.OpenRawLog(Path()));
    qx7::LogEntryIndex index;
    const qx7::IndexEnd end = index.Build(reader);
    Check(end == qx7::IndexEnd::kComplete || end == qx7::IndexEnd::kReadFailed ||
          end == qx7::IndexEnd::kFull);
    Check(index.Size() == sequential.size());
    // An entry takes at least four words of the data (marker, time, header, code): the
    // index cannot outgrow the data it was read from.
    Check(index.Size() * 16 <= reader.FileSize());

    const qx7::LogTextContext context(qx7::kEnglish, clock);
    qx7::LogEntryRows rows(reader, index, context);
    // Backwards, then by stride, so stretches are read out of order and evicted.
    std::vector<std::size_t> order;
    for (std::size_t i = index.Size(); i-- > 0;) {
        order.push_back(i);
    }
    for (std::size_t i = 0; i < index.Size(); i += 97) {
        order.push_back(i);
    }
    for (const std::size_t i : order) {
        qx7::CQXLogEntry again;
        Check(rows.Entry(i, again));
        const qx7::CQXLogEntry& first = sequential[i];
        Check(again.time == first.time && again.code == first.code && again.type == first.type &&
              again.Params() == first.Params());
        Check(index[i].time == first.time && index[i].code == first.code &&
              index[i].type == first.type);
    }
    qx7::LogEntryRow row;
    Check(!rows.Row(index.Size(), row));
    qx7::EntryFilter filter;
    const auto selection = qx7::SelectEntries(index, filter);
    Check(selection.size() <= index.Size());
    reader.Close();
    return 0;
}
