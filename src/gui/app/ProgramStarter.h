#pragma once
// Starting another program (the maintenance tool) without waiting for it.

#include <QString>
#include <QStringList>

namespace qx7::gui {

class IProgramStarter {
  public:
    virtual ~IProgramStarter() = default;
    // False when the program could not be started.
    virtual bool Start(const QString& program, const QStringList& arguments) = 0;
};

class QtProgramStarter final : public IProgramStarter {
  public:
    bool Start(const QString& program, const QStringList& arguments) override;
};

}  // namespace qx7::gui
