#include "cli/common/Utf8Arguments.h"

#ifdef _WIN32
#include <windows.h>

#include <shellapi.h>

#include "platform/win32/WideText.h"
#endif

namespace qx7::cli {

Utf8Arguments::Utf8Arguments(int argc, char** argv) {
#ifdef _WIN32
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (wide != nullptr) {
        for (int i = 0; i < count; ++i) {
            storage_.push_back(win32::Utf8FromWide(wide[i]));
        }
        ::LocalFree(wide);
    }
#endif
    if (storage_.empty()) {
        for (int i = 0; i < argc; ++i) {
            storage_.emplace_back(argv[i]);
        }
    }
    for (std::string& argument : storage_) {
        pointers_.push_back(argument.data());
    }
    pointers_.push_back(nullptr);
}

}  // namespace qx7::cli
