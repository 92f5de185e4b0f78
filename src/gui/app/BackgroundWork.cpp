#include "gui/app/BackgroundWork.h"

namespace qx7::gui {

BackgroundWork::~BackgroundWork() {
    Stop();
    if (thread_.joinable()) {
        thread_.join();
    }
}

}  // namespace qx7::gui
