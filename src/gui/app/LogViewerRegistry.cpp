#include "gui/app/LogViewerRegistry.h"

namespace qx7::gui {

LogViewerRegistry& LogViewerRegistry::Global() {
    static LogViewerRegistry registry;
    return registry;
}

bool LogViewerRegistry::Add(int buttonNumber, LogViewerMaker make) {
    return makers_.emplace(buttonNumber, std::move(make)).second;
}

const LogViewerMaker* LogViewerRegistry::Find(int buttonNumber) const {
    const auto found = makers_.find(buttonNumber);
    return found == makers_.end() ? nullptr : &found->second;
}

void ShowLogViewer(QDialog* viewer) {
    if (viewer == nullptr) {
        return;
    }
    viewer->setAttribute(Qt::WA_DeleteOnClose);
    // Window-modal and not exec(): the wizard cannot be used meanwhile, and no nested event
    // loop waits inside the button's handler.
    viewer->setWindowModality(Qt::WindowModal);
    viewer->open();
}

}  // namespace qx7::gui
