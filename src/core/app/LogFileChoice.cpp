#include "core/app/LogFileChoice.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "core/text/Messages.h"
#include "core/app/PageFlow.h"
#include "core/app/QVJServToolApp.h"
#include "core/base/FileSystem.h"
#include "core/base/PathText.h"
#include "core/log/QXLogFile.h"

namespace qx7 {
namespace {

bool HasLogSuffix(const std::filesystem::path& name) {
    std::string suffix = Utf8FromPath(name.extension());
    std::transform(suffix.begin(), suffix.end(), suffix.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return suffix == ".log" || suffix == ".zlg";
}

// Stops at the first log; a folder that cannot be read holds none.
bool FolderHoldsLog(const std::string& folder) {
    namespace fs = std::filesystem;
    std::error_code error;
    fs::directory_iterator entry(PathFromUtf8(folder), error);
    for (; !error && entry != fs::directory_iterator(); entry.increment(error)) {
        std::error_code kindError;
        if (HasLogSuffix(entry->path().filename()) && entry->is_regular_file(kindError)) {
            return true;
        }
    }
    return false;
}

}  // namespace

bool IsOpenableLogFile(const std::string& path) {
    // Never waits: a pipe put in the log's place is refused, not opened.
    bool notRegular = false;
    std::FILE* file = OpenRegularFileForReading(path, notRegular);
    if (file == nullptr) {
        return false;
    }
    std::fclose(file);
    return true;
}

int LogFileNext(CQVJServToolApp& app, const std::string& editedName) {
    app.SetLogFileName(editedName);
    const Messages& messages = app.GetMessages();
    if (editedName.empty()) {
        messages.ShowMessage(kMsgEnterLogFileName, kCodeLogFileNameEmpty);
        return app.GoNext(kStayOnPage);
    }
    if (!IsOpenableLogFile(editedName)) {
        messages.ShowMessage(kMsgOpenFileFailed, kCodeLogFileNotOpened);
        return app.GoNext(kStayOnPage);
    }
    return GoToNextPage(app, PageId::kLogFileChoice);
}

int StartOnLogFile(CQVJServToolApp& app, const std::string& path) {
    app.ClearHistory();
    app.SetOperation(kOperationNone);
    app.GoNext(PageNumber(PageId::kOperationMenu));
    app.GoNext(PageNumber(PageId::kLogFileChoice));
    const int page = LogFileNext(app, path);
    return page == -1 ? PageNumber(PageId::kLogFileChoice) : page;
}

bool TakeDroppedLogFile(const std::vector<DroppedItem>& items, const Messages& messages,
                        std::string& editedName) {
    if (items.size() != 1 || !items.front().localFile || items.front().path.empty()) {
        messages.ShowMessage(kMsgDropOneFile, kCodeDropNotOneFile);
        return false;
    }
    editedName = items.front().path;
    return true;
}

LogViewerButtons ChooseLogViewerButtons(const std::string& logFileName, const ILocalTime& clock) {
    std::string header;
    int form = 0;
    {
        // Closing the reader removes any temporary file the decompression made.
        CQXLogFile reader(clock);
        form = reader.ReadHeaderText(logFileName, header);
    }
    const bool show = form != 0;
    return {show, show};
}

std::string LogBrowseStart(const std::string& editedName, const std::string& programDirectory,
                           const std::string& homeDirectory) {
    namespace fs = std::filesystem;
    const fs::path name = PathFromUtf8(editedName);
    if (name.is_absolute()) {
        return editedName;
    }
    const bool home = !homeDirectory.empty() && !FolderHoldsLog(programDirectory);
    const fs::path folder = PathFromUtf8(home ? homeDirectory : programDirectory);
    return Utf8FromPath(editedName.empty() ? folder : folder / name);
}

}  // namespace qx7
