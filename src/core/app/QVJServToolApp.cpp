#include "core/app/QVJServToolApp.h"

namespace qx7 {

CQVJServToolApp::CQVJServToolApp(IMessageSink& sink, char pathSeparator)
    : separator_(pathSeparator), messages_(kEnglish, sink) {}

void CQVJServToolApp::Start(std::string_view executablePath, std::string_view commandLine,
                            LanguageId systemLanguage) {
    ApplyStartup(executablePath,
                 DecideStartup(executablePath, commandLine, systemLanguage, separator_));
}

void CQVJServToolApp::Start(std::string_view executablePath,
                            const std::vector<std::string>& arguments, LanguageId systemLanguage) {
    ApplyStartup(executablePath,
                 DecideStartup(executablePath, arguments, systemLanguage, separator_));
}

void CQVJServToolApp::ApplyStartup(std::string_view executablePath,
                                   const StartupDecision& decision) {
    demoMode_ = false;
    operation_ = 0;
    executablePath_ = executablePath;
    demoMode_ = decision.demoMode;
    language_ = decision.language;
    messages_.SetLanguage(language_);
}

int CQVJServToolApp::SetCurrentPage(int page) {
    const int before = currentPage_;
    currentPage_ = page;
    return before;
}

int CQVJServToolApp::GoNext(int page) {
    if (page == -1) {
        return -1;
    }
    history_.push_back(page);
    return page;
}

int CQVJServToolApp::GoBack() {
    if (history_.size() < 2) {
        return -1;
    }
    history_.pop_back();
    return history_.back();
}

bool CQVJServToolApp::CutAfterLastSeparator(std::string& path) const {
    const std::size_t last = path.rfind(separator_);
    if (last == std::string::npos || last == 0) {
        return false;
    }
    path.resize(last + 1);
    return true;
}

std::string CQVJServToolApp::GetProgramDirectory() {
    if (!programDirectory_.empty()) {
        return programDirectory_;
    }
    std::string path = executablePath_;
    if (!CutAfterLastSeparator(path)) {
        messages_.ShowMessage(kMsgInternalError, kCodeProgramDirectory);
        return path;
    }
    programDirectory_ = path;
    return programDirectory_;
}

std::string CQVJServToolApp::GetDataDirectory() {
    if (!dataDirectory_.empty()) {
        return dataDirectory_;
    }
    std::string path = executablePath_;
    if (!CutAfterLastSeparator(path)) {
        messages_.ShowMessage(kMsgInternalError, kCodeDataDirectory);
        return path;
    }
    dataDirectory_ = path + "Data" + separator_;
    return dataDirectory_;
}

}  // namespace qx7
