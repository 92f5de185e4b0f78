#pragma once
// Opening a file with the program the desktop associates with it (an exported text file).

#include <QString>

namespace qx7::gui {

class IDesktopOpener {
  public:
    virtual ~IDesktopOpener() = default;
    // False when the desktop refused; callers do not report it.
    virtual bool Open(const QString& path) = 0;
};

class QtDesktopOpener final : public IDesktopOpener {
  public:
    bool Open(const QString& path) override;
};

}  // namespace qx7::gui
