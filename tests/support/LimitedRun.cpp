#include "support/LimitedRun.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>

#include "support/TempDir.h"

namespace qx7::test {
namespace {

// Keeps the first and the last line of a stream and counts its lines and bytes.
class LineDigest {
  public:
    void Add(const char* data, std::size_t size, LimitedRunResult& result) {
        result.outBytes += size;
        for (std::size_t i = 0; i < size; ++i) {
            if (data[i] == '\n') {
                ++result.outLines;
                if (result.outLines == 1) {
                    result.firstLine = current_;
                }
                result.lastLine = current_;
                current_.clear();
            } else if (current_.size() < kLongestKept) {
                current_.push_back(data[i]);
            }
        }
    }

  private:
    static constexpr std::size_t kLongestKept = 1 << 20;
    std::string current_;
};

}  // namespace

LimitedRunResult RunWithAddressSpaceLimit(const std::string& program,
                                          const std::vector<std::string>& args,
                                          std::uint64_t limitBytes, const EnvList& env) {
    LimitedRunResult result;
    const TempDir capture;
    const std::string errPath = capture.File("err");
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    int out[2];
    if (::pipe(out) != 0) {
        return result;
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(out[1], 1);
        ::close(out[0]);
        ::close(out[1]);
        const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (err >= 0) {
            ::dup2(err, 2);
            ::close(err);
        }
        for (const auto& [name, value] : env) {
            ::setenv(name.c_str(), value.c_str(), 1);
        }
        const rlimit limit{limitBytes, limitBytes};
        if (::setrlimit(RLIMIT_AS, &limit) != 0) {
            ::_exit(126);
        }
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    ::close(out[1]);
    if (pid < 0) {
        ::close(out[0]);
        return result;
    }
    LineDigest digest;
    std::vector<char> buffer(1 << 16);
    for (;;) {
        const ssize_t got = ::read(out[0], buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        digest.Add(buffer.data(), static_cast<std::size_t>(got), result);
    }
    ::close(out[0]);
    int status = 0;
    rusage usage{};
    if (::wait4(pid, &status, 0, &usage) == pid) {
        result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        result.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
        result.peakKiB = usage.ru_maxrss;
    }
    result.err = ReadFile(errPath);
    return result;
}

bool PassesUnderFileSizeLimit(std::uint64_t limitBytes, const std::function<bool()>& check) {
    const pid_t child = ::fork();
    if (child < 0) {
        return false;
    }
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{limitBytes, limitBytes};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ::_exit(check() ? 0 : 1);
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child) {
        return false;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace qx7::test
