#include "core/log/Inflate.h"

#include <zlib.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

#ifdef QX7_WITH_ISAL
#include <isa-l/igzip_lib.h>
#endif

namespace qx7 {
namespace {

// Both libraries count in 32 bits: larger spans go in pieces.
constexpr std::size_t kMaxSpan = UINT_MAX;

class ZlibInflate final : public Inflate {
  public:
    ZlibInflate() = default;
    ~ZlibInflate() override {
        if (ready_) {
            inflateEnd(&stream_);
        }
    }

    bool Setup() {
        // 16 + 15: gzip wrapper only, so that the trailer's check value and length are verified.
        ready_ = inflateInit2(&stream_, 16 + MAX_WBITS) == Z_OK;
        return ready_;
    }

    std::string_view Name() const override { return "zlib"; }

    void SetInput(const unsigned char* bytes, std::size_t size) override {
        stream_.next_in = const_cast<unsigned char*>(bytes);
        stream_.avail_in = static_cast<uInt>(std::min(size, kMaxSpan));
        pending_ = size - stream_.avail_in;
    }

    std::size_t InputLeft() const override { return stream_.avail_in + pending_; }

    Status Run(unsigned char* out, std::size_t room, std::size_t& produced) override {
        produced = 0;
        room = std::min(room, kMaxSpan);
        for (;;) {
            stream_.next_out = out + produced;
            stream_.avail_out = static_cast<uInt>(room - produced);
            const int status = inflate(&stream_, Z_NO_FLUSH);
            produced = room - stream_.avail_out;
            if (status == Z_STREAM_END) {
                return Status::kMemberEnd;
            }
            if (status != Z_OK && status != Z_BUF_ERROR) {
                return Status::kError;
            }
            if (stream_.avail_in == 0 && pending_ > 0) {
                SetInput(stream_.next_in, pending_);
                continue;
            }
            if (stream_.avail_out == 0) {
                return Status::kProgress;
            }
            return Status::kNeedInput;
        }
    }

    void Reset() override { inflateReset(&stream_); }

  private:
    z_stream stream_{};
    std::size_t pending_ = 0;
    bool ready_ = false;
};

#ifdef QX7_WITH_ISAL
// A gzip member header read byte by byte, with zlib's checks: the magic, deflate as the method,
// no reserved flag, and the header's own check value when it has one. (ISA-L's own header
// reader refuses good headers that carry a check value.)
class GzipHeader {
  public:
    // 1 the header is complete, 0 more bytes are wanted, -1 it is no gzip header.
    int Step(unsigned char*& in, std::uint32_t& avail) {
        while (avail > 0 && state_ != State::kDone) {
            const unsigned char byte = *in;
            if (state_ != State::kCheck) {
                check_ = crc32(check_, &byte, 1);
            }
            ++in;
            --avail;
            if (!Take(byte)) {
                return -1;
            }
        }
        return state_ == State::kDone ? 1 : 0;
    }

  private:
    enum class State { kFixed, kExtraLength, kExtra, kName, kComment, kCheck, kDone };
    static constexpr unsigned kHeaderCheck = 2, kExtra = 4, kName = 8, kComment = 16;

    bool Take(unsigned char byte) {
        switch (state_) {
            case State::kFixed:
                if ((count_ == 0 && byte != 0x1F) || (count_ == 1 && byte != 0x8B) ||
                    (count_ == 2 && byte != 8) || (count_ == 3 && (byte & 0xE0) != 0)) {
                    return false;
                }
                if (count_ == 3) {
                    flags_ = byte;
                }
                if (++count_ == 10) {
                    Next(State::kExtraLength);
                }
                return true;
            case State::kExtraLength:
                length_ |= static_cast<std::uint32_t>(byte) << (8 * count_);
                if (++count_ == 2) {
                    state_ = State::kExtra;
                    count_ = 0;
                    if (length_ == 0) {
                        Next(State::kName);
                    }
                }
                return true;
            case State::kExtra:
                if (++count_ == length_) {
                    Next(State::kName);
                }
                return true;
            case State::kName:
            case State::kComment:
                if (byte == 0) {
                    Next(state_ == State::kName ? State::kComment : State::kCheck);
                }
                return true;
            case State::kCheck:
                stored_ |= static_cast<std::uint32_t>(byte) << (8 * count_);
                if (++count_ == 2) {
                    if (stored_ != (checkBefore_ & 0xFFFF)) {
                        return false;
                    }
                    state_ = State::kDone;
                }
                return true;
            case State::kDone:
                break;
        }
        return true;
    }

