#include "loggen/LogBomb.h"

#include <zlib.h>

#include <algorithm>
#include <vector>

#include "core/base/AtomicOutputFile.h"
#include "core/base/ByteOrder.h"
#include "core/log/LogDecompress.h"
#include "loggen/LogBuilder.h"

namespace qx7::loggen {
namespace {

constexpr std::size_t kStretchBytes = 1 << 20;

// A raw deflate stream framed as gzip by hand (RFC 1952): header, deflate blocks, CRC-32 and
// length of the content. zlib's own gzip framing would need every byte passed through it for
// the trailer, which is what copying a stretch's deflated bytes avoids.
class GzipWriter {
  public:
    explicit GzipWriter(AtomicOutputFile& file) : file_(file) {
        ok_ = deflateInit2(&stream_, 9, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY) == Z_OK;
        static constexpr unsigned char kHeader[10] = {0x1F, 0x8B, 8, 0, 0, 0, 0, 0, 2, 3};
        ok_ = ok_ && file_.Write({reinterpret_cast<const char*>(kHeader), sizeof kHeader});
    }
    ~GzipWriter() { deflateEnd(&stream_); }
    GzipWriter(const GzipWriter&) = delete;
    GzipWriter& operator=(const GzipWriter&) = delete;

    // Deflates the bytes; with a full flush the output stands on its own, so the same bytes
    // after a full flush always deflate to the same output. Answers that output.
    std::string Deflate(std::string_view bytes, int flush) {
        std::string out;
        stream_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
        stream_.avail_in = static_cast<uInt>(bytes.size());
        std::vector<char> buffer(1 << 16);
        int result = Z_OK;
        do {
            stream_.next_out = reinterpret_cast<Bytef*>(buffer.data());
            stream_.avail_out = static_cast<uInt>(buffer.size());
            result = deflate(&stream_, flush);
            if (result == Z_STREAM_ERROR) {
                ok_ = false;
                return {};
            }
            out.append(buffer.data(), buffer.size() - stream_.avail_out);
        } while (stream_.avail_out == 0 || (flush == Z_FINISH && result != Z_STREAM_END));
        Account(bytes, 1);
        return out;
    }
    // Writes deflated bytes of content that was deflated before, `times` times over.
    void Repeat(const std::string& deflated, std::string_view content, std::uint64_t times) {
        for (std::uint64_t i = 0; i < times && ok_; ++i) {
            ok_ = file_.Write(deflated);
        }
        Account(content, times);
    }
    void Write(const std::string& deflated) { ok_ = ok_ && file_.Write(deflated); }
    bool Finish() {
        Write(Deflate({}, Z_FINISH));
        unsigned char trailer[8];
        for (int i = 0; i < 4; ++i) {
            trailer[i] = static_cast<unsigned char>(crc_ >> (8 * i));
            trailer[4 + i] = static_cast<unsigned char>(length_ >> (8 * i));
        }
        return ok_ && file_.Write({reinterpret_cast<const char*>(trailer), sizeof trailer});
    }

  private:
    void Account(std::string_view content, std::uint64_t times) {
        const uLong once = crc32(0, reinterpret_cast<const Bytef*>(content.data()),
                                 static_cast<uInt>(content.size()));
        for (std::uint64_t i = 0; i < times; ++i) {
            crc_ = crc32_combine(crc_, once, static_cast<z_off_t>(content.size()));
        }
        length_ += content.size() * times;
    }

    AtomicOutputFile& file_;
    z_stream stream_{};
    bool ok_ = false;
    uLong crc_ = crc32(0, nullptr, 0);
    std::uint64_t length_ = 0;
};

}  // namespace

bool WriteRepeatingCompressed(const std::string& path, std::string_view head, std::string_view unit,
                              std::uint64_t count, std::string_view tail) {
    AtomicOutputFile file;
    if (file.Open(path, ExistingTarget::kReplace) != 0 || !file.Write("QX7LG1ZL")) {
        file.Abandon();
        return false;
    }
    bool ok = false;
    {
        GzipWriter gzip(file);
        gzip.Write(gzip.Deflate(head, Z_FULL_FLUSH));
        // A stretch of whole units of about 1 MiB, deflated once and then copied.
        const std::uint64_t perStretch =
            unit.empty() ? 0 : std::max<std::uint64_t>(1, kStretchBytes / unit.size());
        std::string stretch;
        for (std::uint64_t i = 0; i < perStretch && i < count; ++i) {
            stretch += unit;
        }
        std::uint64_t left = count;
        // Once a stretch deflates to what the one before it gave, the rest are copies.
        std::string last;
        bool steady = false;
        while (perStretch > 0 && left >= perStretch && !steady) {
            std::string deflated = gzip.Deflate(stretch, Z_FULL_FLUSH);
            gzip.Write(deflated);
            left -= perStretch;
            steady = deflated == last;
            last = std::move(deflated);
        }
        if (steady) {
            gzip.Repeat(last, stretch, left / perStretch);
            left %= perStretch;
        }
        std::string rest;
        for (std::uint64_t i = 0; i < left; ++i) {
            rest += unit;
        }
        rest += tail;
        gzip.Write(gzip.Deflate(rest, Z_FULL_FLUSH));
        ok = gzip.Finish();
    }
    if (!ok || !file.Commit()) {
        file.Abandon();
        return false;
    }
    return true;
}

std::uint64_t UnitsWithinInflationLimit(std::uint64_t unitBytes, std::uint64_t otherBytes) {
    return unitBytes == 0 || otherBytes > kMaxInflatedBytes
               ? 0
               : (kMaxInflatedBytes - otherBytes) / unitBytes;
}

bool WriteEntryBomb(const std::string& path, std::string_view lead, std::string_view entries,
                    std::uint64_t count) {
    const std::uint64_t length = lead.size() + entries.size() * count;
    if (length == 0 || length >= 0x80000000ULL) {
        return false;
    }
    const std::string head = ContainerBuilder()
                                 .BlockWithLength("LGDT", static_cast<std::uint32_t>(length), lead)
                                 .Plain();
    return WriteRepeatingCompressed(path, head, entries, count, std::string("ENDF\0\0\0\0", 8));
}

bool WriteTextBomb(const std::string& path, std::string_view tag, std::uint64_t textBytes,
                   char fill) {
    if (textBytes >= 0x100000000ULL) {
        return false;
    }
    const std::string head =
        ContainerBuilder().BlockWithLength(tag, static_cast<std::uint32_t>(textBytes), "").Plain();
    return WriteRepeatingCompressed(path, head, std::string(1, fill), textBytes,
                                    std::string("ENDF\0\0\0\0", 8));
}

}  // namespace qx7::loggen
