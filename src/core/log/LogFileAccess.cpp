#include "core/log/LogFileAccess.h"

#include "core/base/FileSystem.h"

namespace qx7 {

std::FILE* OpenLogFile(const std::string& path, int& answer) {
    bool notRegular = false;
    std::FILE* file = OpenRegularFileForReading(path, notRegular);
    if (file == nullptr) {
        answer = notRegular ? kLogNotRegularFile : -1;
        return nullptr;
    }
    answer = 0;
    return file;
}

}  // namespace qx7
