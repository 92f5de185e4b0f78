#include "support/CupsChain.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <map>
#include <thread>

extern char** environ;

namespace qx7::test {
namespace {

// Above any descriptor the child sets up, so that putting one in place never overwrites
// another that is still to be moved.
constexpr int kHighFd = 100;
// A function backend records what it read here.
constexpr int kRecordFd = 5;

double Now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void SetNonBlocking(int fd) {
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
}

// In the child: moves the descriptors into place (0 .. n-1, then the record), closes the rest.
void PlaceDescriptors(const std::vector<int>& fds, int record) {
    std::vector<int> high;
    for (const int fd : fds) {
        high.push_back(fcntl(fd, F_DUPFD_CLOEXEC, kHighFd));
    }
    const int highRecord = record >= 0 ? fcntl(record, F_DUPFD_CLOEXEC, kHighFd) : -1;
    for (std::size_t i = 0; i < high.size(); ++i) {
        dup2(high[i], static_cast<int>(i));
    }
    int next = static_cast<int>(high.size());
    if (highRecord >= 0) {
        dup2(highRecord, kRecordFd);
        next = kRecordFd + 1;
    }
    // A function side does not exec: nothing of the parent's may stay open in it, or a pipe
    // would never report its end.
    for (int fd = next; fd < 1024; ++fd) {
        close(fd);
    }
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts) {
        pointers.push_back(text.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

[[noreturn]] void RunSide(const ChainSide& side, bool recorded) {
    if (side.program.empty()) {
        ChainIo io(recorded ? kRecordFd : -1);
        const int code = side.function ? side.function(io) : 127;
        _exit(code);
    }
    std::vector<std::string> argv{side.argv0.empty() ? side.program : side.argv0};
    argv.insert(argv.end(), side.args.begin(), side.args.end());
    std::map<std::string, std::string> env;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text(*entry);
        const std::size_t equals = text.find('=');
        env[text.substr(0, equals)] = equals == std::string::npos ? "" : text.substr(equals + 1);
    }
    for (const auto& [name, value] : side.env) {
        env[name] = value;
    }
    std::vector<std::string> envp;
    for (const auto& [name, value] : env) {
        envp.push_back(name + "=" + value);
    }
    sigset_t blocked;
    sigemptyset(&blocked);
    for (const int signal : side.inheritedIgnored) {
        ::signal(signal, SIG_IGN);
        sigaddset(&blocked, signal);
    }
    sigprocmask(SIG_BLOCK, &blocked, nullptr);
    auto argvPointers = Pointers(argv);
    auto envPointers = Pointers(envp);
    execve(side.program.c_str(), argvPointers.data(), envPointers.data());
    _exit(127);
}

}  // namespace

ssize_t ChainIo::Read(void* buffer, std::size_t size) {
    for (;;) {
        const ssize_t n = read(STDIN_FILENO, buffer, size);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n > 0 && record_ >= 0) {
            const auto* bytes = static_cast<const char*>(buffer);
            std::size_t done = 0;
            while (done < static_cast<std::size_t>(n)) {
                const ssize_t w = write(record_, bytes + done, static_cast<std::size_t>(n) - done);
                if (w <= 0 && errno != EINTR) {
                    break;
                }
                done += w > 0 ? static_cast<std::size_t>(w) : 0;
            }
        }
        return n;
    }
}

std::string ChainIo::ReadAll() {
    std::string all;
    char buffer[65536];
    for (ssize_t n; (n = Read(buffer, sizeof buffer)) > 0;) {
        all.append(buffer, static_cast<std::size_t>(n));
    }
    return all;
}

std::string ChainIo::ReadAvailable() {
    std::string all;
    char buffer[65536];
    for (;;) {
        pollfd watch{STDIN_FILENO, POLLIN, 0};
        if (poll(&watch, 1, 0) <= 0) {
            return all;
        }
        const ssize_t n = Read(buffer, sizeof buffer);
        if (n <= 0) {
            return all;
        }
        all.append(buffer, static_cast<std::size_t>(n));
    }
}

std::vector<std::string> CupsArgs(int jobId, const std::string& file) {
    std::vector<std::string> args{std::to_string(jobId), "tester", "QX-7 command", "1", ""};
    if (!file.empty()) {
        args.push_back(file);
    }
    return args;
}

ChainSide ChainSide::Program(std::string program, std::vector<std::string> args, EnvList env,
                             std::string argv0) {
    ChainSide side;
    side.program = std::move(program);
    side.argv0 = std::move(argv0);
    side.args = std::move(args);
    side.env = std::move(env);
    return side;
}

ChainSide ChainSide::Function(std::function<int(ChainIo&)> function) {
    ChainSide side;
    side.function = std::move(function);
    return side;
}

EnvList CupsEnv(const std::string& deviceUri, const std::string& queue) {
    return {{"DEVICE_URI", deviceUri},
            {"PRINTER", queue},
            {"CONTENT_TYPE", "application/vnd.qx7-command"},
            {"FINAL_CONTENT_TYPE", "application/vnd.qx7-command"},
            {"CUPS_SERVERBIN", "/usr/lib/cups"}};
}

CupsChain::CupsChain(ChainSide filter, ChainSide backend)
    : side_{std::move(filter), std::move(backend)} {}

CupsChain::~CupsChain() {
    for (pid_t& pid : pid_) {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
            pid = -1;
        }
    }
}

