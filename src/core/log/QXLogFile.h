#pragma once
// Reader of saved printer logs: the plain container ("QX7LG1XX"), the compressed container
// ("QX7LG1ZL", inflated into an unnamed temporary file of the reader's own, gone when it is
// closed) and the bare log. It finds the container's tagged blocks and delivers the ring
// buffer's entries oldest first through one 256 KiB buffer; the whole file is never loaded.
// Only regular files are read.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/LocalTime.h"
#include "core/log/LogDecompress.h"
#include "core/log/LogFileAccess.h"
#include "core/log/QXLogEntry.h"
#include "core/log/MessageReport.h"

namespace qx7 {

inline constexpr std::uint32_t kLogBufferBytes = 0x40000;
// The log data of a container is limited to lengths below 2^31; a bare log gets the same bound.
inline constexpr std::uint64_t kMaxLogDataBytes = 0x80000000ULL;

class CQXLogFile : public IPositionedLogEntrySource {
  public:
    // The clock gives the present time that bounds the choice of the newest entry.
    explicit CQXLogFile(const ILocalTime& clock);
    ~CQXLogFile() override;
    CQXLogFile(const CQXLogFile&) = delete;
    CQXLogFile& operator=(const CQXLogFile&) = delete;

    // 1 container (plain or decompressed), 0 bare log, -1 cannot open, -2..-9 decompression
    // (LogDecompress.h), kLogNotRegularFile (-10) for a folder, FIFO, device or socket,
    // kLogInflatesTooLarge (-11) (LogFileAccess.h). OpenError() tells the system's cause.
    int Open(const std::string& path);
    // The same for a file or for bytes in memory (FileName() is then the source's name).
    int Open(const LogSource& source);
    // The next Open of a compressed log reads the inflated copy while it is inflated
    // (DecompressContainerWhileReading). Its caller must then ask FinishInflate before it
    // trusts what it read.
    void InflateWhileReading() { inflateWhileReading_ = true; }
    // Waits for an inflate still going on: 0 when it succeeded or none runs, else what Open
    // answers for that failure (OpenError tells the errno).
    int FinishInflate();
    // The errno behind the last failure of Open or ReadHeaderText (-1 cannot open, -2 the
    // temporary file, -3 reading, -6 writing the temporary file); 0 when there was none or the
    // failure was no system error (damaged data).
    int OpenError() const { return openError_; }
    // False when no entries can be read; Report() then holds the internal errors met (242 with
    // -150 or -152) for the caller to show.
    bool OpenLogData();
    bool OpenRawLog(const std::string& path);
    bool OpenRawLog(const LogSource& source);
    // The messages of the last Open, OpenLogData or OpenRawLog: the reader shows none itself.
    const MessageReport& Report() const { return report_; }
    // 1 with the 12 characters of the PC save time; otherwise what Open answered, or
    // kLogHeaderCut (-12) when the container ends within its 28-byte header (-1 when reading it
    // fails).
    int ReadHeaderText(const std::string& path, std::string& text);
    int ReadHeaderText(const LogSource& source, std::string& text);

    bool FindBlock(std::string_view tag, std::uint32_t& length);
    bool ReadBlock(std::string_view tag, std::uint32_t capacity, unsigned char* buffer,
                   std::uint32_t& length);
    bool ReadTextBlock(std::string_view tag, std::string& text);
    // The same for a text that may be huge: at most `limit` bytes of it are read and kept, and
    // `cut` tells whether the text goes on beyond them (the block's last byte is still looked at,
    // since a zero there ends the text at its first zero).
    bool ReadTextBlockHead(std::string_view tag, std::size_t limit, std::string& text, bool& cut);

    int GetEntryCount() const override { return entryCount_; }
    int ReadWord(std::uint32_t& word) {
        if (bufferIndex_ < wordsInBuffer_ && wordsConsumed_ < wordCount_) {
            word = TakeBufferedWord();
            return 1;
        }
        return RefillAndReadWord(word);
    }
    int ReadEntry(CQXLogEntry& entry) override;
    // Words delivered before the marker of the entry ReadEntry delivered last.
    std::uint32_t EntryPosition() const override { return entryPosition_; }
    // The next ReadEntry starts at a position EntryPosition gave, and delivery goes on from
    // there as it did the first time. False before the log data is open or past its end.
    bool SeekEntry(std::uint32_t position) override;
    bool Close();

    // The path given to Open, also while the inflated copy of a compressed log is read.
    const std::string& FileName() const { return fileName_; }
    // Bytes of the file being read (of the inflated copy for a compressed log); 0 when none.
    std::uint64_t FileSize() const;

  private:
    int RefillAndReadWord(std::uint32_t& word);
    std::uint32_t TakeBufferedWord() {
        const unsigned char* p = buffer_.data() + 4ULL * bufferIndex_;
        ++bufferIndex_;
        ++wordsConsumed_;
        return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) |
               (std::uint32_t{p[2]} << 8) | std::uint32_t{p[3]};
    }
    // Words in the buffer that delivery may still take.
    std::uint32_t BufferedWords() const {
        return std::min(wordsInBuffer_ - bufferIndex_, wordCount_ - wordsConsumed_);
    }
    int ReadMagic(bool inflated, bool whileReading = false);
    int Decompress(bool whileReading);
    bool ScanAndPosition();
    bool ScanLogData();
    bool PositionAtOldest();
    void ResetPosition(std::uint64_t offset);

    const ILocalTime& clock_;
    MessageReport report_;

    // File offsets are 64-bit: a plain container may place its log data past 4 GiB.
    std::int32_t entryCount_ = 0;
    std::uint64_t bufferPosition_ = 0;
    std::uint32_t wordsConsumed_ = 0;
    std::uint64_t dataEnd_ = 0;
    bool ready_ = false;
    std::uint64_t startPosition_ = 0;
    std::uint32_t wordCount_ = 0;
    std::uint64_t nextReadPosition_ = 0;
    std::uint32_t dataLength_ = 0;
    std::uint32_t wordsInBuffer_ = 0;
    std::uint32_t bufferIndex_ = 0;
    std::vector<unsigned char> buffer_;
    std::uint64_t dataStart_ = 0;
    bool reading_ = false;
    std::FILE* file_ = nullptr;
    std::string fileName_;
    std::uint32_t entryPosition_ = 0;
    int openError_ = 0;
    bool inflateWhileReading_ = false;
    // The inflate that writes the copy being read, while it goes on.
    std::shared_ptr<const InflateJob> inflating_;
};

}  // namespace qx7
