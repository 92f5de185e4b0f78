#include "core/log/LogDecompress.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "core/log/Inflate.h"
#include "core/log/LogFileAccess.h"

namespace qx7 {
namespace {

constexpr std::size_t kInputChunk = 131072;
constexpr std::size_t kOutputChunk = 262144;

// Reads the source into a buffer whose bytes from Data() on are not taken by the inflater yet.
class Input {
  public:
    explicit Input(std::FILE* source) : source_(source), bytes_(kInputChunk) {}

    const unsigned char* Data() const { return bytes_.data() + begin_; }
    std::size_t Size() const { return end_ - begin_; }
    // The inflater took all but `left` bytes.
    void KeepLast(std::size_t left) { begin_ = end_ - left; }

    // 1 more bytes came, 0 the source has ended, -1 read error.
    int Fill() {
        if (ended_) {
            return 0;
        }
        if (begin_ > 0) {
            std::memmove(bytes_.data(), bytes_.data() + begin_, Size());
            end_ -= begin_;
            begin_ = 0;
        }
        const std::size_t got = std::fread(bytes_.data() + end_, 1, bytes_.size() - end_, source_);
        end_ += got;
        if (got > 0) {
            return 1;
        }
        if (std::ferror(source_) != 0) {
            return -1;
        }
        ended_ = true;
        return 0;
    }

    // Whether the next bytes begin a gzip member: -1 read error, 0 no, 1 yes.
    int AtMember() {
        while (Size() < 2) {
            const int filled = Fill();
            if (filled < 0) {
                return -1;
            }
            if (filled == 0) {
                return 0;
            }
        }
        return Data()[0] == 0x1F && Data()[1] == 0x8B ? 1 : 0;
    }

    bool Ended() const { return ended_; }

  private:
    std::FILE* source_;
    std::vector<unsigned char> bytes_;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    bool ended_ = false;
};

}  // namespace

namespace detail {

int InflateMembers(std::FILE* source, const InflatedSink& sink, std::uint64_t limit,
                   int& error) {
    const std::unique_ptr<Inflate> inflater = Inflate::Create();
    if (inflater == nullptr) {
        return -9;
    }
    Input input(source);
    std::vector<unsigned char> chunk(kOutputChunk);
    std::uint64_t total = 0;
    int result = 0;
    for (bool first = true; result == 0; first = false) {
        const int member = input.AtMember();
        if (member < 0) {
            error = errno;
            result = -3;
            break;
        }
        if (member == 0) {
            // Not gzip at all, or an empty source: no log comes that way.
            if (first) {
                result = -5;
            }
            break;
        }
        if (!first) {
            inflater->Reset();
        }
        inflater->SetInput(input.Data(), input.Size());
        for (;;) {
            if (inflater->InputLeft() == 0) {
                input.KeepLast(0);
                if (input.Fill() < 0) {
                    error = errno;
                    result = -3;
                    break;
                }
                inflater->SetInput(input.Data(), input.Size());
            }
            std::size_t produced = 0;
            const Inflate::Status status = inflater->Run(chunk.data(), chunk.size(), produced);
            input.KeepLast(inflater->InputLeft());
            total += produced;
            if (total > limit) {
                result = kLogInflatesTooLarge;
                break;
            }
            if (produced > 0) {
                result = sink(chunk.data(), produced, error);
                if (result != 0) {
                    break;
                }
            }
            if (status == Inflate::Status::kMemberEnd) {
                break;
            }
            // No progress without more input, and none will come: the stream was cut short.
            const bool stuck = status == Inflate::Status::kNeedInput &&
                               inflater->InputLeft() == 0 && input.Ended();
            if (stuck || status == Inflate::Status::kError) {
                result = -5;
                break;
            }
        }
    }
    // A stream that inflates to nothing holds no container either.
    if (result == 0 && total == 0) {
        result = -5;
    }
    return result;
}

}  // namespace detail

int DecompressContainer(std::FILE* source, std::FILE*& inflated, int* error, std::uint64_t limit) {
    inflated = nullptr;
    int failure = 0;
    if (error != nullptr) {
        *error = 0;
    }
    errno = 0;
    std::FILE* out = CreateUnnamedTemporary(TemporaryFolder());
    if (out == nullptr) {
        if (error != nullptr) {
            *error = errno;
        }
        return -2;
    }
    const auto write = [out](const unsigned char* bytes, std::size_t size, int& cause) {
        if (std::fwrite(bytes, 1, size, out) != size) {
            cause = errno;
            return -6;
        }
        return 0;
    };
    int result = detail::InflateMembers(source, write, limit, failure);
    if (result == 0 && (std::fflush(out) != 0 || std::ferror(out) != 0)) {
        failure = errno;
        result = -6;
    }
    if (result == 0 && !SeekStream(out, 0, SEEK_SET)) {
        failure = errno;
        result = -6;
    }
    if (error != nullptr) {
        *error = failure;
    }
    if (result != 0) {
        std::fclose(out);
        return result;
    }
    inflated = out;
    return 0;
}

std::string_view InflaterName() {
    return Inflate::DefaultName();
}

}  // namespace qx7
