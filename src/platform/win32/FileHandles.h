#pragma once
// Windows file handles and the C runtime's streams over them, and letters for new file names;
// shared by the file implementations in files/.

#include <windows.h>

#include <cstdio>
#include <string>

namespace qx7::win32 {

// Hands a handle to the C runtime as a binary stream (flags: _O_RDONLY, _O_WRONLY or _O_RDWR;
// mode as for fopen). On failure the handle is closed and errno says why.
std::FILE* StreamOfHandle(HANDLE handle, int flags, const char* mode);
// The handle under a stream; INVALID_HANDLE_VALUE for none.
HANDLE HandleOfStream(std::FILE* stream);

// Twelve letters and digits from the process, the time and a counter: a name nobody else picks.
// attempt varies them when a name was taken.
std::string UniqueLetters(int attempt);

}  // namespace qx7::win32
