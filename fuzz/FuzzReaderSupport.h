#pragma once
// What the log readers' fuzz targets give a reader: messages that go nowhere and a UTC clock
// with a fixed present, so every run of an input does the same; and both inflaters on every
// compressed input.

#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <span>
#include <string>

#include "core/text/MessageSink.h"
#include "core/base/LocalTime.h"
#include "core/log/Inflate.h"
#include "core/log/LogDecompress.h"
#include "core/log/LogFileAccess.h"

namespace qx7::fuzz {

class DiscardingSink final : public IMessageSink {
  public:
    void ShowOk(const std::string&) override {}
    bool AskYesNo(const std::string&) override { return false; }
};

class FixedUtcClock final : public ILocalTime {
  public:
    std::int64_t Now() const override { return 946684800 + 480000000; }
    std::int64_t StandardOffsetWestSeconds() const override { return 0; }
    TimeZoneFacts ZoneFacts() const override { return {}; }
    std::optional<std::int64_t> FromLocal(const CivilTime& local) const override {
        return SecondsFromUtc(local);
    }
    std::optional<CivilTime> ToLocal(std::int64_t seconds) const override {
        return UtcFromSeconds(seconds);
    }
};

// Runs `body` with each inflater the build has: the default one, then zlib.
template <typename Body>
void ForEachInflater(Body&& body) {
    body();
    if (Inflate::HasIsal()) {
        ::setenv("QX7_INFLATER", "zlib", 1);
        body();
        ::unsetenv("QX7_INFLATER");
    }
}

struct InflatedCopy {
    int answer = 0;
    int error = 0;
    std::uint64_t size = 0;
    unsigned long check = 0;
};

inline InflatedCopy InflateContainer(std::span<const std::uint8_t> bytes) {
    InflatedCopy copy;
    int opened = 0;
    std::FILE* source = LogSource::Memory(bytes, "in.zlg").Open(opened);
    char magic[8];
    if (source == nullptr || std::fread(magic, 1, sizeof magic, source) != sizeof magic) {
        std::abort();
    }
    std::FILE* inflated = nullptr;
    copy.answer = DecompressContainer(source, inflated, &copy.error);
    std::fclose(source);
    if (inflated != nullptr) {
        unsigned char chunk[65536];
        std::size_t got = 0;
        while ((got = std::fread(chunk, 1, sizeof chunk, inflated)) > 0) {
            copy.size += got;
            copy.check = crc32(copy.check, chunk, static_cast<uInt>(got));
        }
        std::fclose(inflated);
    }
    return copy;
}

// Aborts unless both inflaters give a compressed container the same answer and the same bytes.
inline void CheckInflatersAgree(const std::uint8_t* data, std::size_t size) {
    if (!Inflate::HasIsal() || size < 8 || std::memcmp(data, "QX7LG1ZL", 8) != 0) {
        return;
    }
    const InflatedCopy fast = InflateContainer(std::span(data, size));
    ::setenv("QX7_INFLATER", "zlib", 1);
    const InflatedCopy zlib = InflateContainer(std::span(data, size));
    ::unsetenv("QX7_INFLATER");
    if (fast.answer != zlib.answer || fast.error != zlib.error || fast.size != zlib.size ||
        fast.check != zlib.check) {
        std::abort();
    }
}

}  // namespace qx7::fuzz
