#include "core/log/LogList.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <memory>
#include <optional>
#include <utility>

#include "core/base/FileSystem.h"
#include "core/log/LocalTimeCache.h"
#include "core/log/LogFileAccess.h"

namespace qx7 {
namespace {

constexpr unsigned char kMarker[4] = {'E', 'd', 'G', 'e'};

// The file through a large window: enough bytes ahead of the read position for one whole
// record plus the byte beyond it, refilled as the position moves on. Reads at its own offset,
// so walks over the same file never disturb each other.
class Window {
  public:
    explicit Window(const PositionalReader& file)
        : read_([&file](void* buffer, std::size_t size, std::uint64_t offset) {
              return file.ReadAt(buffer, size, offset);
          }) {}
    explicit Window(CLogList::ByteReader read) : read_(std::move(read)) {}

    // Makes at least `wanted` bytes available from the position, or all that is left.
    std::size_t Ensure(std::size_t wanted) {
        if (end_ - position_ < wanted && !eof_) {
            if (position_ > 0) {
                std::memmove(buffer_.get(), buffer_.get() + position_, end_ - position_);
            }
            end_ -= position_;
            position_ = 0;
            while (end_ < kChunk && !eof_) {
                if (end_ == capacity_) {
                    Grow();
                }
                const std::int64_t got = read_(buffer_.get() + end_, capacity_ - end_, offset_);
                // A read error ends the file as its end does.
                if (got <= 0) {
                    eof_ = true;
                    break;
                }
                end_ += static_cast<std::size_t>(got);
                offset_ += static_cast<std::uint64_t>(got);
            }
        }
        return end_ - position_;
    }
    const unsigned char* Data() const { return buffer_.get() + position_; }
    void Advance(std::size_t count) { position_ += count; }

    static constexpr std::size_t kChunk = 1 << 20;

  private:
    // The buffer grows up to kChunk only as the file fills it: a small log never takes (nor
    // clears) the whole megabyte, and each walk of the statistics has a window of its own.
    // Bytes are looked at only once read, so nothing is cleared.
    void Grow() {
        const std::size_t capacity = std::min(kChunk, std::max(kFirstChunk, capacity_ * 2));
        auto larger = std::make_unique_for_overwrite<unsigned char[]>(capacity);
        if (end_ > 0) {
            std::memcpy(larger.get(), buffer_.get(), end_);
        }
        buffer_ = std::move(larger);
        capacity_ = capacity;
    }

    static constexpr std::size_t kFirstChunk = 1 << 16;

    // Reads at an offset: once a chunk, so the call's cost does not count.
    CLogList::ByteReader read_;
    std::uint64_t offset_ = 0;
    std::unique_ptr<unsigned char[]> buffer_;
    std::size_t capacity_ = 0;
    std::size_t position_ = 0;
    std::size_t end_ = 0;
    bool eof_ = false;
};

// Offset just past the first marker within `size` bytes, or 0 when there is none. Most pieces
// are a few dozen bytes, too short for a library search to pay for its call: sixteen places are
// looked at at once where the processor can, one at a time in the last few bytes.
std::size_t PastMarker(const unsigned char* data, std::size_t size) {
    if (size < sizeof kMarker) {
        return 0;
    }
    std::size_t at = 0;
#ifdef __SSE2__
    // The marker's first letter, sixteen places at once; each place found is then compared
    // whole. Places are tried only where a whole marker fits.
    const __m128i first = _mm_set1_epi8(static_cast<char>(kMarker[0]));
    for (; at + 16 + (sizeof kMarker - 1) <= size; at += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at));
        auto mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, first)));
        while (mask != 0) {
            const std::size_t place = at + static_cast<std::size_t>(std::countr_zero(mask));
            if (std::memcmp(data + place, kMarker, sizeof kMarker) == 0) {
                return place + sizeof kMarker;
            }
            mask &= mask - 1;
        }
    }
#endif
    for (; at + sizeof kMarker <= size; ++at) {
        if (data[at] == kMarker[0] && std::memcmp(data + at, kMarker, sizeof kMarker) == 0) {
            return at + sizeof kMarker;
        }
    }
    return 0;
}

// Cuts a file into the pieces that become records.
class Cutter {
  public:
    explicit Cutter(const PositionalReader& file) : window_(file) {}
    explicit Cutter(CLogList::ByteReader read) : window_(std::move(read)) {}

