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
