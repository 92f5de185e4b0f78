#pragma once
// UTF-8 to any encoding iconv knows (CP932, ISO-8859-1 ...). One converter per object; not for
// use from two threads at once.

#include <iconv.h>

#include <memory>
#include <string>

#include "core/base/TextEncoder.h"
#include "platform/TextEncoding.h"

namespace qx7 {

class IconvTextEncoder final : public ITextEncoder {
public:
    // nullptr when iconv does not know the encoding.
    static std::unique_ptr<IconvTextEncoder> Create(const std::string& encoding);
    ~IconvTextEncoder() override;
    IconvTextEncoder(const IconvTextEncoder&) = delete;
    IconvTextEncoder& operator=(const IconvTextEncoder&) = delete;

    std::string FromUtf8(std::string_view utf8) const override;
    std::string Name() const override { return encoding_; }

private:
    IconvTextEncoder(iconv_t cd, std::string encoding) : cd_(cd), encoding_(std::move(encoding)) {}

    iconv_t cd_;
    std::string encoding_;
};


}  // namespace qx7
