#include "gui/app/SingleInstance.h"

#include <QDir>
#include <QStandardPaths>

namespace qx7::gui {

SingleInstance::SingleInstance(QString folder) {
    if (folder.isEmpty()) {
        folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    }
    if (!folder.isEmpty()) {
        path_ = QDir(folder).filePath(QString::fromLatin1(kInstanceLockName));
    }
}

SingleInstance::~SingleInstance() = default;

InstanceLock SingleInstance::Acquire() {
    if (path_.isEmpty()) {
        return InstanceLock::kFailed;
    }
    lock_ = std::make_unique<QLockFile>(path_);
    // A running first copy may hold the lock for days; only a dead holder makes it stale.
    lock_->setStaleLockTime(0);
    if (lock_->tryLock(0)) {
        return InstanceLock::kAcquired;
    }
    const QLockFile::LockError error = lock_->error();
    lock_.reset();
    return error == QLockFile::LockFailedError ? InstanceLock::kAlreadyRunning
                                               : InstanceLock::kFailed;
}

}  // namespace qx7::gui
