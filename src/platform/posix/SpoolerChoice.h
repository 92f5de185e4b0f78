#pragma once
// Which printer link the programs use on Linux: the CUPS scheduler, as every Linux user prints;
// the stand-in spool folder only when one is named (--spool, QX7_SPOOL_DIR), for the demo that
// needs no setup and for tests without a scheduler.

#include <functional>
#include <memory>
#include <string>

#include "core/comm/ISpooler.h"

namespace qx7 {

struct SpoolerChoice {
    std::string spoolDirectory;  // the stand-in's folder; empty: QX7_SPOOL_DIR, else CUPS
    std::string cupsServer;      // empty: libcups' own choice (CUPS_SERVER, client.conf, local)
};

class ChosenSpooler {
  public:
    explicit ChosenSpooler(const SpoolerChoice& choice);
    ~ChosenSpooler();
    ChosenSpooler(const ChosenSpooler&) = delete;
    ChosenSpooler& operator=(const ChosenSpooler&) = delete;

    ISpooler& Spooler();
    bool UsesCups() const;
    // Why the last listing failed or found nothing to list, in words; empty when it says nothing.
    std::string Problem() const;

  private:
    std::unique_ptr<ISpooler> spooler_;
    std::function<std::string()> problem_;
    bool usesCups_ = false;
};

}  // namespace qx7
