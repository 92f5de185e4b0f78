#include "core/app/LogFileChoice.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "core/app/Messages.h"
#include "core/app/PageFlow.h"
#include "core/app/QVJServToolApp.h"
#include "core/log/QXLogFile.h"

namespace qx7 {

bool IsOpenableLogFile(const std::string& path) {
    // The kind is asked first: opening a pipe for reading would wait for a writer.
    std::error_code error;
    if (!std::filesystem::is_regular_file(std::filesystem::path(path), error)) {
        return false;
    }
    std::FILE* file = std::fopen(path.c_str(), "rb");
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
    return GoToNextPage(app, kPageLogFile);
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

LogViewerButtons ChooseLogViewerButtons(const std::string& logFileName, const Messages& messages,
                                        const ILocalTime& clock) {
    std::string header;
    int form = 0;
    {
        // Closing the reader removes any temporary file the decompression made.
        CQXLogFile reader(messages, clock);
        form = reader.ReadHeaderText(logFileName, header);
    }
    const bool show = form != 0;
    return {show, show};
}

}  // namespace qx7
