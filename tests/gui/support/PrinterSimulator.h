#pragma once
// A simulated printer for page tests: qx7-printer-sim as a separate process, installing one
// printer in the test's spool directory. Its journal holds one line per command that reached
// the printer.

#include <memory>
#include <string>
#include <vector>

#include "support/ChildProcess.h"

namespace qx7::test {

class PrinterSimulator {
  public:
    // Starts the simulator with `--spool dir --name name` and the further options (e.g.
    // {"--fault", "silent"}), and waits until its socket answers.
    PrinterSimulator(const std::string& spoolDirectory, const std::string& name,
                     const std::vector<std::string>& options = {});
    PrinterSimulator(const PrinterSimulator&) = delete;
    PrinterSimulator& operator=(const PrinterSimulator&) = delete;

    // False when the socket did not appear; Output() tells why.
    bool Started() const { return started_; }
    const std::string& Name() const { return name_; }
    // What reached the printer so far: "record 6\n" ...
    std::string Journal() const;
    // What the simulator wrote on its standard error.
    std::string Output() const;
    // Stops it (SIGTERM); it removes its printer from the spool directory.
    int Stop();

  private:
    std::string name_;
    std::string journal_;
    std::string output_;
    std::unique_ptr<ChildProcess> process_;
    bool started_ = false;
};

}  // namespace qx7::test
