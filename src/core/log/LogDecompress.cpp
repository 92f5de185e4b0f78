#include "core/log/LogDecompress.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <cerrno>
#include <vector>

namespace qx7 {

std::FILE* CreateFreshFile(const std::string& path) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                              0600);
        if (fd >= 0) {
            std::FILE* file = ::fdopen(fd, "wb");
            if (file == nullptr) {
                ::close(fd);
                ::unlink(path.c_str());
            }
            return file;
        }
        if (errno != EEXIST || attempt > 0) {
            return nullptr;
        }
        // Only a plain file of our own (left by an earlier crash) may go.
        struct stat info{};
        if (::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) ||
            info.st_uid != ::geteuid() || ::unlink(path.c_str()) != 0) {
            return nullptr;
        }
    }
    return nullptr;
}

int InflateFile(const std::string& gzipPath, const std::string& outputPath) {
    gzFile in = gzopen(gzipPath.c_str(), "rb");
    if (in == nullptr) {
        return -9;
    }
    std::FILE* out = CreateFreshFile(outputPath);
    int result = 0;
    std::uint64_t total = 0;
    if (out == nullptr) {
        result = -8;
    } else {
        std::vector<unsigned char> chunk(16384);
        for (;;) {
            const int count = gzread(in, chunk.data(), static_cast<unsigned>(chunk.size()));
            if (count < 0) {
                result = -5;
                break;
            }
            if (count == 0) {
                break;
            }
            // Bytes that are not gzip pass through gzread unchanged: no log comes that way.
            if (gzdirect(in) != 0) {
                result = -5;
                break;
            }
            total += static_cast<std::uint64_t>(count);
            if (total > kMaxInflatedBytes) {
                result = -5;
                break;
            }
            if (std::fwrite(chunk.data(), 1, static_cast<std::size_t>(count), out) !=
                static_cast<std::size_t>(count)) {
                result = -6;
                break;
            }
        }
        // A stream cut short ends like a normal one in gzread; only the error state tells.
        int errorNumber = Z_OK;
        gzerror(in, &errorNumber);
        if (result == 0 && errorNumber != Z_OK) {
            result = -5;
        }
        // An empty stream holds no container either.
        if (result == 0 && total == 0) {
            result = -5;
        }
        if (std::fclose(out) != 0 && result == 0) {
            result = -6;
        }
    }
    if (gzclose(in) != Z_OK) {
        result = -7;
    }
    if (result != 0 && out != nullptr) {
        ::unlink(outputPath.c_str());
    }
    return result;
}

int DecompressContainer(std::FILE* source, const std::string& fileName) {
    const std::string tjgPath = fileName + ".tjg";
    std::FILE* tjg = CreateFreshFile(tjgPath);
    if (tjg == nullptr) {
        return -2;
    }
    int result = 0;
    unsigned char chunk[1000];
    for (;;) {
        const std::size_t count = std::fread(chunk, 1, sizeof chunk, source);
        if (count == 0) {
            if (std::ferror(source) != 0) {
                result = -3;
            }
            break;
        }
        if (std::fwrite(chunk, 1, count, tjg) != count) {
            result = -4;
            break;
        }
    }
    if (std::fclose(tjg) != 0 && result == 0) {
        result = -4;
    }
    if (result == 0) {
        result = InflateFile(tjgPath, fileName + ".qvl");
    }
    ::unlink(tjgPath.c_str());
    return result;
}

}  // namespace qx7
