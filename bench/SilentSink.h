#pragma once
// A message sink for benchmarks that shows nothing and answers every question No.

#include <string>

#include "core/text/MessageSink.h"

namespace qx7::bench {

class SilentSink final : public IMessageSink {
  public:
    void ShowOk(const std::string&) override {}
    bool AskYesNo(const std::string&) override { return false; }
};

}  // namespace qx7::bench
