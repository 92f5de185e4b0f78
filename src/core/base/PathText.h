#pragma once
// Path separator of the platform the program runs on; the path rules take it as a value so
// that both conventions stay testable everywhere.

namespace qx7 {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

}  // namespace qx7
