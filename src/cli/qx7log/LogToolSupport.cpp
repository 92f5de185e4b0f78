#include "cli/qx7log/LogToolSupport.h"

#include <sys/stat.h>

#include <cerrno>
#include <csignal>
#include <cstring>

#include "cli/common/StandardOutput.h"
#include "cli/common/StderrMessageSink.h"
#include "core/base/SignalCleanup.h"
#include "core/log/LogDecompress.h"
#include "core/log/LogFileAccess.h"
#include "platform/posix/IconvTextEncoder.h"

namespace qx7::cli {
namespace {

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

std::string OutputRefusal(const std::string& path, const std::string& inputPath) {
    struct stat target {};
    if (::lstat(path.c_str(), &target) != 0) {
        return std::string();
    }
    struct stat input {};
    struct stat followed {};
    const bool sameFile = ::stat(inputPath.c_str(), &input) == 0 &&
                          ::stat(path.c_str(), &followed) == 0 && input.st_dev == followed.st_dev &&
                          input.st_ino == followed.st_ino;
    if (sameFile || path == inputPath) {
        return "is the log being read; choose another output";
    }
    if (S_ISDIR(target.st_mode)) {
        return "is a folder";
    }
    if (!S_ISREG(target.st_mode) && !S_ISLNK(target.st_mode)) {
        return "is not a regular file (a device, pipe or socket); only a regular file or a "
               "link is replaced";
    }
    return std::string();
}

bool ToolOutput::Open(const std::string& path, const std::string& inputPath, bool force,
                      std::string& cause, bool& alreadyExists) {
    alreadyExists = false;
    if (path == "-") {
        toStdout_ = true;
        return true;
    }
    cause = OutputRefusal(path, inputPath);
    if (!cause.empty()) {
        return false;
    }
    const int error = file_.Open(path, force ? ExistingTarget::kReplace : ExistingTarget::kKeep);
    if (error == EEXIST) {
        alreadyExists = true;
        return false;
    }
    if (error != 0) {
        cause = "cannot create: " + ErrnoText(error);
        return false;
    }
    return true;
}

std::FILE* ToolOutput::Stream() const { return toStdout_ ? stdout : file_.Stream(); }

bool ToolOutput::Commit() {
    return toStdout_ ? FlushStandardOutput() : file_.Commit();
}

void ToolOutput::Abandon() {
    if (toStdout_) {
        FlushStandardOutput();
        return;
    }
    file_.Abandon();
}

int ToolOutput::Error() const { return toStdout_ ? 0 : file_.Error(); }

std::unique_ptr<ITextEncoder> EncoderFor(const std::string& name, bool& known) {
    auto encoder = MakeTextEncoder(name);
    known = encoder != nullptr;
    if (dynamic_cast<Utf8PassThrough*>(encoder.get()) != nullptr) {
        return nullptr;  // UTF-8 needs no conversion
    }
    return encoder;
}

void CatchInterrupts() {
    RemoveTemporariesOnEndSignals();
    std::signal(SIGPIPE, SIG_IGN);
}

}  // namespace qx7::cli
