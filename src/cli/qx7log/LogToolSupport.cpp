#include "cli/qx7log/LogToolSupport.h"

#include <cerrno>
#include <csignal>

#include "cli/common/StandardOutput.h"
#include "cli/common/StderrMessageSink.h"
#include "core/base/FileSystem.h"
#include "core/base/SignalCleanup.h"
#include "platform/TextEncoding.h"

namespace qx7::cli {
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
        cause = CannotCreateCause(error);
        return false;
    }
    return true;
}

std::FILE* ToolOutput::Stream() const {
    return toStdout_ ? stdout : file_.Stream();
}

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

int ToolOutput::Error() const {
    return toStdout_ ? 0 : file_.Error();
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
    RemoveTemporariesOnEndSignals();
#ifdef SIGPIPE
    std::signal(SIGPIPE, SIG_IGN);
#endif
}

bool IsFolderNotLog(const std::string& log, const std::string& prefix) {
    if (LookThroughPath(log) != PathKind::kFolder) {
        return false;
    }
    std::fprintf(stderr, "%s: %s: is a folder, not a log file\n", prefix.c_str(), log.c_str());
    return true;
}

}  // namespace qx7::cli
