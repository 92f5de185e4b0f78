#include "gui/app/SingleInstance.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstring>
#include <string>

#include "gui/app/ControlText.h"

namespace qx7::gui {
namespace {

QByteArray Bytes(const QString& path) {
    return QFile::encodeName(path);
}

// The runtime folder as the desktop defines it; without XDG_RUNTIME_DIR the same fallback Qt
// takes, made private when it is new.
QString DefaultFolder() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty()) {
        return runtime;
    }
    const passwd* user = ::getpwuid(::geteuid());
    const QString name = user != nullptr ? QFile::decodeName(user->pw_name)
                                         : QString::number(::geteuid());
    const QString fallback = QDir(QDir::tempPath()).filePath(QStringLiteral("runtime-") + name);
    ::mkdir(Bytes(fallback).constData(), 0700);
    return fallback;
}

}  // namespace

SingleInstance::SingleInstance(QString folder)
    : folder_(folder.isEmpty() ? DefaultFolder() : std::move(folder)) {
    path_ = QDir(folder_).filePath(QString::fromLatin1(kInstanceLockName));
}

SingleInstance::~SingleInstance() {
    // Closing releases the lock; the file stays, as a next copy may already have it open.
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

QString SingleInstance::SocketPath() const {
    return QDir(folder_).filePath(QString::fromLatin1(kInstanceSocketName));
}

InstanceLock SingleInstance::Fail(const QString& path, int error, int causeString,
                                  QString argument) {
    failedPath_ = path;
    failedErrno_ = error;
    failedCause_ = causeString;
    failedArgument_ = std::move(argument);
    return InstanceLock::kFailed;
}

bool SingleInstance::FolderUsable() {
    struct stat info {};
    if (::stat(Bytes(folder_).constData(), &info) != 0) {
        Fail(folder_, errno);
        return false;
    }
    if (!S_ISDIR(info.st_mode)) {
        Fail(folder_, 0, kCauseNotFolder);
        return false;
    }
    if (info.st_uid != ::geteuid()) {
        Fail(folder_, 0, kCauseForeignFolder);
        return false;
    }
    // Others who can write there could put their own socket in the running copy's place.
    if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        Fail(folder_, 0, kCauseOpenFolder,
             QStringLiteral("%1").arg(info.st_mode & 07777, 4, 8, QLatin1Char('0')));
        return false;
    }
    return true;
}

InstanceLock SingleInstance::Acquire() {
    if (fd_ >= 0) {
        return InstanceLock::kAcquired;
    }
    if (!FolderUsable()) {
        return InstanceLock::kFailed;
    }
    const QByteArray path = Bytes(path_);
    // Twice at most: the second time after removing what stood in the lock file's place.
    for (int attempt = 0; attempt < 2; ++attempt) {
        const int fd =
            ::open(path.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC |
                                         O_NONBLOCK, 0600);
        if (fd < 0) {
            const int error = errno;
            if (error == EISDIR) {
                if (attempt == 0 && ::rmdir(path.constData()) == 0) {
                    continue;
                }
                return Fail(path_, 0, kCauseFolderInPlace);
            }
            if (error == ELOOP && attempt == 0 && ::unlink(path.constData()) == 0) {
                continue;
            }
            return Fail(path_, error);
        }
        struct stat info {};
        if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
            // A pipe or device in the lock file's place (O_NONBLOCK kept it from waiting).
            ::close(fd);
            if (::unlink(path.constData()) != 0) {
                return Fail(path_, errno);
            }
            continue;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            ::close(fd);
            if (error == EWOULDBLOCK) {
                return InstanceLock::kAlreadyRunning;
            }
            return Fail(path_, error);
        }
        // The holder's process id, for people looking; nothing reads it to decide.
        const std::string pid = std::to_string(::getpid()) + "\n";
        if (::ftruncate(fd, 0) == 0) {
            // The lock holds also without its note.
            const ssize_t written = ::pwrite(fd, pid.data(), pid.size(), 0);
            static_cast<void>(written);
        }
        fd_ = fd;
        return InstanceLock::kAcquired;
    }
    return Fail(path_, EEXIST);
}

QString SingleInstance::FailureCause(LanguageId language) const {
    if (failedCause_ != 0) {
        QString cause = LocalText(language, failedCause_);
        return failedArgument_.isEmpty() ? cause : cause.arg(failedArgument_);
    }
    return QString::fromLocal8Bit(std::strerror(failedErrno_));
}

QString SingleInstance::FailureText(LanguageId language) const {
    return LocalText(language, kMsgLockNotMade)
        .arg(QDir::toNativeSeparators(failedPath_), FailureCause(language));
}

}  // namespace qx7::gui
