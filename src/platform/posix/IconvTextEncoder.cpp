#include "platform/posix/IconvTextEncoder.h"

#include <cerrno>

#include "core/text/AsciiText.h"

namespace qx7 {

std::unique_ptr<IconvTextEncoder> IconvTextEncoder::Create(const std::string& encoding) {
    iconv_t cd = iconv_open(encoding.c_str(), "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return nullptr;
    }
    return std::unique_ptr<IconvTextEncoder>(new IconvTextEncoder(cd, encoding));
}

IconvTextEncoder::~IconvTextEncoder() {
    iconv_close(cd_);
}

std::string IconvTextEncoder::FromUtf8(std::string_view utf8) const {
    std::string out;
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char buffer[1024];
    // iconv takes a non-const input pointer but does not write through it.
    char* in = const_cast<char*>(utf8.data());
    std::size_t inLeft = utf8.size();
    while (inLeft > 0) {
        char* outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t done = iconv(cd_, &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
        if (done != static_cast<std::size_t>(-1)) {
            continue;
        }
        if (errno == E2BIG) {
            continue;
        }
        // Not representable, invalid or cut short: one '?' for the character, then go on.
        out.push_back('?');
        const std::size_t skip =
            std::min(Utf8SequenceLength(static_cast<unsigned char>(*in)), inLeft);
        in += skip;
        inLeft -= skip;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    }
    // Flush any shift state the target encoding needs.
    char* outPtr = buffer;
    std::size_t outLeft = sizeof buffer;
    iconv(cd_, nullptr, nullptr, &outPtr, &outLeft);
    out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
    return out;
}

std::unique_ptr<ITextEncoder> MakeTextEncoder(const std::string& encoding) {
    const std::string lower = AsciiLower(encoding);
    if (lower == "utf-8" || lower == "utf8") {
        return std::make_unique<Utf8PassThrough>();
    }
    return IconvTextEncoder::Create(encoding);
}

std::string SystemTextEncodingName() {
    return "UTF-8";
}

}  // namespace qx7
