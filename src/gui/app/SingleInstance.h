#pragma once
// One copy of the tool a user: a lock file in the user's runtime folder, held until the
// program ends. A lock left by a copy that died is taken over.

#include <QLockFile>
#include <QString>
#include <memory>

namespace qx7::gui {

inline constexpr char kInstanceLockName[] = "QX7SERVICETOOL.lock";
// Message 389 for a second copy; 242 with this code when the lock cannot be made at all.
inline constexpr int kMsgAlreadyStarted = 389;
inline constexpr int kCodeInstanceLock = -281;

enum class InstanceLock { kAcquired, kAlreadyRunning, kFailed };

class SingleInstance {
  public:
    // folder: where the lock lives; empty for the user's runtime folder (XDG_RUNTIME_DIR).
    explicit SingleInstance(QString folder = {});
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    InstanceLock Acquire();
    // The lock file's path; empty when there is no runtime folder.
    const QString& LockPath() const { return path_; }

  private:
    QString path_;
    std::unique_ptr<QLockFile> lock_;
};

}  // namespace qx7::gui
