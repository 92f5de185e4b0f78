#include "cli/qx7log/LogToolSupport.h"

#include <sys/stat.h>

#include <cerrno>
#include <csignal>
#include <cstring>

#include "cli/common/StderrMessageSink.h"
#include "core/log/LogDecompress.h"
#include "core/log/LogFileAccess.h"
#include "platform/posix/IconvTextEncoder.h"

namespace qx7::cli {
namespace {

volatile std::sig_atomic_t gInterrupted = 0;

extern "C" void OnInterrupt(int) { gInterrupted = 1; }

std::string ErrnoText(int error) { return std::strerror(error); }

}  // namespace

std::string OpenFailureCause(int answer) {
    if (answer == -1) {
        const int error = errno;
        return "cannot open: " + ErrnoText(error != 0 ? error : ENOENT);
    }
    if (answer == kLogNotRegularFile) {
        return "is not a regular file";
    }
    return DecompressCause(answer) + " (" + std::to_string(answer) + ")";
}

std::string DecompressCause(int answer) {
    const std::string folder = TemporaryFolder();
    switch (answer) {
        case -2: return "cannot create a temporary file in " + folder;
        case -3: return "cannot read the compressed data";
        case -4: case -6: return "cannot write the temporary file in " + folder;
        case -5: case -7: return "the compressed data is damaged";
        case -8: return "cannot create the decompressed temporary file";
        case -9: return "cannot read the compressed data";
        default: return "cannot decompress";
    }
}

std::string CollectingMessageSink::OneLineText() const {
    std::string text;
    for (const std::string& message : shown) {
        if (!text.empty()) {
            text += "; ";
        }
        text += OneLine(message);
    }
    return text;
}

bool OpenLogEntries(CQXLogFile& reader, const std::string& path,
                    const CollectingMessageSink& readerMessages, std::string& cause) {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
        cause = "is a folder, not a log file";
        return false;
    }
    const int kind = reader.Open(path);
    bool opened = false;
    if (kind == 1) {
        opened = reader.OpenLogData();
    } else if (kind == 0) {
        // A bare log is log data from its first byte to its last, and that has a bound.
        if (reader.FileSize() >= kMaxLogDataBytes) {
            cause = "is too large to be a log (over " + std::to_string(kMaxLogDataBytes >> 30) +
                    " GiB)";
            return false;
        }
        opened = reader.OpenRawLog(path);
    } else {
        cause = OpenFailureCause(kind);
        return false;
    }
    if (!opened) {
        cause = readerMessages.shown.empty() ? std::string("holds no log entries")
                                             : readerMessages.OneLineText();
        return false;
    }
    return true;
}

bool ToolOutput::Open(const std::string& path, const std::string& inputPath, bool force,
                      std::string& cause, bool& alreadyExists) {
    alreadyExists = false;
    if (path == "-") {
        toStdout_ = true;
        return true;
    }
    struct stat target {};
    if (::lstat(path.c_str(), &target) == 0) {
        struct stat input {};
        struct stat followed {};
        const bool sameFile = ::stat(inputPath.c_str(), &input) == 0 &&
                              ::stat(path.c_str(), &followed) == 0 &&
                              input.st_dev == followed.st_dev && input.st_ino == followed.st_ino;
        if (sameFile || path == inputPath) {
            cause = "is the log being read; choose another output";
            return false;
        }
        if (S_ISDIR(target.st_mode)) {
            cause = "is a folder";
            return false;
        }
        if (!force) {
            alreadyExists = true;
            return false;
        }
    }
    const int error = file_.Open(path);
    if (error != 0) {
        cause = "cannot create: " + ErrnoText(error);
        return false;
    }
    return true;
}

std::FILE* ToolOutput::Stream() const { return toStdout_ ? stdout : file_.Stream(); }

bool ToolOutput::Commit() {
    if (toStdout_) {
        return std::fflush(stdout) == 0 && std::ferror(stdout) == 0;
    }
    return file_.Commit();
}

void ToolOutput::Abandon() {
    if (toStdout_) {
        std::fflush(stdout);
        return;
    }
    file_.Abandon();
}

std::unique_ptr<ITextEncoder> EncoderFor(const std::string& name, bool& known) {
    auto encoder = MakeTextEncoder(name);
    known = encoder != nullptr;
    if (dynamic_cast<Utf8PassThrough*>(encoder.get()) != nullptr) {
        return nullptr;  // UTF-8 needs no conversion
    }
    return encoder;
}

void CatchInterrupts() {
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        ::sigaction(signal, &action, nullptr);
    }
    // A closed pipe becomes a write error that the command cleans up after, not a sudden end.
    std::signal(SIGPIPE, SIG_IGN);
}

bool Interrupted() { return gInterrupted != 0; }

}  // namespace qx7::cli
