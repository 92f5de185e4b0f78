// The entry index of the browser on arbitrary file bytes: every indexed entry is delivered again
// by its row reader exactly as the sequential reading delivered it, in any order of access, and
// the index never holds more than the bytes could form.

#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "FuzzReaderSupport.h"
#include "core/export/EntryBrowsing.h"
#include "core/log/LogEntryIndex.h"
#include "core/log/LogFileAccess.h"
#include "core/log/QXLogFile.h"

namespace {

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

void IndexThrough(const std::uint8_t* data, std::size_t size) {
    const qx7::LogSource source = qx7::LogSource::Memory(std::span(data, size), "in.zlg");
    const qx7::fuzz::FixedUtcClock clock;
    qx7::CQXLogFile reader(clock);
    const int opened = reader.Open(source);
    const bool ready =
        (opened == 1 && reader.OpenLogData()) || (opened == 0 && reader.OpenRawLog(source));
    if (!ready) {
        reader.Close();
        return;
    }
    // What a plain reading delivers, to hold the index to.
    std::vector<qx7::CQXLogEntry> sequential;
    qx7::CQXLogEntry entry;
    while (reader.ReadEntry(entry) == 1) {
        sequential.push_back(entry);
    }

    Check(reader.Close());
    Check(reader.Open(source) == opened);
    Check(opened == 1 ? reader.OpenLogData() : reader.OpenRawLog(source));
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
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    qx7::fuzz::ForEachInflater([&] { IndexThrough(data, size); });
    return 0;
}
