#pragma once
// Viewers read their log on a worker once they are open: a test that looks at what one shows
// waits for the reading first.

#include <QDialog>
#include <QPointer>
#include <QTest>

#include "gui/app/ViewerDialog.h"

namespace qx7::test {

// Generous: on a slow machine a test waits longer, it does not fail.
inline constexpr int kViewerReadMs = 30000;

// Waits until the viewer has shown what it read, or has closed itself (a log it could not
// read); true when one of them happened in time. A dialog that reads nothing counts as read.
inline bool WaitUntilViewerRead(const QPointer<QDialog>& viewer, int timeoutMs = kViewerReadMs) {
    return QTest::qWaitFor(
        [&] {
            const auto* reading = qobject_cast<const gui::ViewerDialog*>(viewer.data());
            return reading == nullptr || !reading->isVisible() || !reading->IsReading();
        },
        timeoutMs);
}

}  // namespace qx7::test
