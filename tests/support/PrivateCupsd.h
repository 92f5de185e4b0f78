#pragma once
// A CUPS scheduler of the test's own: every path under a private root folder, listening on a
// socket there, so that it neither touches nor sees the machine's printing system. It must run
// as root (cupsd checks its programs' ownership and drops to lp for filters).

#include <sys/types.h>

#include <string>
#include <vector>

#include "support/ChildProcess.h"
#include "support/TempDir.h"

namespace qx7::test {

class PrivateCupsd {
  public:
    // Why a scheduler cannot run here (not root, no cupsd); empty when it can, and always empty
    // when QX7_REQUIRE_CUPSD=1 (CI), so that a test fails instead of skipping.
    static std::string SkipReason();

    // The QX-7 queue's PPD from the sources.
    static std::string Qx7Ppd();

    // Writes the configuration; Start() runs it. With a loopback port it also listens on
    // 127.0.0.1:<port>, standing for another computer's scheduler.
    explicit PrivateCupsd(bool loopbackPort = false);
    ~PrivateCupsd();  // stops it (SIGTERM, wait)
    PrivateCupsd(const PrivateCupsd&) = delete;
    PrivateCupsd& operator=(const PrivateCupsd&) = delete;

    // Starts the scheduler and waits (at most timeoutMs) until its socket answers; false with
    // the reason (and the scheduler's own words) otherwise.
    bool Start(std::string& error, int timeoutMs = 20000);
    // SIGTERM and a wait for the end (SIGKILL after timeoutMs); true when it has ended.
    bool Stop(int timeoutMs = 15000);

    pid_t Pid() const { return pid_; }
    int LoopbackPort() const { return port_; }
    const std::string& Socket() const { return socket_; }
    const std::filesystem::path& Root() const { return root_.Path(); }
    // CUPS_SERVER for the clients of this scheduler.
    EnvList ClientEnv() const { return {{"CUPS_SERVER", socket_}}; }

    // Installs a program as the backend for URIs "name://..." (root-owned, 0755, as cupsd
    // demands; one of 0700 would run as root). False when it cannot be written.
    bool InstallBackend(const std::string& name, const std::string& programBytes);
    // Installs a program as the filter of that name (root-owned, 0755; filters run as lp).
    bool InstallFilter(const std::string& name, const std::string& programBytes);

    // The QX-7 queue's filter and the simulator as backend "qx7sim", from the built programs.
    bool InstallQx7Programs(const std::string& filterPath, const std::string& simulatorPath);
    // A new folder under the root where a "qx7sim" backend (running as lp) keeps its journal,
    // jobs and state: qx7sim://NAME?state=<it>.
    std::filesystem::path PrinterStateFolder(const std::string& name = "printer");

    // Adds an enabled, accepting queue; an empty ppd makes it a raw queue. Extra lpadmin
    // arguments follow. False with lpadmin's words otherwise.
    bool AddQueue(const std::string& name, const std::string& deviceUri, const std::string& ppd,
                  std::string& error, const std::vector<std::string>& extra = {});
    // Runs one of CUPS' command-line clients (lpadmin, lpstat, cupsdisable, ...) against it.
    ProgramResult Client(const std::string& program, const std::vector<std::string>& args) const;
    // Runs a program as an ordinary user (nobody) with this scheduler as CUPS_SERVER, as a
    // technician without root would.
    ProgramResult RunAsUser(const std::string& program, const std::vector<std::string>& args,
                            const EnvList& env = {}) const;

  private:
    bool InstallProgram(const std::filesystem::path& path, const std::string& programBytes);

    TempDir root_;
    std::string socket_;
    int port_ = 0;
    pid_t pid_ = -1;
};

// Whether a process of that id still exists (a zombie counts as gone once reaped).
bool ProcessExists(pid_t pid);

}  // namespace qx7::test
