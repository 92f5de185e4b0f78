// qx7-printer-sim: installs a simulated QX-7 printer in a spool directory and answers the tool
// as the printer and its driver would, until SIGTERM or SIGINT removes it again. Installed as
// the CUPS backend "qx7sim", it is the printer behind a queue instead (sim/Backend.h).

#include <CLI/CLI.hpp>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "core/base/ByteOrder.h"
#include "platform/posix/SpoolDirectory.h"
#include "platform/posix/SpoolWire.h"
#include "sim/PrinterFiles.h"
#include "sim/SimPrinter.h"
#ifdef QX7_SIM_BACKEND
#include "sim/Backend.h"
#include "platform/posix/WholeWrite.h"
#endif

namespace {

using namespace qx7;

// Set by the signal handler, read by every connection's thread.
std::atomic<int> gStop{0};
static_assert(std::atomic<int>::is_always_lock_free, "a signal handler may only touch this");

void OnStopSignal(int) {
    gStop = 1;
}

// Writes the description under a temporary name and moves it into place, so that a reader
// never sees half a file.
bool InstallDescription(const std::string& path, const PrinterRecord& record) {
    const std::string temporary = path + ".tmp-" + std::to_string(getpid());
    const int fd =
        open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        return false;
    }
    const bool written = WriteWhole(fd, FormatPrinterDescription(record)) && fsync(fd) == 0;
    close(fd);
    if (!written || rename(temporary.c_str(), path.c_str()) != 0) {
        unlink(temporary.c_str());
        return false;
    }
    return true;
}

// Binds and listens under a temporary name, then moves the socket into place: once the socket
// file is there, it answers.
int ListenAt(const std::string& path) {
    const std::string temporary = path + ".tmp-" + std::to_string(getpid());
    if (temporary.size() > spoolwire::MaxSocketPath()) {
        return -1;
    }
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return -1;
    }
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, temporary.data(), temporary.size());
    unlink(temporary.c_str());
    if (bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        listen(fd, 16) != 0 || rename(temporary.c_str(), path.c_str()) != 0) {
        close(fd);
        unlink(temporary.c_str());
        return -1;
    }
    return fd;
}

// Serves every connection on a thread of its own, so that a client that stalls holds up nobody
// else; the printer behind them is one, and its state is changed under one lock.
class Server {
  public:
    Server(sim::SimPrinter& printer, bool verbose, std::string jobsDir)
        : printer_(printer), verbose_(verbose), jobsDir_(std::move(jobsDir)) {}
    ~Server() { StopAll(); }
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    void Log(const std::string& line) const {
        if (verbose_) {
            std::fprintf(stderr, "qx7-printer-sim: %s\n", line.c_str());
        }
    }

    bool Full() {
        Reap();
        return connections_.size() >= kMaxConnections;
    }

    // Takes the connection; a thread serves it until the client closes, stalls or errs.
    void Start(int fd) {
        auto connection = std::make_unique<Connection>();
        connection->fd = fd;
        Connection* raw = connection.get();
        try {
            connection->thread = std::thread([this, raw] {
                Serve(raw->fd);
                raw->done = true;
            });
        } catch (const std::system_error&) {
            close(fd);  // no thread to spare: the client sees the connection end
            return;
        }
        connections_.push_back(std::move(connection));
    }

    // Ends every connection at once (a thread waiting for a frame wakes up) and waits for them.
    void StopAll() {
        for (auto& connection : connections_) {
            shutdown(connection->fd, SHUT_RDWR);
        }
        for (auto& connection : connections_) {
            connection->thread.join();
            close(connection->fd);
        }
        connections_.clear();
    }

  private:
    static constexpr std::size_t kMaxConnections = 64;

    struct Connection {
        int fd = -1;
        std::thread thread;
        std::atomic<bool> done{false};
    };

    void Reap() {
        for (auto it = connections_.begin(); it != connections_.end();) {
            if ((*it)->done) {
                (*it)->thread.join();
                close((*it)->fd);
                it = connections_.erase(it);
            } else {
                ++it;
            }
        }
    }

    static bool Answer(int fd, std::uint32_t status) {
        std::vector<unsigned char> payload(4);
        WriteU32BE(payload.data(), status);
        return spoolwire::SendFrame(fd, spoolwire::kAnswer, payload);
    }