bool CupsChain::Start(const std::string& input, std::string& error) {
    const std::string inputPath = dir_.File("input");
    WriteFile(inputPath, input);
    int data[2] = {-1, -1};
    int back[2] = {-1, -1};
    int side[2] = {-1, -1};
    if (pipe2(data, O_CLOEXEC) != 0 || pipe2(back, O_CLOEXEC) != 0 ||
        socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, side) != 0) {
        error = std::string("pipes: ") + std::strerror(errno);
        return false;
    }
    // As the scheduler leaves them: neither channel ever blocks its reader or writer.
    for (const int fd : {back[0], back[1], side[0], side[1]}) {
        SetNonBlocking(fd);
    }
    const int in = open(inputPath.c_str(), O_RDONLY | O_CLOEXEC);
    const int null = open("/dev/null", O_RDWR | O_CLOEXEC);
    const int filterErr =
        open(dir_.File("filter.err").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const int backendErr =
        open(dir_.File("backend.err").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const int record =
        open(dir_.File("received").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const std::vector<std::vector<int>> fds = {
        {in, data[1], filterErr, back[0], side[0]},
        {data[0], null, backendErr, back[1], side[1]},
    };
    startedAt_ = Now();
    bool started = in >= 0 && null >= 0 && filterErr >= 0 && backendErr >= 0 && record >= 0;
    for (int i = 0; i < 2 && started; ++i) {
        const pid_t pid = fork();
        if (pid < 0) {
            error = std::string("fork: ") + std::strerror(errno);
            started = false;
            break;
        }
        if (pid == 0) {
            PlaceDescriptors(fds[static_cast<std::size_t>(i)], i == 1 ? record : -1);
            RunSide(side_[i], i == 1);
        }
        pid_[i] = pid;
    }
    if (!started && error.empty()) {
        error = std::string("files: ") + std::strerror(errno);
    }
    // Only the two sides hold the channels now: each end closes with its side.
    for (const int fd : {data[0], data[1], back[0], back[1], side[0], side[1], in, null, filterErr,
                         backendErr, record}) {
        if (fd >= 0) {
            close(fd);
        }
    }
    return started;
}

bool CupsChain::Reap(int side) {
    if (pid_[side] <= 0) {
        return true;
    }
    int status = 0;
    if (waitpid(pid_[side], &status, WNOHANG) != pid_[side]) {
        return false;
    }
    result_[side].seconds = Now() - startedAt_;
    result_[side].exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result_[side].signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    pid_[side] = -1;
    return true;
}

bool CupsChain::WaitForFilter(int timeoutMs) {
    const double deadline = Now() + timeoutMs / 1000.0;
    while (!Reap(0)) {
        if (Now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

std::string CupsChain::BackendErrSoFar() const {
    return ReadFile(dir_.File("backend.err"));
}

ChainResult CupsChain::Wait(int timeoutMs) {
    const double deadline = Now() + timeoutMs / 1000.0;
    bool killed = false;
    while (pid_[0] > 0 || pid_[1] > 0) {
        Reap(0);
        Reap(1);
        if (!killed && Now() > deadline) {
            for (const pid_t pid : pid_) {
                if (pid > 0) {
                    kill(pid, SIGKILL);
                }
            }
            killed = true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ChainResult result;
    result.filter = result_[0];
    result.backend = result_[1];
    result.filter.err = ReadFile(dir_.File("filter.err"));
    result.backend.err = ReadFile(dir_.File("backend.err"));
    result.received = ReadFile(dir_.File("received"));
    return result;
}

ChainResult RunChain(const ChainSide& filter, const ChainSide& backend, const std::string& input,
                     int timeoutMs) {
    CupsChain chain(filter, backend);
    std::string error;
    if (!chain.Start(input, error)) {
        ChainResult failed;
        failed.filter.err = "the chain did not start: " + error;
        return failed;
    }
    return chain.Wait(timeoutMs);
}

}  // namespace qx7::test
