#pragma once
// Path separator of the platform the program runs on; the path rules take it as a value so
// that both conventions stay testable everywhere.

#include <filesystem>
#include <string>
#include <string_view>

namespace qx7 {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
// Windows takes either separator in a path; the one it writes is kPathSeparator.
inline constexpr std::string_view kPathSeparators = "\\/";
#else
inline constexpr char kPathSeparator = '/';
inline constexpr std::string_view kPathSeparators = "/";
#endif

// Where the file name begins after the last separator of the platform; npos when none.
inline std::size_t LastPathSeparator(std::string_view path) {
    return path.find_last_of(kPathSeparators);
}

// Paths in core are UTF-8; std::filesystem takes a narrow string in the ANSI code page on
// Windows, so every conversion goes through these two.
inline std::filesystem::path PathFromUtf8(std::string_view utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}
inline std::string Utf8FromPath(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

}  // namespace qx7
