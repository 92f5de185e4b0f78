#include "core/app/SecondStart.h"

#include "core/app/PageFlow.h"
#include "core/text/StringTable.h"

#include <cstdint>

namespace qx7 {
namespace {

constexpr std::string_view kMagic = "QX7H";
constexpr char kVersion = 1;
constexpr char kKindFront = 'A';
constexpr char kKindLog = 'L';

}  // namespace

std::string ProgramName(std::string_view startPath, char separator) {
    const std::size_t last = startPath.rfind(separator);
    return std::string(last == std::string_view::npos ? startPath : startPath.substr(last + 1));
}

std::string AlreadyStartedText(LanguageId language, std::string_view programName) {
    std::string text;
    if (LoadLocalString(language, kMsgAlreadyStarted, text) != 0 || programName.empty()) {
        return text;
    }
    for (std::size_t at = text.find(kWindowsProgramName); at != std::string::npos;
         at = text.find(kWindowsProgramName, at + programName.size())) {
        text.replace(at, kWindowsProgramName.size(), programName);
    }
    return text;
}

std::string EncodeHandOver(const HandOverRequest& request) {
    std::string bytes(kMagic);
    bytes += kVersion;
    bytes += request.logPath.empty() ? kKindFront : kKindLog;
    const auto size = static_cast<std::uint32_t>(request.logPath.size());
    for (int shift = 24; shift >= 0; shift -= 8) {
        bytes += static_cast<char>((size >> shift) & 0xFFu);
    }
    return bytes + request.logPath;
}

std::string HandedLogPath(const std::string& path, const std::string& currentFolder) {
    if (path.empty() || path.front() == '/' || currentFolder.empty()) {
        return path;
    }
    return currentFolder.back() == '/' ? currentFolder + path : currentFolder + '/' + path;
}

HandOverParse ParseHandOver(std::string_view bytes, HandOverRequest& request) {
    // Each byte is checked as soon as it arrives, so a wrong peer is dropped early.
    const std::string_view magic = bytes.substr(0, kMagic.size());
    if (!kMagic.starts_with(magic)) {
        return HandOverParse::kInvalid;
    }
    if (bytes.size() > 4 && bytes[4] != kVersion) {
        return HandOverParse::kInvalid;
    }
    if (bytes.size() > 5 && bytes[5] != kKindFront && bytes[5] != kKindLog) {
        return HandOverParse::kInvalid;
    }
    if (bytes.size() < kHandOverHeaderSize) {
        return HandOverParse::kIncomplete;
    }
    std::uint32_t size = 0;
    for (std::size_t i = 6; i < kHandOverHeaderSize; ++i) {
        size = (size << 8) | static_cast<unsigned char>(bytes[i]);
    }
    const bool log = bytes[5] == kKindLog;
    if (size > kHandOverMaxPath || (log != (size > 0))) {
        return HandOverParse::kInvalid;
    }
    const std::size_t whole = kHandOverHeaderSize + size;
    if (bytes.size() > whole) {
        return HandOverParse::kInvalid;
    }
    if (bytes.size() < whole) {
        return HandOverParse::kIncomplete;
    }
    const std::string_view path = bytes.substr(kHandOverHeaderSize);
    if (path.find('\0') != std::string_view::npos) {
        return HandOverParse::kInvalid;
    }
    request.logPath = std::string(path);
    return HandOverParse::kComplete;
}

HandedLogPlace PlaceForHandedLog(const RunningWindowState& state) {
    const std::optional<PageId> page = PageFromNumber(state.currentPage);
    const bool quietPage = page && (IsMenuPage(*page) || *page == PageId::kLogFileChoice ||
                                    *page == PageId::kLogViewers);
    return state.wizardShown && quietPage && !state.busy && !state.dialogOpen
               ? HandedLogPlace::kLogPage
               : HandedLogPlace::kEntryBrowser;
}

}  // namespace qx7
