#include "core/export/ExportOutput.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "core/app/StringTable.h"

namespace qx7 {

std::string OverwriteQuestion(LanguageId language, const std::string& path) {
    std::string question;
    LoadLocalString(language, kMsgAlreadyExists, question);
    return path + "\n" + question;
}

bool OutputPathExists(const std::string& path) {
    struct stat target {};
    return ::lstat(path.c_str(), &target) == 0;
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

std::string CannotCreateCause(int error) {
    return std::string("cannot create: ") + std::strerror(error);
}

std::string CannotWriteCause(int error) {
    return std::string("cannot write: ") + std::strerror(error != 0 ? error : EIO);
}

std::string ReadFailedCause(int entriesRead) {
    return "read error after " + std::to_string(entriesRead) + " entries";
}

}  // namespace qx7
