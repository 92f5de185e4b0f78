#include "core/log/LogList.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "core/log/LogFileAccess.h"

namespace qx7 {
namespace {

constexpr unsigned char kMarker[4] = {'E', 'd', 'G', 'e'};

// The file through a large window: enough bytes ahead of the read position for one whole
// record plus the byte beyond it, refilled as the position moves on.
class Window {
public:
    explicit Window(std::FILE* file) : file_(file), buffer_(kChunk) {}

    // Makes at least `wanted` bytes available from the position, or all that is left.
    std::size_t Ensure(std::size_t wanted) {
        if (end_ - position_ < wanted && !eof_) {
            std::memmove(buffer_.data(), buffer_.data() + position_, end_ - position_);
            end_ -= position_;
            position_ = 0;
            while (end_ < buffer_.size() && !eof_) {
                const std::size_t got =
                    std::fread(buffer_.data() + end_, 1, buffer_.size() - end_, file_);
                end_ += got;
                if (got == 0) {
                    eof_ = true;
                }
            }
        }
        return end_ - position_;
    }
    const unsigned char* Data() const { return buffer_.data() + position_; }
    void Advance(std::size_t count) { position_ += count; }

    static constexpr std::size_t kChunk = 1 << 20;

private:
    std::FILE* file_;
    std::vector<unsigned char> buffer_;
    std::size_t position_ = 0;
    std::size_t end_ = 0;
    bool eof_ = false;
};

// Offset just past the first marker within `size` bytes, or 0 when there is none.
std::size_t PastMarker(const unsigned char* data, std::size_t size) {
    const void* found = memmem(data, size, kMarker, sizeof kMarker);
    if (found == nullptr) {
        return 0;
    }
    return static_cast<std::size_t>(static_cast<const unsigned char*>(found) - data) + 4;
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

CLogRecord& CLogList::AddTail(CLogRecord record) {
    record.SetIndex(static_cast<std::int32_t>(records_.size()));
    records_.push_back(std::move(record));
    return records_.back();
}

int CLogList::Load(const std::string& path, const ILocalTime& localTime) {
    int answer = 0;
    std::unique_ptr<std::FILE, FileCloser> file(OpenLogFile(path, answer));
    if (!file) {
        return answer;
    }
    return Load(file.get(), localTime);
}

int CLogList::Load(std::FILE* file, const ILocalTime& localTime) {
    Window window(file);

    // Skip everything up to and including the first marker. The marker has no inner repeat,
    // so a plain substring search finds what a byte-wise match would.
    for (;;) {
        const std::size_t available = window.Ensure(Window::kChunk / 2);
        if (available < sizeof kMarker) {
            return 0;
        }
        const std::size_t past = PastMarker(window.Data(), available);
        if (past != 0) {
            window.Advance(past);
            break;
        }
        // Keep the last three bytes: they may begin a marker that the next chunk completes.
        window.Advance(available - (sizeof kMarker - 1));
    }

    const std::int64_t offsetWest = localTime.StandardOffsetWestSeconds();
    for (;;) {
        const std::size_t available = window.Ensure(kMaxRecordBytes + 1);
        if (available == 0) {
            break;
        }
        const std::size_t inArea = available < kMaxRecordBytes ? available : kMaxRecordBytes;
        std::size_t pieceLength = PastMarker(window.Data(), inArea);
        if (pieceLength == 0) {
            if (available > kMaxRecordBytes) {
                // Too long: the area and the one byte read beyond it are dropped; reading
                // goes on after them.
                window.Advance(kMaxRecordBytes + 1);
                continue;
            }
            pieceLength = available;  // the last record runs to the end of the file
        }
        CLogRecord record;
        record.Parse(window.Data(), pieceLength, localTime, offsetWest);
        AddTail(std::move(record));
        window.Advance(pieceLength);
    }
    return 0;
}

}  // namespace qx7
