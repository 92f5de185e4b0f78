#pragma once
// Output encodings the running system can convert core's UTF-8 into.

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

}  // namespace qx7
