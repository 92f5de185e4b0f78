#include "core/output/ExportOutput.h"

#include <cerrno>
#include <cstring>

#include "core/text/StringTable.h"
#include "core/base/FileSystem.h"

namespace qx7 {

std::string OverwriteQuestion(LanguageId language, const std::string& path) {
    std::string question;
    LoadLocalString(language, kMsgAlreadyExists, question);
    return path + "\n" + question;
}

bool OutputPathExists(const std::string& path) {
    return LookAtPath(path) != PathKind::kMissing;
}

std::string SameAsInputRefusal(const std::string& path, const std::string& inputPath) {
    if (SameFile(inputPath, path) || path == inputPath) {
        return "is the log being read; choose another output";
    }
    return std::string();
}

std::string OutputRefusal(const std::string& path, const std::string& inputPath) {
    const PathKind target = LookAtPath(path);
    if (target == PathKind::kMissing) {
        return std::string();
    }
    if (std::string refusal = SameAsInputRefusal(path, inputPath); !refusal.empty()) {
        return refusal;
    }
    if (target == PathKind::kFolder) {
        return "is a folder";
    }
    if (target != PathKind::kRegularFile && target != PathKind::kSymbolicLink) {
        return "is not a regular file (a device, pipe or socket); only a regular file or a "
               "link is replaced";
    }
    return std::string();
}

std::string CannotCreateCause(int error) {
    return std::string("cannot create: ") + std::strerror(error);
}

bool IsDiskFull(int error) {
#ifdef EDQUOT
    if (error == EDQUOT) {
        return true;
    }
#endif
    return error == ENOSPC;
}

std::string CannotWriteCause(int error) {
    return std::string("cannot write: ") + std::strerror(error != 0 ? error : EIO);
}

std::string ReadFailedCause(int entriesRead) {
    return "read error after " + std::to_string(entriesRead) + " entries";
}

}  // namespace qx7
