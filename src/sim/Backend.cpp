#include "sim/Backend.h"

#include <cups/backend.h>
#include <cups/cups.h>
#include <cups/sidechannel.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/base/ByteOrder.h"
#include "core/comm/CommandJob.h"
#include "core/comm/PrinterLink.h"
#include "sim/BackendUri.h"
#include "sim/PrinterFiles.h"
#include "sim/SimPrinter.h"
#include "platform/cups/SchedulerSignals.h"
#include "platform/posix/WholeWrite.h"

namespace qx7::sim {
namespace {

constexpr char kDeviceId[] = "MFG:Quorvel;MDL:QX-7 Series;CMD:QX7;";
// A switched-off printer is looked at this often while the queue holds its job.
constexpr int kHoldCheckMs = 100;
// A command job is a few kilobytes; a job this long is not one, and is not kept in memory.
constexpr std::size_t kMaxJobBytes = 16 * 1024 * 1024;
constexpr double kChannelTimeout = 2.0;

void StatusLine(const std::string& line) {
    WriteWhole(STDERR_FILENO, line + "\n");
}

bool Exists(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0;
}

void SleepMs(int ms) {
    timespec wait{ms / 1000, static_cast<long>(ms % 1000) * 1000000L};
    while (nanosleep(&wait, &wait) != 0 && errno == EINTR) {
    }
}

bool AllDigits(const char* text) {
    if (*text == '\0') {
        return false;
    }
    for (; *text != '\0'; ++text) {
        if (*text < '0' || *text > '9') {
            return false;
        }
    }
    return true;
}

bool StartsWithScheme(std::string_view text) {
    const std::string prefix = std::string(kBackendScheme) + ":";
    return text.substr(0, prefix.size()) == prefix;
}

// The printer behind the URI, one take at a time; with a state folder, what it remembers
// between jobs (and between backend runs) is loaded before each take and saved after it.
class BackendPrinter {
  public:
    explicit BackendPrinter(BackendUri uri) : uri_(std::move(uri)) {}

