#include "core/log/LogFileAccess.h"

#include <utility>

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

LogSource LogSource::File(std::string path) {
    LogSource source;
    source.name_ = std::move(path);
    return source;
}

LogSource LogSource::Memory(std::span<const unsigned char> bytes, std::string name) {
    LogSource source;
    source.name_ = std::move(name);
    source.bytes_ = std::make_shared<const std::vector<unsigned char>>(bytes.begin(), bytes.end());
    return source;
}

std::FILE* LogSource::Open(int& answer) const {
    if (bytes_ == nullptr) {
        return OpenLogFile(name_, answer);
    }
    std::FILE* stream = OpenMemoryStream(bytes_);
    answer = stream != nullptr ? 0 : -1;
    return stream;
}

}  // namespace qx7
