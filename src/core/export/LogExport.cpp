#include "core/export/LogExport.h"

#include <cerrno>
#include <thread>

#include "core/export/BatchFormatting.h"

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
    // A large piece goes to the stream as it is, after what the chunk holds.
    bool WriteThrough(std::string_view bytes) {
        ok_ = Flush() && std::fwrite(bytes.data(), 1, bytes.size(), out_) == bytes.size();
        return ok_;
    }
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

// Whether a listing is formatted on two threads: only where there are two cores, and only
// without an output encoding (an encoder is one object, not for two threads at once).
bool FormatOnTwoThreads(const LogExportOptions& options) {
    if (options.encoder != nullptr || options.formatThreads == 1) {
        return false;
    }
    return options.formatThreads >= 2 || std::thread::hardware_concurrency() >= 2;
}

// The reading and formatting on the calling thread alone, after the two header lines.
template <typename Lines>
int RunExportOnOneThread(ILogEntrySource& source, ChunkWriter& writer,
                         const LogTextContext& context, const LogExportOptions& options,
                         ExportCounts& counts, int upper, Lines& lines) {
    CQXLogEntry entry;
    int index = 0;
    int answer = 0;
    while ((answer = source.ReadEntry(entry)) == 1) {
        const bool written = writer.Utf8() ? lines.Append(writer.Chunk(), entry, index, context)
                                           : lines.WriteEncoded(writer, entry, index, context);
        if (written) {
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

// What both exports share: the date line and the column line, then the loop that reads,
// counts, reports progress and stops on a write failure. Lines is the export's line maker
// (Append for UTF-8 output, WriteEncoded through an output encoding); it answers whether it
// wrote a line.
template <typename Lines>
int RunExport(ILogEntrySource& source, std::FILE* out, const LogTextContext& context,
              const LogExportOptions& options, ExportCounts* countsOut,
              std::string_view columnsLine, Lines lines) {
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

    // Without a second thread to be had, the calling thread does it all, below.
    if (FormatOnTwoThreads(options)) {
        bool cancelled = false;
        int writeError = 0;
        const BatchRunResult run = FormatInBatches(
            source, lines, context, kProgressStep,
            [&](int entriesRead) {
                counts.entriesRead = entriesRead;
                cancelled = options.progress &&
                            !options.progress(entriesRead / kProgressStep, upper);
                return !cancelled;
            },
            [&](std::string_view text, int lineCount) {
                if (!writer.WriteThrough(text)) {
                    writeError = errno;
                    return false;
                }
                counts.linesWritten += lineCount;
                return true;
            });
        counts.entriesRead = run.entriesRead;
        if (run.end == BatchRunEnd::kNoThread) {
            return RunExportOnOneThread(source, writer, context, options, counts, upper, lines);
        }
        if (run.end == BatchRunEnd::kStopped) {
            if (cancelled) {
                return kExportCancelled;
            }
            errno = writeError;  // the caller names the write's cause
            return kExportWriteFailed;
        }
        if (!writer.Finish()) {
            return kExportWriteFailed;
        }
        return run.end == BatchRunEnd::kSourceEnd ? kExportOk : kExportReadFailed;
    }

    return RunExportOnOneThread(source, writer, context, options, counts, upper, lines);
}

bool TypeShown(int type, const LogTypeFilter& types, bool unnamedShown) {
    switch (type) {
        case 1: case 2: return types.errors;
        case 3: return types.warnings;
        case 4: case 5: return types.information;
        default: return unnamedShown;
    }
}

// The text export's line: the entry's line, then its parameters (or raw words) from column 127.
class TextLines {
  public:
    explicit TextLines(const LogExportOptions& options) : options_(&options) {}

    bool Append(std::string& out, const CQXLogEntry& entry, int number,
                const LogTextContext& context) {
        if (!IsShownInText(entry, options_->types)) {
            return false;
        }
        const std::size_t start = out.size();
        entry.AppendTextLine(out, number, context);
        AppendAdded(out, out.size() - start, entry, context);
        out.append("\r\n");
        return true;
    }

    // The column counts bytes of the output encoding, as the file shows them.
    bool WriteEncoded(ChunkWriter& writer, const CQXLogEntry& entry, int number,
                      const LogTextContext& context) {
        if (!IsShownInText(entry, options_->types)) {
            return false;
        }
        entry.FormatTextLine(line_, number, context);
        const std::size_t length = writer.Append(line_);
        added_.clear();
        AddedText(added_, entry, context);
        if (!added_.empty()) {
            if (length < kAddedTextColumn) {
                writer.AppendBlanks(kAddedTextColumn - length);
            }
            writer.Append(added_);
        }
        writer.AppendBytes("\r\n");
        return true;
    }

  private:
    void AddedText(std::string& text, const CQXLogEntry& entry,
                   const LogTextContext& context) const {
        if (options_->extendedData) {
            entry.GetRawDataText(text);
        } else {
            entry.GetParamText(text, context);
        }
    }
    void AppendAdded(std::string& out, std::size_t length, const CQXLogEntry& entry,
                     const LogTextContext& context) {
        added_.clear();
        AddedText(added_, entry, context);
        if (added_.empty()) {
            return;
        }
        if (length < kAddedTextColumn) {
            out.append(kAddedTextColumn - length, ' ');
        }
        out.append(added_);
    }

    const LogExportOptions* options_;
    std::string line_;
    std::string added_;
};

class CsvLines {
  public:
    explicit CsvLines(const LogExportOptions& options) : options_(&options) {}

    bool Append(std::string& out, const CQXLogEntry& entry, int number,
                const LogTextContext& context) {
        if (!IsShownInCsv(entry, options_->types, options_->low, options_->high)) {
            return false;
        }
        entry.AppendCsvLine(out, number, context);
        out.append("\r\n");
        return true;
    }

    bool WriteEncoded(ChunkWriter& writer, const CQXLogEntry& entry, int number,
                      const LogTextContext& context) {
        if (!IsShownInCsv(entry, options_->types, options_->low, options_->high)) {
            return false;
        }
        entry.FormatCsvLine(line_, number, context);
        writer.Append(line_);
        writer.AppendBytes("\r\n");
        return true;
    }

  private:
    const LogExportOptions* options_;
    std::string line_;
};

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
    return RunExport(source, out, context, options, counts, kTextColumnsLine, TextLines(options));
}

int ExportCsv(ILogEntrySource& source, std::FILE* out, const LogTextContext& context,
              const LogExportOptions& options, ExportCounts* counts) {
    return RunExport(source, out, context, options, counts, kCsvColumnsLine, CsvLines(options));
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