    // One connection: value reads, or one document (start, writes, end). Each request must
    // arrive whole within the frame deadline.
    void Serve(int fd) {
        bool inDocument = false;
        std::vector<unsigned char> job;
        while (gStop == 0) {
            const auto frame = spoolwire::ReceiveFrame(fd);
            if (!frame) {
                break;  // closed, too slow or oversized: an open document is abandoned
            }
            const auto& payload = frame->payload;
            bool ok = true;
            switch (frame->type) {
                case spoolwire::kReadValue: {
                    if (payload.size() < 5 || payload.size() > 4 + spoolwire::kMaxValueName) {
                        ok = false;
                        break;
                    }
                    const std::uint32_t size = ReadU32BE(payload.data());
                    const std::string name(payload.begin() + 4, payload.end());
                    sim::ValueAnswer answer;
                    {
                        const std::lock_guard lock(printerMutex_);
                        answer = printer_.ReadValue(name, size);
                    }
                    std::vector<unsigned char> out(8 + answer.data.size());
                    WriteU32BE(out.data(), answer.status);
                    WriteU32BE(out.data() + 4, answer.reportedSize);
                    std::copy(answer.data.begin(), answer.data.end(), out.begin() + 8);
                    ok = spoolwire::SendFrame(fd, spoolwire::kValue, out);
                    break;
                }
                case spoolwire::kStartDoc: {
                    // Document name, one 0x00, data type: without the separator the frame is
                    // malformed, and a malformed frame ends the connection.
                    if (std::count(payload.begin(), payload.end(), 0) != 1) {
                        ok = false;
                        break;
                    }
                    bool accepts = false;
                    {
                        const std::lock_guard lock(printerMutex_);
                        accepts = printer_.AcceptsDocuments();
                    }
                    if (inDocument || !accepts) {
                        ok = Answer(fd, kSpoolNotReady);
                        break;
                    }
                    inDocument = true;
                    job.clear();
                    ok = Answer(fd, 0);
                    break;
                }
                case spoolwire::kWrite:
                    if (!inDocument || job.size() + payload.size() > spoolwire::kMaxFramePayload) {
                        ok = Answer(fd, kSpoolNotReady);
                        break;
                    }
                    job.insert(job.end(), payload.begin(), payload.end());
                    ok = Answer(fd, 0);
                    break;
                case spoolwire::kEndDoc: {
                    if (!inDocument) {
                        ok = Answer(fd, kSpoolNotReady);
                        break;
                    }
                    inDocument = false;
                    std::string line;
                    std::string recordError;
                    {
                        const std::lock_guard lock(printerMutex_);
                        // Kept before the printer reads it, numbered in the order taken.
                        if (!jobsDir_.empty() &&
                            sim::RecordJob(jobsDir_, job, recordError).empty()) {
                            std::fprintf(stderr, "qx7-printer-sim: %s\n", recordError.c_str());
                        }
                        line = printer_.TakeJob(job);
                    }
                    Log(line);
                    ok = Answer(fd, 0);
                    break;
                }
                default:
                    ok = false;
                    break;
            }
            if (!ok) {
                break;
            }
        }
    }

    sim::SimPrinter& printer_;
    std::mutex printerMutex_;
    bool verbose_;
    std::string jobsDir_;                                 // empty: jobs are not kept
    std::list<std::unique_ptr<Connection>> connections_;  // touched by the main thread only
};

sim::Fault ParseFault(const std::string& mode) {
    if (mode == "offline")
        return sim::Fault::kOffline;
    if (mode == "silent")
        return sim::Fault::kSilent;
    if (mode == "refuse")
        return sim::Fault::kRefuse;
    if (mode == "garble")
        return sim::Fault::kGarble;
    return sim::Fault::kNone;
}

}  // namespace

