#pragma once
// A QX-7 printer and its driver as the tool sees them: it takes command jobs, keeps the state a
// printer would, and serves its replies chunk by chunk through the driver's values.

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace qx7::sim {

enum class Fault { kNone, kOffline, kSilent, kRefuse, kGarble };

struct ValueAnswer {
    std::uint32_t status = 0;
    std::uint32_t reportedSize = 0;
    std::vector<unsigned char> data;
};

class SimPrinter {
  public:
    using Journal = std::function<void(const std::string& line)>;
    // The fault starts once `healthyCommands` commands have been taken (0: at once), so that a
    // procedure of several commands can fail halfway.
    SimPrinter(Fault fault, Journal journal, std::uint64_t healthyCommands = 0)
        : fault_(fault), journal_(std::move(journal)), healthyCommands_(healthyCommands) {}

    bool AcceptsDocuments() const { return ActiveFault() != Fault::kOffline; }
    // A whole raw job as the document delivered it; a reply is queued unless the job was not a
    // valid command job or the printer is silent. Answers a line describing what happened.
    std::string TakeJob(const std::vector<unsigned char>& job);
    // The driver's named value, with the caller's buffer size.
    ValueAnswer ReadValue(const std::string& name, std::uint32_t bufferSize);

    // What a printer keeps while it is off, for a simulator that lives one job at a time.
    std::uint64_t CommandsTaken() const { return commandsTaken_; }
    void SetCommandsTaken(std::uint64_t count) { commandsTaken_ = count; }
    // Sets the printer clock to this value now; it runs on from there.
    void SetClock(std::uint32_t value);

    // Printer state.
    std::uint32_t PrinterClock() const;
    std::map<int, std::uint32_t> exchangeRecords;  // record kind -> printer time recorded
    int statisticsResets = 0;
    std::uint32_t ipAddress[3] = {0xC0A80164u, 0xFFFFFF00u, 0xC0A80101u};
    bool tubeCleanWarning = true;
    bool carriageSpeedAdjustmentRunning = false;
    int thermistorFahrenheit = 0;

  private:
    Fault ActiveFault() const { return commandsTaken_ < healthyCommands_ ? Fault::kNone : fault_; }
    std::vector<unsigned char> Reply(std::uint8_t replyCode, std::uint32_t status) const;
    void Queue(const std::vector<unsigned char>& reply);

    Fault fault_;
    Journal journal_;
    std::uint64_t healthyCommands_;
    std::uint64_t commandsTaken_ = 0;
    std::deque<std::vector<unsigned char>> chunks_;
    std::uint32_t clockBase_ = 0;
    std::chrono::steady_clock::time_point clockSetAt_ = std::chrono::steady_clock::now();
};

}  // namespace qx7::sim
