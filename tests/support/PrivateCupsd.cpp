#include "support/PrivateCupsd.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <netinet/in.h>
#include <arpa/inet.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <chrono>
#include <cstring>
#include <thread>

namespace qx7::test {
namespace {

namespace fs = std::filesystem;

constexpr char kCupsd[] = "/usr/sbin/cupsd";
constexpr char kSystemServerBin[] = "/usr/lib/cups";

// The folders cupsd looks up its helpers in and that hold no programs of ours.
const char* const kLinkedServerBinFolders[] = {"daemon", "notifier", "driver", "cgi-bin",
                                               "monitor"};

void MakeFolder(const fs::path& path, mode_t mode) {
    fs::create_directories(path);
    chmod(path.c_str(), mode);
}

// backend/ and filter/ must be real, root-owned, not group/other writable folders, or cupsd
// refuses every program in them and jobs stop; the system's programs are linked in.
void MakeProgramFolder(const fs::path& path, const fs::path& system) {
    MakeFolder(path, 0755);
    chown(path.c_str(), 0, 0);
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(system, ec)) {
        fs::create_symlink(entry.path(), path / entry.path().filename(), ec);
    }
}

bool SocketAnswers(const std::string& path) {
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return false;
    }
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
    const bool ok = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
    close(fd);
    return ok;
}

std::string FileTail(const std::string& path) {
    const std::string text = ReadFile(path);
    return text.size() > 2000 ? text.substr(text.size() - 2000) : text;
}

// A loopback port nothing listens on now (the kernel's choice; the scheduler binds it moments
// later).
int FreeLoopbackPort() {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return 0;
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof(address);
    int port = 0;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 &&
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) == 0) {
        port = ntohs(address.sin_port);
    }
    close(fd);
    return port;
}

}  // namespace

bool ProcessExists(pid_t pid) {
    return pid > 0 && (kill(pid, 0) == 0 || errno == EPERM);
}

std::string PrivateCupsd::SkipReason() {
    // Where the scheduler must run (CI), a test that cannot start it fails instead of skipping.
    if (const char* required = std::getenv("QX7_REQUIRE_CUPSD"); required && *required == '1') {
        return {};
    }
    if (geteuid() != 0) {
        return "a private CUPS scheduler needs root";
    }
    if (access(kCupsd, X_OK) != 0) {
        return std::string("no CUPS scheduler (") + kCupsd + "); install cups-daemon";
    }
    if (access("/usr/sbin/lpadmin", X_OK) != 0) {
        return "no lpadmin; install cups-client";
    }
    return {};
}

std::string PrivateCupsd::Qx7Ppd() {
    return std::string(QX7_SOURCE_DIR) + "/res/cups/qx7.ppd";
}

PrivateCupsd::PrivateCupsd(bool loopbackPort) {
    if (loopbackPort) {
        port_ = FreeLoopbackPort();
    }
    const fs::path& root = root_.Path();
    // Filters run as lp, which must reach the spool and its own folders through the root.
    chmod(root.c_str(), 0755);
    for (const char* folder : {"etc", "spool", "run", "cache", "tmp", "log"}) {
        MakeFolder(root / folder, 0755);
    }
    const fs::path serverBin = root / "serverbin";
    MakeFolder(serverBin, 0755);
    MakeProgramFolder(serverBin / "backend", fs::path(kSystemServerBin) / "backend");
    MakeProgramFolder(serverBin / "filter", fs::path(kSystemServerBin) / "filter");
    std::error_code ec;
    for (const char* folder : kLinkedServerBinFolders) {
        const fs::path system = fs::path(kSystemServerBin) / folder;
        if (fs::exists(system, ec)) {
            fs::create_directory_symlink(system, serverBin / folder, ec);
        }
    }
    socket_ = (root / "cups.sock").string();

    const std::string r = root.string();
    // Printcap inside the root: without it cupsd writes the machine's /run/cups/printcap.
    WriteFile(r + "/etc/cups-files.conf",
              "ServerRoot " + r + "/etc\nRequestRoot " + r + "/spool\nStateDir " + r +
                  "/run\nCacheDir " + r + "/cache\nServerBin " + r + "/serverbin\nTempDir " + r +
                  "/tmp\nDataDir /usr/share/cups\nAccessLog " + r + "/log/access_log\nErrorLog " +
                  r + "/log/error_log\nPageLog " + r + "/log/page_log\nLogFilePerm 0644\n" +
                  "Printcap " + r + "/run/printcap\nUser lp\nGroup lp\nSystemGroup root\n" +
                  "FileDevice No\n");
    // abort-job: a failed job must not stop the queue for the tests after it; the job history
    // keeps the replies readable after the jobs completed.
    WriteFile(r + "/etc/cupsd.conf",
              "LogLevel info\nMaxLogSize 0\nListen " + socket_ +
                  (port_ > 0 ? "\nListen 127.0.0.1:" + std::to_string(port_) : std::string()) +
                  "\nBrowsing No\nBrowseLocalProtocols none\nDefaultShared No\n"
                  "WebInterface No\nDefaultAuthType Basic\nErrorPolicy abort-job\n"
                  "PreserveJobHistory Yes\nPreserveJobFiles No\n"
                  "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                  "<Location /admin>\n  Order allow,deny\n  Allow all\n</Location>\n"
                  "<Policy default>\n"
                  "  JobPrivateAccess default\n  JobPrivateValues default\n"
                  "  SubscriptionPrivateAccess default\n  SubscriptionPrivateValues default\n"
                  "  <Limit CUPS-Add-Modify-Printer CUPS-Delete-Printer CUPS-Add-Modify-Class "
                  "CUPS-Delete-Class CUPS-Set-Default CUPS-Get-Devices Pause-Printer "
                  "Resume-Printer Enable-Printer Disable-Printer CUPS-Accept-Jobs "
                  "CUPS-Reject-Jobs Cancel-Jobs>\n"
                  "    AuthType Default\n    Require user @SYSTEM\n    Order deny,allow\n"
                  "  </Limit>\n"
                  "  <Limit Send-Document Send-URI Hold-Job Release-Job Restart-Job Cancel-Job "
                  "Set-Job-Attributes CUPS-Move-Job CUPS-Get-Document>\n"
                  "    Require user @OWNER @SYSTEM\n    Order deny,allow\n  </Limit>\n"
                  "  <Limit All>\n    Order deny,allow\n  </Limit>\n"
                  "</Policy>\n");
    const std::string types = ReadFile(std::string(QX7_SOURCE_DIR) + "/res/cups/qx7.types");
    WriteFile(r + "/etc/qx7.types", types);
}

