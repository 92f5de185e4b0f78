#pragma once
// What a reader (or a writer of a file it read) met that the user is to be told of: the
// numbered messages it would have shown, in order. It shows nothing itself; its caller shows
// them (the window's boxes, the command line's standard error) or words them into its own
// report.

#include <optional>
#include <string>
#include <vector>

#include "core/text/Messages.h"

namespace qx7 {

// One message: its number (242 ...), the code that goes with it (0 for none) and, for
// ShowMessageWithText, its detail.
struct HeldMessage {
    int number = 0;
    int code = 0;
    std::optional<std::string> detail;
    bool operator==(const HeldMessage&) const = default;
};

class MessageReport {
  public:
    void Add(int number, int code) { held_.push_back({number, code, std::nullopt}); }
    void AddWithText(int number, int code, std::string detail) {
        held_.push_back({number, code, std::move(detail)});
    }
    void Clear() { held_.clear(); }
    bool Empty() const { return held_.empty(); }
    const std::vector<HeldMessage>& Held() const { return held_; }

    // Shows the messages in order through `messages`.
    void Show(const Messages& messages) const;
    // Their texts in the language on one line each, "; " between them; empty when there are
    // none.
    std::string Cause(LanguageId language) const;

  private:
    std::vector<HeldMessage> held_;
};

}  // namespace qx7
