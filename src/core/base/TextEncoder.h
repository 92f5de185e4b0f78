#pragma once
// Conversion of core's UTF-8 text into the encoding of an output (a file, a terminal).

#include <string>
#include <string_view>

namespace qx7 {

class ITextEncoder {
  public:
    virtual ~ITextEncoder() = default;
    // Characters the target cannot hold become '?'; invalid UTF-8 bytes do too.
    virtual std::string FromUtf8(std::string_view utf8) const = 0;
    // The encoding's name as the user would choose it ("UTF-8", "CP932").
    virtual std::string Name() const = 0;
};

// UTF-8 out as UTF-8 in: the default on Linux.
class Utf8PassThrough final : public ITextEncoder {
  public:
    std::string FromUtf8(std::string_view utf8) const override { return std::string(utf8); }
    std::string Name() const override { return "UTF-8"; }
};

}  // namespace qx7