    // The next piece, valid until the next call; false after the last.
    bool Next(const unsigned char*& data, std::size_t& length) {
        window_.Advance(pending_);
        pending_ = 0;
        if (done_ || (!started_ && !SkipToFirstMarker())) {
            done_ = true;
            return false;
        }
        started_ = true;
        for (;;) {
            const std::size_t available = window_.Ensure(CLogList::kMaxRecordBytes + 1);
            if (available == 0) {
                done_ = true;
                return false;
            }
            const std::size_t inArea = std::min(available, CLogList::kMaxRecordBytes);
            std::size_t pieceLength = PastMarker(window_.Data(), inArea);
            if (pieceLength == 0) {
                if (available > CLogList::kMaxRecordBytes) {
                    // Too long: the area and the one byte read beyond it are dropped; reading
                    // goes on after them.
                    window_.Advance(CLogList::kMaxRecordBytes + 1);
                    continue;
                }
                pieceLength = available;  // the last record runs to the end of the file
            }
            data = window_.Data();
            length = pieceLength;
            pending_ = pieceLength;
            return true;
        }
    }

  private:
    // Skips everything up to and including the first marker. The marker has no inner repeat,
    // so a plain substring search finds what a byte-wise match would.
    bool SkipToFirstMarker() {
        for (;;) {
            const std::size_t available = window_.Ensure(Window::kChunk / 2);
            if (available < sizeof kMarker) {
                return false;
            }
            const std::size_t past = PastMarker(window_.Data(), available);
            if (past != 0) {
                window_.Advance(past);
                return true;
            }
            // Keep the last three bytes: they may begin a marker that the next chunk completes.
            window_.Advance(available - (sizeof kMarker - 1));
        }
    }

    Window window_;
    std::size_t pending_ = 0;
    bool started_ = false;
    bool done_ = false;
};

std::size_t CountRecords(Cutter cutter) {
    const unsigned char* data = nullptr;
    std::size_t length = 0;
    std::size_t count = 0;
    while (cutter.Next(data, length)) {
        ++count;
    }
    return count;
}

}  // namespace

struct CLogList::Walk::State {
    const CLogList* list = nullptr;
    std::size_t source = 0;
    std::optional<Cutter> cutter;
    std::optional<CachedLocalTime> localTime;
    std::int64_t offsetWest = 0;
    std::int32_t index = 0;
    CLogRecord record;
};

CLogList::Walk::Walk(const CLogList& list) : state_(std::make_unique<State>()) {
    state_->list = &list;
}

CLogList::Walk::~Walk() = default;
CLogList::Walk::Walk(Walk&&) noexcept = default;
CLogList::Walk& CLogList::Walk::operator=(Walk&&) noexcept = default;

const CLogRecord* CLogList::Walk::Next() {
    State& state = *state_;
    while (state.source < state.list->sources_.size()) {
        const Source& source = state.list->sources_[state.source];
        if (!state.cutter) {
            state.cutter.emplace(*source.file);
            state.localTime.emplace(*source.localTime);
            state.offsetWest = source.localTime->StandardOffsetWestSeconds();
        }
        const unsigned char* data = nullptr;
        std::size_t length = 0;
        if (state.cutter->Next(data, length)) {
            state.record.Reset();
            state.record.Parse(data, length, *state.localTime, state.offsetWest);
            state.record.SetIndex(state.index++);
            return &state.record;
        }
        state.cutter.reset();
        state.localTime.reset();
        ++state.source;
    }
    return nullptr;
}

CLogList::~CLogList() {
    RemoveAll();
}

CLogList::CLogList(CLogList&& other) noexcept
    : sources_(std::exchange(other.sources_, {})), count_(std::exchange(other.count_, 0)) {}

CLogList& CLogList::operator=(CLogList&& other) noexcept {
    if (this != &other) {
        RemoveAll();
        sources_ = std::exchange(other.sources_, {});
        count_ = std::exchange(other.count_, 0);
    }
    return *this;
}

void CLogList::RemoveAll() {
    sources_.clear();
    count_ = 0;
}

int CLogList::Load(const std::string& path, const ILocalTime& localTime) {
    return Load(LogSource::File(path), localTime);
}

int CLogList::Load(const LogSource& source, const ILocalTime& localTime) {
    int answer = 0;
    std::FILE* file = source.Open(answer);
    if (file == nullptr) {
        return answer;
    }
    const int result = Load(file, localTime);
    std::fclose(file);
    return result;
}

int CLogList::Load(std::FILE* file, const ILocalTime& localTime) {
    auto reader = std::make_unique<PositionalReader>();
    if (!reader->Open(file)) {
        return -1;
    }
    const std::size_t count = CountRecords(Cutter(*reader));
    sources_.push_back({std::move(reader), &localTime});
    count_ += count;
    return 0;
}

int CLogList::Load(std::FILE* file, const ByteReader& growing, const ILocalTime& localTime) {
    const std::size_t count = CountRecords(Cutter(growing));
    // Opened once the counting has read to the end: the file is then as walks will read it.
    auto reader = std::make_unique<PositionalReader>();
    if (!reader->Open(file)) {
        return -1;
    }
    sources_.push_back({std::move(reader), &localTime});
    count_ += count;
    return 0;
}

}  // namespace qx7
