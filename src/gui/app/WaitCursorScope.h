#pragma once
// The hourglass for the length of a blocking step, put back on every way out.

#include <QCursor>
#include <vector>

namespace qx7::gui {

class WaitCursorScope {
  public:
    WaitCursorScope();
    ~WaitCursorScope();
    WaitCursorScope(const WaitCursorScope&) = delete;
    WaitCursorScope& operator=(const WaitCursorScope&) = delete;
};

// Lifts every override cursor for its lifetime and puts them back after, so that a message
// box shown during a blocking step has the normal pointer.
class OverrideCursorPause {
  public:
    OverrideCursorPause();
    ~OverrideCursorPause();
    OverrideCursorPause(const OverrideCursorPause&) = delete;
    OverrideCursorPause& operator=(const OverrideCursorPause&) = delete;

  private:
    std::vector<QCursor> lifted_;  // innermost first
};

}  // namespace qx7::gui
