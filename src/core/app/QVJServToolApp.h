#pragma once
// The application object's state shared by every wizard page: the printer session (the chosen
// printer and the way to it), operation code, page history, log file name, demo mode, language,
// and the program and data directories.
// The window and the start-up of the wizard live in the GUI; this is the part with the rules.

#include <string>
#include <string_view>
#include <vector>

#include "core/text/Language.h"
#include "core/text/Messages.h"
#include "core/app/StartupDecision.h"
#include "core/base/PathText.h"
#include "core/comm/PrinterSession.h"

namespace qx7 {

inline constexpr int kCodeProgramDirectory = -276;
inline constexpr int kCodeDataDirectory = -270;

class CQVJServToolApp {
public:
    explicit CQVJServToolApp(IMessageSink& sink, char pathSeparator = kPathSeparator);

    // Start-up decisions: demo mode and operation code reset, the executable path stored, demo
    // mode and language decided from it, the command line and the system language.
    void Start(std::string_view executablePath, std::string_view commandLine,
               LanguageId systemLanguage);
    // The same with the arguments after the program path, each as the system passed it.
    void Start(std::string_view executablePath, const std::vector<std::string>& arguments,
               LanguageId systemLanguage);

    bool IsDemoMode() const { return demoMode_; }
    LanguageId GetLanguage() const { return language_; }
    const std::string& GetExecutablePath() const { return executablePath_; }

    void SetOperation(int code) { operation_ = code; }
    int GetOperation() const { return operation_; }

    void SetLogFileName(std::string_view name) { logFileName_ = name; }
    const std::string& GetLogFileName() const { return logFileName_; }

    // Records the page on show; answers the page recorded before.
    int SetCurrentPage(int page);
    int GetCurrentPage() const { return currentPage_; }

    // -1 changes nothing and answers -1; any other page is appended to the history and answered.
    int GoNext(int page);
    // The entry before the last one, removing the last; -1 when fewer than two entries.
    int GoBack();
    void ClearHistory() { history_.clear(); }
    const std::vector<int>& History() const { return history_; }

    // The executable's folder with its trailing separator. Without a usable separator: message
    // 242 with -276, and the full path is answered.
    std::string GetProgramDirectory();
    // The program directory followed by "Data" and the separator; the failure code is -270.
    std::string GetDataDirectory();

    const Messages& GetMessages() const { return messages_; }

    // The printer the pages send their steps to; whether a step is sent at all (not in demo
    // mode) and what is said when it fails are decided by the pages' rules.
    PrinterSession& Printer() { return printer_; }
    const PrinterSession& Printer() const { return printer_; }

private:
    void ApplyStartup(std::string_view executablePath, const StartupDecision& decision);
    // Cuts the path right after its last separator; false when it has none after the first
    // character.
    bool CutAfterLastSeparator(std::string& path) const;

    char separator_;
    Messages messages_;
    std::string programDirectory_;
    std::string logFileName_;
    int operation_ = 0;
    bool demoMode_ = false;
    std::vector<int> history_;
    int currentPage_ = 0;
    std::string dataDirectory_;
    std::string executablePath_;
    LanguageId language_ = kEnglish;
    PrinterSession printer_;
};

}  // namespace qx7
