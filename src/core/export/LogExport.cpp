#include "core/export/LogExport.h"

namespace qx7 {
namespace {

constexpr std::string_view kTextColumnsLine =
    "Number:    Date      Time     Code     (Type) Description   \r\n";
constexpr std::string_view kCsvColumnsLine =
    "Number,Date,Time,Code,Type,Description,Param1,Param2,Param3,Param4,Param5,Param6,Param7,"
    "Param8,Param9,Param10,Param11,Param12\r\n";
constexpr int kProgressStep = 1000;
// Lines are collected up to this size before they go to the stream.
constexpr std::size_t kChunkBytes = 1 << 16;

// Collects encoded lines and hands them to the stream in large pieces.
class ChunkWriter {
public:
    ChunkWriter(std::FILE* out, const ITextEncoder* encoder) : out_(out), encoder_(encoder) {
        chunk_.reserve(kChunkBytes + 4096);
    }

    // Appends text in the output encoding; answers the number of bytes it took there.
    std::size_t Append(std::string_view utf8) {
        if (encoder_ == nullptr) {
            chunk_.append(utf8);
            return utf8.size();
        }
        const std::string encoded = encoder_->FromUtf8(utf8);
        chunk_.append(encoded);
        return encoded.size();
    }
    // Without an output encoding lines are built right in the chunk.
    bool Utf8() const { return encoder_ == nullptr; }
    std::string& Chunk() { return chunk_; }
    void AppendBytes(std::string_view bytes) { chunk_.append(bytes); }
    void AppendBlanks(std::size_t count) { chunk_.append(count, ' '); }

    bool FlushIfFull() { return chunk_.size() < kChunkBytes || Flush(); }
    bool Flush() {
        if (!chunk_.empty()) {
            ok_ = ok_ && std::fwrite(chunk_.data(), 1, chunk_.size(), out_) == chunk_.size();
            chunk_.clear();
        }
        return ok_;
    }
    // The stream's own buffer too: a full disk shows here at the latest.
    bool Finish() { return Flush() && std::fflush(out_) == 0 && std::ferror(out_) == 0; }

private:
    std::FILE* out_;
    const ITextEncoder* encoder_;
    std::string chunk_;
    bool ok_ = true;
};

// What both exports share: the date line and the column line, then the loop that reads,
// counts, reports progress and stops on a write failure. writeEntry gets the writer, the entry
// and its running number, and answers whether it wrote a line.
template <typename WriteEntry>
int RunExport(ILogEntrySource& source, std::FILE* out, const LogTextContext& context,
              const LogExportOptions& options, ExportCounts* countsOut,
              std::string_view columnsLine, WriteEntry writeEntry) {
    ExportCounts local;
    ExportCounts& counts = countsOut != nullptr ? *countsOut : local;
    counts = {};
    ChunkWriter writer(out, options.encoder);
    writer.Append(ExportDateLine(context));
    writer.AppendBytes(columnsLine);
    counts.linesWritten = 2;
    const int upper = source.GetEntryCount() / kProgressStep;
    if (options.progress && !options.progress(0, upper)) {
        return kExportCancelled;
    }
    CQXLogEntry entry;
    int index = 0;
    int answer = 0;
    while ((answer = source.ReadEntry(entry)) == 1) {
        if (writeEntry(writer, entry, index)) {
            ++counts.linesWritten;
        }
        ++index;
        counts.entriesRead = index;
        if (!writer.FlushIfFull()) {
            return kExportWriteFailed;
        }
        if (index % kProgressStep == 0 && options.progress &&
            !options.progress(index / kProgressStep, upper)) {
            writer.Flush();
            return kExportCancelled;
        }
    }
    if (!writer.Finish()) {
        return kExportWriteFailed;
    }
    return answer == 0 ? kExportOk : kExportReadFailed;
}

bool TypeShown(int type, const LogTypeFilter& types, bool unnamedShown) {
    switch (type) {
        case 1: case 2: return types.errors;
        case 3: return types.warnings;
        case 4: case 5: return types.information;
        default: return unnamedShown;
    }
}

}  // namespace

bool IsShownInText(const CQXLogEntry& entry, const LogTypeFilter& types) {
    return TypeShown(entry.type, types, false);
}

bool IsShownInCsv(const CQXLogEntry& entry, const LogTypeFilter& types, std::uint32_t low,
                  std::uint32_t high) {
    if (entry.time < low || entry.time > high) {
        return false;
    }
    return TypeShown(entry.type, types, true);
}

std::string ExportZoneName(const ILocalTime& localTime) {
    return localTime.ZoneFacts().standardName;
}

std::string ExportDateLine(const LogTextContext& context) {
    return "Log date in this file is based on " + ExportZoneName(context.LocalTime()) + "\r\n";
}

int ExportText(ILogEntrySource& source, std::FILE* out, const LogTextContext& context,
               const LogExportOptions& options, ExportCounts* counts) {
    std::string line;
    std::string added;
    return RunExport(source, out, context, options, counts, kTextColumnsLine,
                     [&](ChunkWriter& writer, const CQXLogEntry& entry, int index) {
        if (!IsShownInText(entry, options.types)) {
            return false;
        }
        // The column counts bytes of the output encoding, as the file shows them.
        std::size_t length = 0;
        if (writer.Utf8()) {
            std::string& chunk = writer.Chunk();
            const std::size_t start = chunk.size();
            entry.AppendTextLine(chunk, index, context);
            length = chunk.size() - start;
        } else {
            entry.FormatTextLine(line, index, context);
            length = writer.Append(line);
        }
        added.clear();
        if (options.extendedData) {
            entry.GetRawDataText(added);
        } else {
            entry.GetParamText(added, context);
        }
        if (!added.empty()) {
            if (length < kAddedTextColumn) {
                writer.AppendBlanks(kAddedTextColumn - length);
            }
            writer.Append(added);
        }
        writer.AppendBytes("\r\n");
        return true;
    });
}

int ExportCsv(ILogEntrySource& source, std::FILE* out, const LogTextContext& context,
              const LogExportOptions& options, ExportCounts* counts) {
    std::string line;
    return RunExport(source, out, context, options, counts, kCsvColumnsLine,
                     [&](ChunkWriter& writer, const CQXLogEntry& entry, int index) {
        if (!IsShownInCsv(entry, options.types, options.low, options.high)) {
            return false;
        }
        if (writer.Utf8()) {
            entry.AppendCsvLine(writer.Chunk(), index, context);
        } else {
            entry.FormatCsvLine(line, index, context);
            writer.Append(line);
        }
        writer.AppendBytes("\r\n");
        return true;
    });
}

std::string MakeTextExportPath(const std::string& logPath) { return logPath + ".txt"; }

std::string MakeDefaultCsvPath(const std::string& logPath) {
    const std::size_t dot = logPath.rfind('.');
    if (dot == std::string::npos || dot == 0) {
        return logPath + ".csv";
    }
    return logPath.substr(0, dot) + ".csv";
}

}  // namespace qx7