    // Goes on to `state`, or past it when the flags say the header has no such field.
    void Next(State state) {
        count_ = 0;
        for (;; state = static_cast<State>(static_cast<int>(state) + 1)) {
            const bool present = (state == State::kExtraLength && (flags_ & kExtra) != 0) ||
                                 (state == State::kName && (flags_ & kName) != 0) ||
                                 (state == State::kComment && (flags_ & kComment) != 0) ||
                                 (state == State::kCheck && (flags_ & kHeaderCheck) != 0) ||
                                 state == State::kDone;
            if (present) {
                break;
            }
        }
        if (state == State::kCheck) {
            checkBefore_ = check_;
        }
        state_ = state;
    }

    State state_ = State::kFixed;
    unsigned flags_ = 0;
    std::uint32_t count_ = 0;
    std::uint32_t length_ = 0;
    std::uint32_t stored_ = 0;
    uLong check_ = crc32(0, nullptr, 0);
    uLong checkBefore_ = 0;
};

class IsalInflate final : public Inflate {
  public:
    IsalInflate() { Reset(); }

    std::string_view Name() const override { return "isa-l"; }

    void SetInput(const unsigned char* bytes, std::size_t size) override {
        state_.next_in = const_cast<unsigned char*>(bytes);
        state_.avail_in = static_cast<std::uint32_t>(std::min(size, kMaxSpan));
        pending_ = size - state_.avail_in;
    }

    std::size_t InputLeft() const override { return state_.avail_in + pending_; }

    Status Run(unsigned char* out, std::size_t room, std::size_t& produced) override {
        produced = 0;
        room = std::min(room, kMaxSpan);
        while (!headerRead_) {
            const int header = header_.Step(state_.next_in, state_.avail_in);
            if (header < 0) {
                return Status::kError;
            }
            if (header > 0) {
                headerRead_ = true;
            } else if (pending_ > 0) {
                SetInput(state_.next_in, pending_);
            } else {
                return Status::kNeedInput;
            }
        }
        for (;;) {
            state_.next_out = out + produced;
            state_.avail_out = static_cast<std::uint32_t>(room - produced);
            const int status = isal_inflate(&state_);
            produced = room - state_.avail_out;
            if (status != ISAL_DECOMP_OK) {
                return Status::kError;
            }
            if (state_.block_state == ISAL_BLOCK_FINISH) {
                // The trailer is verified; bytes read ahead of it are back in the input.
                return Status::kMemberEnd;
            }
            if (state_.avail_in == 0 && pending_ > 0) {
                SetInput(state_.next_in, pending_);
                continue;
            }
            if (state_.avail_out == 0) {
                return Status::kProgress;
            }
            return Status::kNeedInput;
        }
    }

    void Reset() override {
        unsigned char* next = state_.next_in;
        const std::uint32_t left = state_.avail_in;
        isal_inflate_init(&state_);
        state_.next_in = next;
        state_.avail_in = left;
        // The header is read here; ISA-L inflates and verifies the trailer's check and length.
        state_.crc_flag = ISAL_GZIP_NO_HDR_VER;
        header_ = GzipHeader();
        headerRead_ = false;
    }

  private:
    inflate_state state_{};
    GzipHeader header_;
    bool headerRead_ = false;
    std::size_t pending_ = 0;
};
#endif

}  // namespace

std::unique_ptr<Inflate> Inflate::Create(Kind kind) {
#ifdef QX7_WITH_ISAL
    if (kind == Kind::kIsal) {
        return std::unique_ptr<Inflate>(new (std::nothrow) IsalInflate());
    }
#else
    (void)kind;
#endif
    std::unique_ptr<ZlibInflate> zlib(new (std::nothrow) ZlibInflate());
    if (zlib == nullptr || !zlib->Setup()) {
        return nullptr;
    }
    return zlib;
}

std::unique_ptr<Inflate> Inflate::Create() {
    return Create(DefaultName() == "isa-l" ? Kind::kIsal : Kind::kZlib);
}

bool Inflate::HasIsal() {
#ifdef QX7_WITH_ISAL
    return true;
#else
    return false;
#endif
}

std::string_view Inflate::DefaultName() {
    const char* chosen = std::getenv("QX7_INFLATER");
    if (!HasIsal() || (chosen != nullptr && std::strcmp(chosen, "zlib") == 0)) {
        return "zlib";
    }
    return "isa-l";
}

}  // namespace qx7
