#include "core/log/QXLogFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <utility>

#include "core/base/ByteOrder.h"
#include "core/base/FileSystem.h"
#include "core/base/PrinterTime.h"
#include "core/log/LogDecompress.h"
#include "core/log/LogFileAccess.h"

namespace qx7 {
namespace {

constexpr char kPlainMagic[] = "QX7LG1XX";
constexpr char kCompressedMagic[] = "QX7LG1ZL";
constexpr std::size_t kMagicBytes = 8;
constexpr long kFirstBlockOffset = 36;
constexpr std::uint32_t kYearSeconds = 31536000;
constexpr std::uint32_t kMillisecondBits = 0xFFE00000;

constexpr int kBadDataLengthCode = -150;
constexpr int kScanFailedCode = -152;

bool Seek(std::FILE* file, std::uint64_t offset) {
    return offset <= static_cast<std::uint64_t>(INT64_MAX) &&
           SeekStream(file, static_cast<std::int64_t>(offset), SEEK_SET);
}

std::uint32_t ParameterLength(std::uint32_t header) {
    return (header >> 8) & 0x1FFF;
}

}  // namespace

CQXLogFile::CQXLogFile(const ILocalTime& clock) : clock_(clock) {}

CQXLogFile::~CQXLogFile() {
    Close();
}

int CQXLogFile::Open(const std::string& path) {
    return Open(LogSource::File(path));
}

int CQXLogFile::Open(const LogSource& source) {
    // Asked for this Open only.
    const bool whileReading = std::exchange(inflateWhileReading_, false);
    Close();
    report_.Clear();
    openError_ = 0;
    int answer = 0;
    errno = 0;
    file_ = source.Open(answer);
    if (file_ == nullptr) {
        openError_ = answer == -1 ? errno : 0;
        return answer;
    }
    fileName_ = source.Name();
    reading_ = true;
    return ReadMagic(false, whileReading);
}

int CQXLogFile::ReadMagic(bool inflated, bool whileReading) {
    char magic[kMagicBytes];
    if (std::fread(magic, 1, kMagicBytes, file_) != kMagicBytes) {
        return 0;
    }
    if (std::memcmp(magic, kPlainMagic, kMagicBytes) == 0) {
        return 1;
    }
    if (std::memcmp(magic, kCompressedMagic, kMagicBytes) == 0) {
        // A compressed stream never holds another compressed one.
        return inflated ? -5 : Decompress(whileReading);
    }
    return 0;
}

int CQXLogFile::Decompress(bool whileReading) {
    std::FILE* inflated = nullptr;
    // The source stays open after a failure, until the next Close.
    if (whileReading) {
        std::shared_ptr<const InflateJob> job;
        const int result = DecompressContainerWhileReading(file_, inflated, job, &openError_);
        if (result != 0) {
            return result;
        }
        // The source now belongs to the copy.
        inflating_ = std::move(job);
    } else {
        const int result = DecompressContainer(file_, inflated, &openError_);
        if (result != 0) {
            return result;
        }
        std::fclose(file_);
    }
    // From here on the reader reads the private inflated copy; the file name stays the log's,
    // for the messages that name it.
    file_ = inflated;
    if (ReadMagic(true) != 1) {
        // A failed inflate tells why; else the stream held no plain container: a damaged log,
        // not a bare one.
        const int failed = FinishInflate();
        Close();
        return failed != 0 ? failed : -5;
    }
    return 1;
}

int CQXLogFile::FinishInflate() {
    if (inflating_ == nullptr) {
        return 0;
    }
    int error = 0;
    const int result = inflating_->Wait(&error);
    if (result != 0) {
        openError_ = error;
    }
    return result;
}

int CQXLogFile::ReadHeaderText(const std::string& path, std::string& text) {
    return ReadHeaderText(LogSource::File(path), text);
}

int CQXLogFile::ReadHeaderText(const LogSource& source, std::string& text) {
    const int opened = Open(source);
    if (opened != 1) {
        return opened;
    }
    unsigned char header[28];
    if (!Seek(file_, kMagicBytes)) {
        openError_ = errno;
        return -1;
    }
    if (std::fread(header, 1, sizeof header, file_) != sizeof header) {
        if (std::ferror(file_) != 0) {
            openError_ = errno;
            return -1;
        }
        return kLogHeaderCut;
    }
    text.assign(reinterpret_cast<const char*>(header + 4), 12);
    return 1;
}

bool CQXLogFile::FindBlock(std::string_view tag, std::uint32_t& length) {
    if (file_ == nullptr || tag.size() != 4 || !Seek(file_, kFirstBlockOffset)) {
        return false;
    }
    // Every step moves forward by at least 8 bytes, so the walk ends at the end of the file.
    std::uint64_t offset = kFirstBlockOffset;
    for (;;) {
        unsigned char head[8];
        if (std::fread(head, 1, sizeof head, file_) != sizeof head) {
            return false;
        }
        const std::uint32_t blockLength = ReadU32BE(head + 4);
        if (std::memcmp(head, tag.data(), 4) == 0) {
            length = blockLength;
            return true;
        }
        if (std::memcmp(head, "ENDF", 4) == 0) {
            return false;
        }
        offset += sizeof head + static_cast<std::uint64_t>(blockLength);
        if (!Seek(file_, offset)) {
            return false;
        }
    }
}

bool CQXLogFile::ReadBlock(std::string_view tag, std::uint32_t capacity, unsigned char* buffer,
                           std::uint32_t& length) {
    std::uint32_t blockLength = 0;
    if (!FindBlock(tag, blockLength)) {
        return false;
    }
    if (blockLength > capacity) {
        length = blockLength;
        return true;
    }
    if (capacity == 0 || buffer == nullptr) {
        return true;
    }
    if (std::fread(buffer, 1, blockLength, file_) != blockLength) {
        return false;
    }
    length = blockLength;
    return true;
}

bool CQXLogFile::ReadTextBlock(std::string_view tag, std::string& text) {
    std::uint32_t blockLength = 0;
    if (!FindBlock(tag, blockLength)) {
        return false;
    }
    // Read in pieces: a hostile length must not allocate more than the file really holds.
    std::string bytes;
    char chunk[4096];
    std::uint32_t remaining = blockLength;
    while (remaining > 0) {
        const std::size_t want = std::min<std::size_t>(remaining, sizeof chunk);
        const std::size_t got = std::fread(chunk, 1, want, file_);
        bytes.append(chunk, got);
        if (got != want) {
            return false;
        }
        remaining -= static_cast<std::uint32_t>(got);
    }
    if (!bytes.empty() && bytes.back() == '\0') {
        bytes.resize(bytes.find('\0'));
    }
    text = std::move(bytes);
    return true;
}

bool CQXLogFile::ReadTextBlockHead(std::string_view tag, std::size_t limit, std::string& text,
                                   bool& cut) {
    std::uint32_t blockLength = 0;
    if (!FindBlock(tag, blockLength)) {
        return false;
    }
    if (blockLength <= limit) {
        cut = false;
        return ReadTextBlock(tag, text);
    }
    const std::int64_t payload = TellStream(file_);
    std::string bytes(limit, '\0');
    unsigned char last = 0;
    if (payload < 0 || std::fread(bytes.data(), 1, limit, file_) != limit ||
        !Seek(file_, static_cast<std::uint64_t>(payload) + blockLength - 1) ||
        std::fread(&last, 1, 1, file_) != 1) {
        return false;
    }
    // A final zero ends the text at the first zero, which may well lie within the head.
    const std::size_t zero = last == 0 ? bytes.find('\0') : std::string::npos;
    cut = zero == std::string::npos;
    if (!cut) {
        bytes.resize(zero);
    }
    text = std::move(bytes);
    return true;
}

bool CQXLogFile::OpenLogData() {
    report_.Clear();
    if (file_ == nullptr) {
        return false;
    }
    std::uint32_t length = 0;
    if (!FindBlock("LGDT", length)) {
        return false;
    }
    if (length < 1 || length % 4 != 0 || length >= kMaxLogDataBytes) {
        report_.Add(kMsgInternalError, kBadDataLengthCode);
        return false;
    }
    const std::int64_t payload = TellStream(file_);
    if (payload < 0) {
        return false;
    }
    dataStart_ = static_cast<std::uint64_t>(payload);
    dataLength_ = length;
    dataEnd_ = dataStart_ + length;
    wordCount_ = length / 4;
    return ScanAndPosition();
}

bool CQXLogFile::OpenRawLog(const std::string& path) {
    return OpenRawLog(LogSource::File(path));
}

bool CQXLogFile::OpenRawLog(const LogSource& source) {
    Close();
    report_.Clear();
    int answer = 0;
    file_ = source.Open(answer);
    if (file_ == nullptr) {
        return false;
    }
    fileName_ = source.Name();
    reading_ = true;
    if (!SeekStream(file_, 0, SEEK_END)) {
        return false;
    }
    const std::int64_t size = TellStream(file_);
    if (size < 0 || static_cast<std::uint64_t>(size) >= kMaxLogDataBytes) {
        return false;
    }
    // The 1 to 3 bytes past the last whole word are never read, so the ring wraps on a word.
    dataStart_ = 0;
    wordCount_ = static_cast<std::uint32_t>(size) / 4;
    dataLength_ = wordCount_ * 4;
    dataEnd_ = dataLength_;
    return ScanAndPosition();
}

void CQXLogFile::ResetPosition(std::uint64_t offset) {
    nextReadPosition_ = offset;
    wordsConsumed_ = 0;
    wordsInBuffer_ = 0;
    bufferIndex_ = 0;
}

bool CQXLogFile::ScanAndPosition() {
    ready_ = false;
    entryCount_ = 0;
    buffer_.assign(kLogBufferBytes, 0);
    if (!ScanLogData()) {
        return false;
    }
    return PositionAtOldest();
}

bool CQXLogFile::ScanLogData() {
    enum class State { SeekMarker, Time, Tie, Header, Code, Parameters };

    ResetPosition(dataStart_);
    // Entries dated more than a year past the PC's present are taken for garbage when the
    // newest one is chosen. Computed in 64 bits so a late clock cannot wrap the limit.
    const std::uint64_t present = ToPrinterTime(0, clock_).value_or(0);
    const std::uint64_t limit = present + kYearSeconds;

    State state = State::SeekMarker;
    std::int32_t count = 0;
    std::uint32_t lastMarker = 0;
    std::uint32_t newestTime = 0;
    std::uint32_t newestIndex = 0;
    std::uint32_t newestMilliseconds = 0;
    bool newNewest = false;
    std::uint32_t remaining = 0;

    // One word of an entry after its marker.
    const auto step = [&](std::uint32_t word) {
        switch (state) {
            case State::SeekMarker:
            case State::Parameters:
                break;  // taken in bulk below
            case State::Time:
                if (word > limit) {
                    state = State::SeekMarker;
                } else if (word == newestTime) {
                    state = State::Tie;
                } else {
                    if (word > newestTime) {
                        newestTime = word;
                        newestIndex = lastMarker;
                        newNewest = true;
                    }
                    state = State::Header;
                }
                break;
            case State::Tie:
            case State::Header:
                if (state == State::Tie && (word & kMillisecondBits) > newestMilliseconds) {
                    newestMilliseconds = word & kMillisecondBits;
                    newestIndex = lastMarker;
                }
                if (newNewest) {
                    newestMilliseconds = word & kMillisecondBits;
                    newNewest = false;
                }
                remaining = ParameterLength(word);
                if (remaining % 4 != 0) {
                    remaining = 0;
                }
                state = State::Code;
                break;
            case State::Code:
                state = remaining != 0 ? State::Parameters : State::SeekMarker;
                break;
        }
    };

    // Every word of the data is read, in the buffer where it lies: the search for a marker and
    // the parameter words an entry's header announces are passed over in bulk.
    std::uint32_t index = 0;  // the words taken so far
    while (index < wordCount_) {
        if (BufferedWords() == 0) {
            std::uint32_t word = 0;
            if (RefillAndReadWord(word) != 1) {
                report_.Add(kMsgInternalError, kScanFailedCode);
                return false;
            }
            // Give the word back: the loop below takes it from the new buffer.
            --bufferIndex_;
            --wordsConsumed_;
        }
        const std::uint32_t available = BufferedWords();
        const unsigned char* words = buffer_.data() + 4ULL * bufferIndex_;
        std::uint32_t taken = 0;
        while (taken < available) {
            if (state == State::SeekMarker) {
                while (taken < available && ReadU32BE(words + 4ULL * taken) != kEntryMarker) {
                    ++taken;
                }
                if (taken == available) {
                    break;
                }
                ++count;
                lastMarker = index + taken;
                state = State::Time;
                ++taken;
            } else if (state == State::Parameters) {
                const std::uint32_t skipped = std::min(remaining / 4, available - taken);
                taken += skipped;
                remaining -= 4 * skipped;
                if (remaining == 0) {
                    state = State::SeekMarker;
                }
            } else {
                step(ReadU32BE(words + 4ULL * taken));
                ++taken;
            }
        }
        bufferIndex_ += taken;
        wordsConsumed_ += taken;
        index += taken;
    }
    entryCount_ = count;
    startPosition_ = dataStart_ + 4ULL * newestIndex;
    return true;
}

bool CQXLogFile::PositionAtOldest() {
    // Read the newest entry once: delivery starts right after it and ends with it.
    const std::uint64_t newest = startPosition_;
    ResetPosition(newest);
    CQXLogEntry entry;
    if (ReadEntry(entry) != 1) {
        return false;
    }
    std::uint64_t start = newest + 4ULL * wordsConsumed_;
    if (start >= dataEnd_) {
        start = dataStart_ + (start - dataEnd_);
    }
    if (!Seek(file_, start)) {
        return false;
    }
    startPosition_ = start;
    ResetPosition(start);
    ready_ = true;
    return true;
}

int CQXLogFile::RefillAndReadWord(std::uint32_t& word) {
    if (wordsConsumed_ >= wordCount_) {
        return 0;
    }
    if (bufferIndex_ >= wordsInBuffer_) {
        if (file_ == nullptr || buffer_.size() < kLogBufferBytes) {
            return -1;
        }
        if (nextReadPosition_ >= dataEnd_) {
            nextReadPosition_ = dataStart_;
        }
        std::uint64_t amount = 4ULL * (wordCount_ - wordsConsumed_);
        amount = std::min<std::uint64_t>(amount, kLogBufferBytes);
        amount = std::min<std::uint64_t>(amount, dataEnd_ - nextReadPosition_);
        if (amount < 4 || !Seek(file_, nextReadPosition_) ||
            std::fread(buffer_.data(), 1, amount, file_) != amount) {
            return -1;
        }
        bufferPosition_ = nextReadPosition_;
        nextReadPosition_ += amount;
        wordsInBuffer_ = static_cast<std::uint32_t>(amount / 4);
        bufferIndex_ = 0;
    }
    word = ReadU32BE(buffer_.data() + 4ULL * bufferIndex_);
    ++bufferIndex_;
    ++wordsConsumed_;
    return 1;
}

int CQXLogFile::ReadEntry(CQXLogEntry& entry) {
    // The marker: the buffered words are searched in place, the next piece read when they run
    // out.
    for (;;) {
        const std::uint32_t available = BufferedWords();
        const unsigned char* words = buffer_.data() + 4ULL * bufferIndex_;
        std::uint32_t skipped = 0;
        while (skipped < available && ReadU32BE(words + 4ULL * skipped) != kEntryMarker) {
            ++skipped;
        }
        const bool found = skipped < available;
        const std::uint32_t taken = found ? skipped + 1 : available;
        bufferIndex_ += taken;
        wordsConsumed_ += taken;
        if (found) {
            break;
        }
        std::uint32_t word = 0;
        const int result = ReadWord(word);
        if (result != 1) {
            return result;
        }
        if (word == kEntryMarker) {
            break;
        }
    }
    entryPosition_ = wordsConsumed_ - 1;

    std::uint32_t time = 0;
    std::uint32_t header = 0;
    std::uint32_t code = 0;
    if (BufferedWords() >= 3) {
        time = TakeBufferedWord();
        header = TakeBufferedWord();
        code = TakeBufferedWord();
    } else {
        for (std::uint32_t* target : {&time, &header, &code}) {
            const int result = ReadWord(*target);
            if (result != 1) {
                return result;
            }
        }
    }
    entry.time = time;
    entry.code = code;
    entry.SetHeaderWord(header);

    // The parameter words keep the file's byte order, so they are copied as they stand. The
    // bytes of a partial last word and the 4 spare bytes are zero. The entry's own buffer is
    // reused from entry to entry.
    const std::uint32_t length = ParameterLength(header);
    const std::uint32_t words = length / 4;
    unsigned char* parameters = entry.ResizeParams(length > 0 ? length + 4 : 0);
    if (length > 0) {
        std::memset(parameters + 4ULL * words, 0, length + 4 - 4ULL * words);
    }
    std::uint32_t done = 0;
    while (done < words) {
        const std::uint32_t take = std::min(BufferedWords(), words - done);
        if (take > 0) {
            std::memcpy(parameters + 4ULL * done, buffer_.data() + 4ULL * bufferIndex_,
                        4ULL * take);
            bufferIndex_ += take;
            wordsConsumed_ += take;
            done += take;
            continue;
        }
        std::uint32_t value = 0;
        if (ReadWord(value) != 1) {
            entry.ResizeParams(0);
            entry.parameterLength = 0;
            break;
        }
        WriteU32BE(parameters + 4ULL * done, value);
        ++done;
    }
    return 1;
}

bool CQXLogFile::SeekEntry(std::uint32_t position) {
    if (!ready_ || file_ == nullptr || position >= wordCount_) {
        return false;
    }
    // Delivery runs from the start position to data end and on from data start.
    std::uint64_t offset = startPosition_ + 4ULL * position;
    if (offset >= dataEnd_) {
        offset = dataStart_ + (offset - dataEnd_);
    }
    ResetPosition(offset);
    wordsConsumed_ = position;
    return true;
}

bool CQXLogFile::Close() {
    const bool wasOpen = file_ != nullptr;
    if (file_ != nullptr) {
        // Ends an inflate still going on.
        std::fclose(file_);
        file_ = nullptr;
    }
    inflating_.reset();
    buffer_.clear();
    buffer_.shrink_to_fit();
    fileName_.clear();
    reading_ = false;
    ready_ = false;
    entryCount_ = 0;
    bufferPosition_ = 0;
    startPosition_ = 0;
    dataStart_ = 0;
    dataEnd_ = 0;
    dataLength_ = 0;
    wordCount_ = 0;
    ResetPosition(0);
    return wasOpen;
}

std::uint64_t CQXLogFile::FileSize() const {
    if (file_ != nullptr && inflating_ != nullptr) {
        // The copy has its size once it is complete.
        return inflating_->Wait() == 0 ? inflating_->Inflated() : 0;
    }
    return StreamFileSize(file_).value_or(0);
}

}  // namespace qx7
