#pragma once
// Which dialog each viewer button of the log page (225) opens. A viewer's .cpp registers its
// maker with QX7_REGISTER_LOG_VIEWER; the page enables a button only when a maker is there.

#include <QDialog>
#include <functional>
#include <map>
#include <string>

class QWidget;

namespace qx7::gui {

struct PageContext;

// Makes the viewer of `logPath`, owned by `parent` and not yet shown; the page shows it modal
// and it deletes itself when closed. nullptr when the viewer does not open (it has told the
// user why).
using LogViewerMaker = std::function<QDialog*(const PageContext& context,
                                              const std::string& logPath, QWidget* parent)>;

class LogViewerRegistry {
  public:
    static LogViewerRegistry& Global();

    // False (and the first registration kept) when the button already has a viewer.
    bool Add(int buttonNumber, LogViewerMaker make);
    // nullptr when no viewer is registered for the button.
    const LogViewerMaker* Find(int buttonNumber) const;

  private:
    std::map<int, LogViewerMaker> makers_;
};

// Shows a viewer made by a maker: window-modal over its parent, deleted when closed.
void ShowLogViewer(QDialog* viewer);

}  // namespace qx7::gui

// In the viewer's .cpp, inside namespace qx7::gui:
//   QX7_REGISTER_LOG_VIEWER(LogFileInfoDialog, 1191,
//       [](const PageContext& c, const std::string& log, QWidget* parent) -> QDialog* { ... });
#define QX7_REGISTER_LOG_VIEWER(ClassName, buttonNumber, maker)               \
    namespace {                                                               \
    [[maybe_unused]] const bool qx7RegisteredViewer##ClassName =              \
        ::qx7::gui::LogViewerRegistry::Global().Add((buttonNumber), (maker)); \
    }                                                                         \
    static_assert(true)
