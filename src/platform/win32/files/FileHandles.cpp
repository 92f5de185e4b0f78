#include "platform/win32/FileHandles.h"

#include <fcntl.h>
#include <io.h>

#include <atomic>
#include <cerrno>
#include <cstdint>

namespace qx7::win32 {

std::FILE* StreamOfHandle(HANDLE handle, int flags, const char* mode) {
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), flags | _O_BINARY);
    if (fd < 0) {
        ::CloseHandle(handle);
        errno = EMFILE;
        return nullptr;
    }
    std::FILE* stream = ::_fdopen(fd, mode);
    if (stream == nullptr) {
        const int error = errno;
        ::_close(fd);
        errno = error;
    }
    return stream;
}

HANDLE HandleOfStream(std::FILE* stream) {
    if (stream == nullptr) {
        return INVALID_HANDLE_VALUE;
    }
    return reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(stream)));
}

std::string UniqueLetters(int attempt) {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    static std::atomic<unsigned long long> counter{0};
    LARGE_INTEGER ticks{};
    ::QueryPerformanceCounter(&ticks);
    unsigned long long bits = static_cast<unsigned long long>(ticks.QuadPart) ^
                              (static_cast<unsigned long long>(::GetCurrentProcessId()) << 40) ^
                              counter.fetch_add(0x9E3779B97F4A7C15ULL) ^
                              static_cast<unsigned long long>(attempt);
    std::string letters;
    for (int i = 0; i < 12; ++i) {
        letters += kLetters[bits % 36];
        bits /= 36;
        bits ^= static_cast<unsigned long long>(i + 1) * 0x2545F4914F6CDD1DULL;
    }
    return letters;
}

}  // namespace qx7::win32
