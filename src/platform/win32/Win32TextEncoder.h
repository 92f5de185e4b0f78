#pragma once
// UTF-8 to a Windows code page (CP932, windows-1252, ISO-8859-1 ...). Whatever the code page
// cannot hold becomes '?', one per character, with no best-fit look-alikes, so files come out
// as the Linux build writes them.

#include <memory>
#include <string>

#include "core/base/TextEncoder.h"
#include "platform/TextEncoding.h"

namespace qx7 {

// The code page an encoding name stands for ("CP932", "cp1252", "windows-1252", "Shift_JIS",
// "SJIS", "ISO-8859-1", "LATIN1", "EUC-JP"; any case), or 0 when the name is none of those.
// Whether the system has the code page is not checked here.
unsigned CodePageFromEncodingName(const std::string& encoding);

class Win32TextEncoder final : public ITextEncoder {
  public:
    // nullptr when the name is unknown or the system lacks the code page.
    static std::unique_ptr<Win32TextEncoder> Create(const std::string& encoding);

    std::string FromUtf8(std::string_view utf8) const override;
    std::string Name() const override { return encoding_; }
    unsigned CodePage() const { return codePage_; }

  private:
    Win32TextEncoder(unsigned codePage, std::string encoding)
        : codePage_(codePage), encoding_(std::move(encoding)) {}

    unsigned codePage_;
    std::string encoding_;
};

}  // namespace qx7
