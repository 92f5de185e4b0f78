#include "cli/qx7log/LogToolSupport.h"

#include <cerrno>
#include <csignal>

#include "cli/common/StandardOutput.h"
#include "cli/common/StderrMessageSink.h"
#include "core/text/StringTable.h"
#include "core/base/FileSystem.h"
#include "core/base/SignalCleanup.h"
#include "platform/TextEncoding.h"

namespace qx7::cli {
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
    HoldClosedPipeSignal();
#ifdef SIGXFSZ
    // Past a file-size limit (ulimit -f) a write fails with EFBIG, reported with its cause,
    // instead of the signal ending the program without a word.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
}

void ReportLogOpenFailure(const std::string& prefix, const std::string& log, int answer, int error,
                          const std::string& cause) {
    if (answer == -1) {
        const std::string because = error != 0 ? ": " + SystemErrorText(error) : std::string();
        std::fprintf(stderr, "%s: cannot open %s%s\n", prefix.c_str(), log.c_str(),
                     because.c_str());
        return;
    }
    std::fprintf(stderr, "%s: %s: %s\n", prefix.c_str(), log.c_str(), cause.c_str());
}

void ReportLogOpenFailure(const std::string& prefix, const std::string& log,
                          const LogOpenFailure& failure) {
    ReportLogOpenFailure(prefix, log, failure.answer, failure.error, failure.cause);
}

std::string OutputExistsText(LanguageId language, const std::string& path) {
    std::string text;
    if (LoadLocalString(language, kStringOutputExists, text) != 0 || text.empty()) {
        text = "%1 exists; use --force to replace it";
    }
    const std::size_t at = text.find("%1");
    if (at != std::string::npos) {
        text.replace(at, 2, path);
    }
    return text;
}

void ReportOutputExists(const std::string& prefix, LanguageId language, const std::string& path) {
    std::fprintf(stderr, "%s: %s\n", prefix.c_str(), OutputExistsText(language, path).c_str());
}

bool IsFolderNotLog(const std::string& log, const std::string& prefix) {
    if (LookThroughPath(log) != PathKind::kFolder) {
        return false;
    }
    std::fprintf(stderr, "%s: %s: is a folder, not a log file\n", prefix.c_str(), log.c_str());
    return true;
}

}  // namespace qx7::cli