int main(int argc, char** argv) {
#ifdef QX7_SIM_BACKEND
    if (sim::IsBackendRun(argc, argv)) {
        return sim::RunBackend(argc, argv);
    }
#endif
    CLI::App app{"Simulated QX-7 printer and driver for the service tool", "qx7-printer-sim"};
    std::string spool;
    std::string name = "QX-7 Simulator";
    std::string driver = "Quorvel QX-7 Series (simulated)";
    std::string port = "USB001";
    std::string fault = "none";
    std::uint64_t faultAfter = 0;
    std::string journalPath;
    std::string jobsDir;
    bool quiet = false;
    app.add_option("--spool", spool, "Spool directory (default: QX7_SPOOL_DIR or per user)");
    app.add_option("--name", name, "Printer name")->capture_default_str();
    app.add_option("--driver", driver, "Driver name")->capture_default_str();
    app.add_option("--port", port, "Port name")->capture_default_str();
    app.add_option("--fault", fault, "Fault mode")
        ->check(CLI::IsMember({"none", "offline", "silent", "refuse", "garble"}))
        ->capture_default_str();
    app.add_option("--fault-after", faultAfter,
                   "Commands taken normally before the fault mode starts")
        ->capture_default_str();
    app.add_option("--journal", journalPath, "File recording each command received");
    app.add_option("--jobs-dir", jobsDir, "Folder keeping each job's bytes (0001.bin, ...)")
        ->check(CLI::ExistingDirectory);
    app.add_flag("--quiet", quiet, "Do not describe each job on standard error");
    CLI11_PARSE(app, argc, argv);

    const PrinterRecord record{name, driver, port};
    if (name.empty() || !ParsePrinterDescription(FormatPrinterDescription(record))) {
        std::fprintf(stderr, "qx7-printer-sim: name, driver and port must be printable text\n");
        return 2;
    }
    if (spool.empty()) {
        spool = DefaultSpoolDirectory();
    }
    if (const std::string problem = PrepareSpoolDirectory(spool, true); !problem.empty()) {
        std::fprintf(stderr, "qx7-printer-sim: %s\n", problem.c_str());
        return 1;
    }
    const std::string stem = spool + "/" + PrinterFileStem(name);
    const std::string descriptionPath = stem + kPrinterFileSuffix;
    const std::string socketPath = stem + kSocketSuffix;
    if (socketPath.size() + 16 > spoolwire::MaxSocketPath()) {
        std::fprintf(stderr,
                     "qx7-printer-sim: socket path %s is too long (a local socket path holds at "
                     "most %zu bytes); choose a shorter spool directory\n",
                     socketPath.c_str(), spoolwire::MaxSocketPath() - 16);
        return 1;
    }
    if (const int live = spoolwire::Connect(socketPath, 500); live >= 0) {
        close(live);
        std::fprintf(stderr, "qx7-printer-sim: a printer named like \"%s\" already runs in %s\n",
                     name.c_str(), spool.c_str());
        return 1;
    }

    int journalFd = -1;
    if (!journalPath.empty()) {
        journalFd =
            open(journalPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (journalFd < 0) {
            std::fprintf(stderr, "qx7-printer-sim: cannot open journal %s: %s\n",
                         journalPath.c_str(), std::strerror(errno));
            return 1;
        }
    }

    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    struct stat existing {};
    if (lstat(socketPath.c_str(), &existing) == 0) {
        if (!S_ISSOCK(existing.st_mode)) {
            std::fprintf(stderr, "qx7-printer-sim: %s exists and is not a socket\n",
                         socketPath.c_str());
            return 1;
        }
        unlink(socketPath.c_str());  // a stale socket of a printer that is gone
    }
    if (!InstallDescription(descriptionPath, record)) {
        std::fprintf(stderr, "qx7-printer-sim: cannot write %s: %s\n", descriptionPath.c_str(),
                     std::strerror(errno));
        return 1;
    }
    const int listener = ListenAt(socketPath);
    if (listener < 0) {
        std::fprintf(stderr, "qx7-printer-sim: cannot listen at %s: %s\n", socketPath.c_str(),
                     std::strerror(errno));
        unlink(descriptionPath.c_str());
        return 1;
    }

    sim::SimPrinter printer(
        ParseFault(fault),
        [journalFd](const std::string& line) {
            if (journalFd >= 0) {
                WriteWhole(journalFd, line + "\n");  // one write a line: never half a line
            }
        },
        faultAfter);
    Server server(printer, !quiet, jobsDir);
    server.Log("\"" + name + "\" installed in " + spool + " (fault mode " + fault +
               (faultAfter > 0 ? " after " + std::to_string(faultAfter) + " commands" : "") + ")");

    while (gStop == 0) {
        // With every slot taken, new clients wait in the backlog until a connection ends.
        const bool full = server.Full();
        pollfd watch{listener, POLLIN, 0};
        const int ready = poll(&watch, full ? 0 : 1, 200);
        if (ready <= 0) {
            continue;
        }
        const int connection = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection >= 0) {
            server.Start(connection);
        }
    }

    server.StopAll();
    close(listener);
    unlink(socketPath.c_str());
    unlink(descriptionPath.c_str());
    if (journalFd >= 0) {
        close(journalFd);
    }
    server.Log("removed");
    return 0;
}
