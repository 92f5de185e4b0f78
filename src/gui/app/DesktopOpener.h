#pragma once
// Opening a file with the program the desktop associates with it (an exported text file).

#include <QString>

namespace qx7::gui {

class IDesktopOpener {
  public:
    virtual ~IDesktopOpener() = default;
    // False when no program could be started for the file (no launcher, no association);
    // the caller tells the user where the file is.
    virtual bool Open(const QString& path) = 0;
};

class QtDesktopOpener final : public IDesktopOpener {
  public:
    bool Open(const QString& path) override;
};

}  // namespace qx7::gui
