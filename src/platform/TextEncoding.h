#pragma once
// Output encodings the running system can convert core's UTF-8 into.

#include <cstddef>
#include <memory>
#include <string>

#include "core/base/TextEncoder.h"

namespace qx7 {

// UTF-8 for "UTF-8" (in any spelling) and a converter of the system otherwise; nullptr when the
// system does not know the encoding.
std::unique_ptr<ITextEncoder> MakeTextEncoder(const std::string& encoding);

// The encoding files are written in when the user names none: UTF-8 on Linux, the ANSI code
// page ("CP932" on a Japanese system) on Windows.
std::string SystemTextEncodingName();

// Bytes of the UTF-8 sequence that starts with `lead` (1 for a stray byte): how far every
// encoder skips a character it cannot convert, so that all give the same '?'s.
inline std::size_t Utf8SequenceLength(unsigned char lead) {
    if (lead >= 0xF0 && lead < 0xF8) {
        return 4;
    }
    if (lead >= 0xE0) {
        return lead < 0xF0 ? 3 : 1;
    }
    if (lead >= 0xC2) {
        return 2;
    }
    return 1;
}

}  // namespace qx7
