#include "core/log/LogDecompress.h"

#include <zlib.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/log/LogFileAccess.h"

namespace qx7 {
namespace {

constexpr std::size_t kInputChunk = 16384;
constexpr std::size_t kOutputChunk = 65536;

// Reads the source into the inflater's input, keeping the bytes it has not taken yet.
class Input {
  public:
    Input(std::FILE* source, z_stream& stream)
        : source_(source), stream_(stream), bytes_(kInputChunk) {}

    // 1 more bytes came, 0 the source has ended, -1 read error.
    int Fill() {
        if (ended_) {
            return 0;
        }
        if (stream_.avail_in > 0) {
            std::memmove(bytes_.data(), stream_.next_in, stream_.avail_in);
        }
        const std::size_t got = std::fread(bytes_.data() + stream_.avail_in, 1,
                                           bytes_.size() - stream_.avail_in, source_);
        stream_.next_in = bytes_.data();
        stream_.avail_in += static_cast<uInt>(got);
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
        while (stream_.avail_in < 2) {
            const int filled = Fill();
            if (filled < 0) {
                return -1;
            }
            if (filled == 0) {
                return 0;
            }
        }
        return stream_.next_in[0] == 0x1F && stream_.next_in[1] == 0x8B ? 1 : 0;
    }

    bool Ended() const { return ended_; }

  private:
    std::FILE* source_;
    z_stream& stream_;
    std::vector<unsigned char> bytes_;
    bool ended_ = false;
};

// Inflates gzip members from `source` into `out` as the gzip file reader does: the first must
// begin at once, and whatever follows the last one without a gzip header is ignored.
// `error` receives the errno of a failed read or write.
int InflateMembers(std::FILE* source, std::FILE* out, std::uint64_t limit, int& error) {
    z_stream stream{};
    // 16 + 15: gzip wrapper only, so that the trailer's check value and length are verified.
    if (inflateInit2(&stream, 16 + MAX_WBITS) != Z_OK) {
        return -9;
    }
    Input input(source, stream);
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
            inflateReset(&stream);
        }
        for (;;) {
            if (stream.avail_in == 0 && input.Fill() < 0) {
                error = errno;
                result = -3;
                break;
            }
            stream.next_out = chunk.data();
            stream.avail_out = static_cast<uInt>(chunk.size());
            const int status = inflate(&stream, Z_NO_FLUSH);
            const std::size_t produced = chunk.size() - stream.avail_out;
            total += produced;
            if (total > limit) {
                result = kLogInflatesTooLarge;
                break;
            }
            if (produced > 0 && std::fwrite(chunk.data(), 1, produced, out) != produced) {
                error = errno;
                result = -6;
                break;
            }
            if (status == Z_STREAM_END) {
                break;
            }
            // No progress without more input, and none will come: the stream was cut short.
            const bool stuck = status == Z_BUF_ERROR && stream.avail_in == 0 && input.Ended();
            if (stuck || (status != Z_OK && status != Z_BUF_ERROR)) {
                result = -5;
                break;
            }
        }
    }
    if (inflateEnd(&stream) != Z_OK && result == 0) {
        result = -7;
    }
    // A stream that inflates to nothing holds no container either.
    if (result == 0 && total == 0) {
        result = -5;
    }
    return result;
}

}  // namespace

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
    int result = InflateMembers(source, out, limit, failure);
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

}  // namespace qx7
