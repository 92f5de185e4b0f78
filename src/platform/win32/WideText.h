#pragma once
// UTF-8 (core's text) to and from UTF-16 (the wide-character Windows calls). Only for the
// Windows implementations in this folder.

#include <string>
#include <string_view>

namespace qx7::win32 {

// Invalid UTF-8 becomes U+FFFD; an empty answer for empty input.
std::wstring WideFromUtf8(std::string_view utf8);
// Unpaired surrogates become U+FFFD.
std::string Utf8FromWide(std::wstring_view wide);

// The same without replacing anything, for names that must reach Windows as they are (printers,
// the mutex): false for text that is not well-formed.
bool StrictWideFromUtf8(std::string_view utf8, std::wstring& wide);
bool StrictUtf8FromWide(const wchar_t* wide, std::string& utf8);

// The errno value closest to a Windows error code (GetLastError()), for callers that report
// errno; EIO for anything without a closer one.
int ErrnoFromWin32Error(unsigned long error);

}  // namespace qx7::win32
