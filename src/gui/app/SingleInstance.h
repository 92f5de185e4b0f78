#pragma once
// One copy of the tool a user: a lock on a file in the user's runtime folder, held until the
// program ends. The lock is the system's lock on the open file (flock), not the file's
// contents, so a copy that died never blocks the next one, and whatever a lock file holds
// (nothing, garbage, another program's pid) does not matter.

#include <QString>

#include "core/text/Language.h"

namespace qx7::gui {

inline constexpr char kInstanceLockName[] = "QX7SERVICETOOL.lock";
// Where the running copy takes requests of a second start, beside the lock.
inline constexpr char kInstanceSocketName[] = "QX7SERVICETOOL.socket";

// 5751: "The lock that keeps a second copy from starting cannot be made: %1: %2"
inline constexpr int kMsgLockNotMade = 5751;
inline constexpr int kCauseForeignFolder = 5752;  // "the folder belongs to another user"
inline constexpr int kCauseOpenFolder = 5753;     // "other users can write in the folder (mode %1)"
inline constexpr int kCauseNotFolder = 5754;      // "this is not a folder"
inline constexpr int kCauseFolderInPlace = 5755;  // a folder with files where the lock goes

enum class InstanceLock { kAcquired, kAlreadyRunning, kFailed };

class SingleInstance {
  public:
    // folder: where the lock lives; empty for the user's runtime folder (XDG_RUNTIME_DIR, or
    // "runtime-<user>" in the temporary folder when it is not set).
    explicit SingleInstance(QString folder = {});
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // Takes the lock. A lock file left by a dead copy is reused; a folder, link or other
    // non-file in its place is removed when it can be (an empty folder, a link). kFailed when
    // the folder is unusable (not a folder, another user's, writable by others) or the file
    // cannot be made: FailedPath and FailureCause then say what and why.
    InstanceLock Acquire();

    const QString& Folder() const { return folder_; }
    const QString& LockPath() const { return path_; }
    QString SocketPath() const;

    const QString& FailedPath() const { return failedPath_; }
    // The cause in the language given: a string-table text or the system's error text.
    QString FailureCause(LanguageId language) const;
    // Message 5751 with the path and the cause.
    QString FailureText(LanguageId language) const;

  private:
    InstanceLock Fail(const QString& path, int error, int causeString = 0, QString argument = {});
    bool FolderUsable();

    QString folder_;
    QString path_;
    int fd_ = -1;
    QString failedPath_;
    int failedErrno_ = 0;
    int failedCause_ = 0;
    QString failedArgument_;
};

}  // namespace qx7::gui
