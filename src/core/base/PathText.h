#pragma once
// Path separator of the platform the program runs on; the path rules take it as a value so
// that both conventions stay testable everywhere.

#include <filesystem>
#include <string>
#include <string_view>

namespace qx7 {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

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