    bool Prepare(std::string& error) {
        if (uri_.stateDir.empty()) {
            return true;
        }
        struct stat info {};
        if (stat(uri_.stateDir.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
            error = "the state folder " + Printable(uri_.stateDir) + " is not a folder";
            return false;
        }
        if (mkdir(JobsDir().c_str(), 0755) != 0 && errno != EEXIST) {
            error = "cannot make " + Printable(JobsDir()) + ": " + std::strerror(errno);
            return false;
        }
        return true;
    }

    // Whether the printer takes documents now (after=N counts the commands of earlier runs).
    std::optional<bool> Accepts(std::string& error) {
        SavedState state;
        if (!Load(state, error)) {
            return std::nullopt;
        }
        SimPrinter printer = Restore(state, nullptr);
        return printer.AcceptsDocuments();
    }

    // Takes a job as the printer would: keeps its bytes, answers it; the reply's bytes (empty
    // when the printer does not answer), or nullopt with the reason.
    std::optional<std::vector<unsigned char>> Take(const std::vector<unsigned char>& job,
                                                   std::string& error) {
        int lock = -1;
        if (!uri_.stateDir.empty()) {
            // Queues sharing a state folder take their jobs one after another.
            lock = open((uri_.stateDir + "/lock").c_str(),
                        O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
            if (lock < 0 || flock(lock, LOCK_EX) != 0) {
                error = "cannot lock the state folder: " + std::string(std::strerror(errno));
                if (lock >= 0) {
                    close(lock);
                }
                return std::nullopt;
            }
        }
        auto reply = TakeLocked(job, error);
        if (lock >= 0) {
            close(lock);
        }
        return reply;
    }

    const BackendUri& Uri() const { return uri_; }

  private:
    std::string JobsDir() const { return uri_.stateDir + "/jobs"; }
    std::string StatePath() const { return uri_.stateDir + "/state"; }
    std::string JournalPath() const { return uri_.stateDir + "/journal"; }

    bool Load(SavedState& state, std::string& error) const {
        if (uri_.stateDir.empty()) {
            state = SavedState{};
            return true;
        }
        auto loaded = LoadState(StatePath(), error);
        if (!loaded) {
            return false;
        }
        state = *loaded;
        return true;
    }

    SimPrinter Restore(const SavedState& state, std::string* journalError) const {
        SimPrinter::Journal journal = [](const std::string&) {};
        if (!uri_.stateDir.empty() && journalError != nullptr) {
            journal = [path = JournalPath(), journalError](const std::string& line) {
                std::string error;
                if (!AppendJournalLine(path, line, error)) {
                    *journalError = error;
                }
            };
        }
        SimPrinter printer(uri_.fault, journal, uri_.after);
        printer.SetCommandsTaken(state.commandsTaken);
        if (state.clock) {
            // The clock ran on while no backend ran.
            const std::int64_t elapsed =
                std::max<std::int64_t>(0, std::time(nullptr) - state.clockAt);
            printer.SetClock(*state.clock + static_cast<std::uint32_t>(elapsed));
        }
        return printer;
    }

    std::optional<std::vector<unsigned char>> TakeLocked(const std::vector<unsigned char>& job,
                                                         std::string& error) {
        SavedState state;
        if (!Load(state, error)) {
            return std::nullopt;
        }
        std::string journalError;
        SimPrinter printer = Restore(state, &journalError);
        if (!uri_.stateDir.empty() && RecordJob(JobsDir(), job, error).empty()) {
            return std::nullopt;
        }
        const std::string line = printer.TakeJob(job);
        StatusLine("DEBUG: qx7sim: " + Printable(line));
        if (!journalError.empty()) {
            error = journalError;
            return std::nullopt;
        }
        // The reply as the printer sends it: the chunks' payloads one after another.
        std::vector<unsigned char> reply;
        for (;;) {
            const ValueAnswer chunk = printer.ReadValue(kReplyValueName, kReplyChunkSize);
            if (chunk.reportedSize == 0 || chunk.data.size() < 4) {
                break;
            }
            const std::size_t length =
                std::min<std::size_t>(ReadU16BE(chunk.data.data() + 2), chunk.data.size() - 4);
            reply.insert(reply.end(), chunk.data.begin() + 4,
                         chunk.data.begin() + 4 + static_cast<std::ptrdiff_t>(length));
        }
        if (!uri_.stateDir.empty()) {
            state.commandsTaken = printer.CommandsTaken();
            state.clock = printer.PrinterClock();
            state.clockAt = std::time(nullptr);
            if (!SaveState(StatePath(), state, error)) {
                return std::nullopt;
            }
        }
        return reply;
    }

    BackendUri uri_;
};

enum class ReadResult { kData, kNothing, kEnd, kTooLong, kError };

// Adds what the input holds to the job; without wait, only what is there now.
ReadResult ReadSome(int in, std::vector<unsigned char>& job, bool wait) {
    if (!wait) {
        pollfd watch{in, POLLIN, 0};
        if (poll(&watch, 1, 0) <= 0) {
            return ReadResult::kNothing;
        }
    }
    unsigned char buffer[65536];
    const ssize_t n = read(in, buffer, sizeof buffer);
    if (n < 0) {
        return errno == EINTR || errno == EAGAIN ? ReadResult::kNothing : ReadResult::kError;
    }
    if (n == 0) {
        return ReadResult::kEnd;
    }
    if (job.size() + static_cast<std::size_t>(n) > kMaxJobBytes) {
        return ReadResult::kTooLong;
    }
    job.insert(job.end(), buffer, buffer + n);
    return ReadResult::kData;
}

class BackendRun {
  public:
    BackendRun(BackendPrinter& printer, int in) : printer_(printer), in_(in) {}

    int Run() {
        bool sideOpen = fcntl(CUPS_SC_FD, F_GETFD) != -1;
        while (inputOpen_) {
            pollfd watch[2] = {{in_, POLLIN, 0}, {sideOpen ? CUPS_SC_FD : -1, POLLIN, 0}};
            if (poll(watch, 2, -1) < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return Fail(std::string("cannot wait for the job: ") + std::strerror(errno));
            }
            if ((watch[0].revents & (POLLIN | POLLHUP | POLLERR | POLLNVAL)) != 0 && !Read(true)) {
                return CUPS_BACKEND_FAILED;
            }
            if ((watch[1].revents & POLLIN) != 0) {
                if (!ServeSideChannel(sideOpen)) {
                    return CUPS_BACKEND_FAILED;
                }
            } else if ((watch[1].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
                sideOpen = false;
            }
        }
        // A job that ended without a drain is taken at its end; its reply goes to whoever
        // reads the back channel, if anyone does.
        if (!job_.empty() && !TakeAndAnswer()) {
            return CUPS_BACKEND_FAILED;
        }
        return CUPS_BACKEND_OK;
    }

  private:
    int Fail(const std::string& why) {
        StatusLine("ERROR: qx7sim: " + why);
        return CUPS_BACKEND_FAILED;
    }

    bool Read(bool wait) {
        switch (ReadSome(in_, job_, wait)) {
            case ReadResult::kEnd:
                inputOpen_ = false;
                return true;
            case ReadResult::kTooLong:
                Fail("the job is longer than a command job can be");
                return false;
            case ReadResult::kError:
                Fail(std::string("cannot read the job: ") + std::strerror(errno));
                return false;
            default:
                return true;
        }
    }

    bool TakeAndAnswer() {
        std::string error;
        const auto reply = printer_.Take(job_, error);
        job_.clear();
        if (!reply) {
            Fail(error);
            return false;
        }
        if (!reply->empty()) {
            const auto size = reply->size();
            if (cupsBackChannelWrite(reinterpret_cast<const char*>(reply->data()), size,
                                     kChannelTimeout) != static_cast<ssize_t>(size)) {
                StatusLine("DEBUG: qx7sim: nobody read the reply on the back channel");
            }
        }
        return true;
    }

    bool ServeSideChannel(bool& sideOpen) {
        cups_sc_command_t command = CUPS_SC_CMD_NONE;
        cups_sc_status_t status = CUPS_SC_STATUS_NONE;
        char data[2048];
        int length = sizeof data;
        if (cupsSideChannelRead(&command, &status, data, &length, kChannelTimeout) != 0) {
            sideOpen = false;  // the filter went away
            return true;
        }
        switch (command) {
            case CUPS_SC_CMD_GET_BIDI:
                data[0] = static_cast<char>(CUPS_SC_BIDI_SUPPORTED);
                cupsSideChannelWrite(command, CUPS_SC_STATUS_OK, data, 1, kChannelTimeout);
                break;
            case CUPS_SC_CMD_DRAIN_OUTPUT: {
                // Everything the filter wrote before asking is in the pipe: that is the job.
                ReadResult result = ReadResult::kData;
                while (inputOpen_ && result == ReadResult::kData) {
                    result = ReadSome(in_, job_, false);
                    if (result == ReadResult::kEnd) {
                        inputOpen_ = false;
                    } else if (result == ReadResult::kTooLong || result == ReadResult::kError) {
                        Fail("cannot read the whole job");
                        return false;
                    }
                }
                if (!job_.empty() && !TakeAndAnswer()) {
                    return false;
                }
                cupsSideChannelWrite(command, CUPS_SC_STATUS_OK, nullptr, 0, kChannelTimeout);
                break;
            }
            case CUPS_SC_CMD_GET_DEVICE_ID:
                cupsSideChannelWrite(command, CUPS_SC_STATUS_OK, kDeviceId,
                                     static_cast<int>(std::strlen(kDeviceId)), kChannelTimeout);
                break;
            case CUPS_SC_CMD_GET_STATE:
                data[0] = static_cast<char>(CUPS_SC_STATE_ONLINE);
                cupsSideChannelWrite(command, CUPS_SC_STATUS_OK, data, 1, kChannelTimeout);
                break;
            default:
                cupsSideChannelWrite(command, CUPS_SC_STATUS_NOT_IMPLEMENTED, nullptr, 0,
                                     kChannelTimeout);
                break;
        }
        return true;
    }

    BackendPrinter& printer_;
    int in_;
    bool inputOpen_ = true;
    std::vector<unsigned char> job_;
};

}  // namespace

bool IsBackendRun(int argc, char** argv) {
    if (argc < 1) {
        return false;
    }
    const std::string_view self(argv[0]);
    const std::size_t slash = self.rfind('/');
    const std::string_view base = slash == std::string_view::npos ? self : self.substr(slash + 1);
    if (base == kBackendScheme || StartsWithScheme(self)) {
        return true;
    }
    const char* uri = std::getenv("DEVICE_URI");
    return uri != nullptr && StartsWithScheme(uri) && (argc == 6 || argc == 7) &&
           AllDigits(argv[1]);
}

int RunBackend(int argc, char** argv) {
    // A job taken at its end may find nobody on the back channel: the write fails, no more.
    // A cancel ends the backend wherever it is.
    UseSchedulerSignals();
    if (argc == 1) {
        return CUPS_BACKEND_OK;  // for tests only: nothing to discover
    }
    if (argc != 6 && argc != 7) {
        std::string usage = "Usage: ";
        usage += argv[0];
        StatusLine(Printable(usage) + " job-id user title copies options [file]");
        return CUPS_BACKEND_FAILED;
    }
    const char* uriText = std::getenv("DEVICE_URI");
    if (uriText == nullptr) {
        uriText = argv[0];
    }
    std::string error;
    auto uri = ParseBackendUri(uriText, error);
    if (!uri) {
        StatusLine("ERROR: qx7sim: " + error);
        return CUPS_BACKEND_FAILED;
    }
    BackendPrinter printer(std::move(*uri));
    if (!printer.Prepare(error)) {
        StatusLine("ERROR: qx7sim: " + error);
        return CUPS_BACKEND_FAILED;
    }
    int in = STDIN_FILENO;
    if (argc == 7) {
        in = open(argv[6], O_RDONLY | O_CLOEXEC);
        if (in < 0) {
            StatusLine(std::string("ERROR: qx7sim: cannot open the job file: ") +
                       std::strerror(errno));
            return CUPS_BACKEND_FAILED;
        }
    }

    // Switched off while the queue holds the job: nothing is taken until it is on again (a
    // cancel ends the process here, by the default action of SIGTERM).
    const std::string& hold = printer.Uri().holdPath;
    if (!hold.empty() && Exists(hold)) {
        StatusLine("STATE: +offline-report");
        StatusLine("INFO: qx7sim: the printer is switched off; waiting for it");
        while (Exists(hold)) {
            SleepMs(kHoldCheckMs);
        }
        StatusLine("STATE: -offline-report");
    }

    const auto accepts = printer.Accepts(error);
    if (!accepts) {
        StatusLine("ERROR: qx7sim: " + error);
        return CUPS_BACKEND_FAILED;
    }
    if (!*accepts) {
        // As the usb backend gives up on a printer that is off: the job is not taken.
        StatusLine("STATE: +offline-report");
        StatusLine("ERROR: qx7sim: the printer \"" + Printable(printer.Uri().name) +
                   "\" is switched off or not connected");
        return CUPS_BACKEND_FAILED;
    }
    BackendRun run(printer, in);
    return run.Run();
}

}  // namespace qx7::sim