PrivateCupsd::~PrivateCupsd() {
    Stop();
}

bool PrivateCupsd::Start(std::string& error, int timeoutMs) {
    if (pid_ > 0) {
        return true;
    }
    if (socket_.size() >= sizeof(sockaddr_un{}.sun_path)) {
        error = "socket path too long: " + socket_;
        return false;
    }
    const std::string out = (Root() / "log" / "cupsd.out").string();
    const std::string conf = (Root() / "etc" / "cupsd.conf").string();
    const std::string files = (Root() / "etc" / "cups-files.conf").string();
    const pid_t pid = fork();
    if (pid < 0) {
        error = std::string("fork: ") + std::strerror(errno);
        return false;
    }
    if (pid == 0) {
        const int fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int null = open("/dev/null", O_RDONLY);
        if (fd >= 0 && null >= 0) {
            dup2(null, 0);
            dup2(fd, 1);
            dup2(fd, 2);
        }
        // -f: stays in the foreground as our child, so that the pid is the scheduler's.
        execl(kCupsd, kCupsd, "-f", "-c", conf.c_str(), "-s", files.c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    pid_ = pid;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
        if (SocketAnswers(socket_)) {
            return true;
        }
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            error = "cupsd ended before it listened: " + FileTail(out) +
                    FileTail((Root() / "log" / "error_log").string());
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    error = "cupsd did not listen within " + std::to_string(timeoutMs) +
            " ms: " + FileTail((Root() / "log" / "error_log").string());
    Stop();
    return false;
}

bool PrivateCupsd::Stop(int timeoutMs) {
    if (pid_ <= 0) {
        return true;
    }
    kill(pid_, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    int status = 0;
    while (std::chrono::steady_clock::now() < deadline) {
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    kill(pid_, SIGKILL);
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return false;
}

bool PrivateCupsd::InstallBackend(const std::string& name, const std::string& programBytes) {
    return InstallProgram(Root() / "serverbin" / "backend" / name, programBytes);
}

bool PrivateCupsd::InstallFilter(const std::string& name, const std::string& programBytes) {
    return InstallProgram(Root() / "serverbin" / "filter" / name, programBytes);
}

bool PrivateCupsd::InstallQx7Programs(const std::string& filterPath,
                                      const std::string& simulatorPath) {
    return InstallFilter("qx7-command-filter", ReadFile(filterPath)) &&
           InstallBackend("qx7sim", ReadFile(simulatorPath));
}

std::filesystem::path PrivateCupsd::PrinterStateFolder(const std::string& name) {
    const fs::path folder = Root() / name;
    fs::create_directories(folder);
    fs::permissions(folder, fs::perms::all);
    return folder;
}

bool PrivateCupsd::InstallProgram(const std::filesystem::path& path,
                                  const std::string& programBytes) {
    std::error_code ec;
    fs::remove(path, ec);
    WriteFile(path.string(), programBytes);
    return ReadFile(path.string()) == programBytes && chown(path.c_str(), 0, 0) == 0 &&
           chmod(path.c_str(), 0755) == 0;
}

bool PrivateCupsd::AddQueue(const std::string& name, const std::string& deviceUri,
                            const std::string& ppd, std::string& error,
                            const std::vector<std::string>& extra) {
    std::vector<std::string> args = {"-p", name, "-E", "-v", deviceUri};
    if (ppd.empty()) {
        args.insert(args.end(), {"-m", "raw"});
    } else {
        args.insert(args.end(), {"-P", ppd});
    }
    args.insert(args.end(), {"-o", "printer-error-policy=abort-job"});
    args.insert(args.end(), extra.begin(), extra.end());
    const ProgramResult result = Client("lpadmin", args);
    if (result.exitCode != 0) {
        error = "lpadmin " + name + ": " + result.err + result.out;
        return false;
    }
    return true;
}

ProgramResult PrivateCupsd::Client(const std::string& program,
                                   const std::vector<std::string>& args) const {
    const std::string path = access(("/usr/sbin/" + program).c_str(), X_OK) == 0
                                 ? "/usr/sbin/" + program
                                 : "/usr/bin/" + program;
    return RunProgram(path, args, ClientEnv());
}

ProgramResult PrivateCupsd::RunAsUser(const std::string& program,
                                      const std::vector<std::string>& args,
                                      const EnvList& env) const {
    std::vector<std::string> all = {"--reuid=nobody", "--regid=nogroup", "--clear-groups",
                                    "--", program};
    all.insert(all.end(), args.begin(), args.end());
    EnvList withServer = ClientEnv();
    withServer.insert(withServer.end(), env.begin(), env.end());
    // HOME of root would only make libcups look for a client.conf it may not read.
    withServer.emplace_back("HOME", "/nonexistent");
    return RunProgram("/usr/bin/setpriv", all, withServer);
}

}  // namespace qx7::test
