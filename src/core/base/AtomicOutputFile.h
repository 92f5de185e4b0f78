#pragma once
// An output file that appears only when it is complete. Bytes go to an unnamed file in the
// target's folder (or, where the file system cannot make one, and on Windows, a short hidden
// file registered for removal on the end signals), which is given the target's name on Commit.
// One implementation per platform (platform/<name>/files). A crash, a
// signal or a failure leaves the target as it was (or absent) and no temporary behind.
// Publishing never follows a link: a link is replaced itself, never the file it points to.

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace qx7 {

// The platform's helper that hands written data to the disk early (none on some platforms).
class WritebackWorker;
struct WritebackWorkerEnd {
    void operator()(WritebackWorker* worker) const;
};

// What Commit does when the target's name exists.
enum class ExistingTarget {
    // Never replace: Open and Commit fail with EEXIST, also when the name appears between the
    // two (publishing itself refuses an existing name).
    kKeep,
    // Replace a regular file, keeping its permissions and, where the process may set them, its
    // owner and group; or replace a symbolic link itself. A folder fails with EISDIR, anything
    // else (device, pipe, socket) with EPERM.
    kReplace,
};

class AtomicOutputFile {
  public:
    AtomicOutputFile() = default;
    ~AtomicOutputFile();
    AtomicOutputFile(const AtomicOutputFile&) = delete;
    AtomicOutputFile& operator=(const AtomicOutputFile&) = delete;

    // 0, or the errno of the failure (the folder is missing or not writable, the target exists
    // and may not be replaced ...).
    int Open(const std::string& path, ExistingTarget existing);
    // The buffered stream to write into; nullptr when not open.
    std::FILE* Stream() const { return stream_; }
    bool Write(std::string_view bytes);
    // Flushes, closes and gives the file the target's name. false (nothing replaced, Error()
    // tells why) on any write error met so far or when publishing fails.
    bool Commit();
    // Drops the temporary file; the target stays as it was.
    void Abandon();

    const std::string& Path() const { return path_; }
    // The errno of the last failure of Open or Commit (of the first failed Write, once Commit
    // has refused the file for it); 0 after success.
    int Error() const { return error_; }

    // For tests of the fallback: true makes every later Open use a named temporary, as on a
    // file system without unnamed files.
    static void UseNamedTemporaries(bool named);

  private:
    // Drops the temporary and keeps `error`; answers it.
    int Fail(int error);
    // Commit's first step on every platform: an open stream without a write error, flushed to
    // the system. False (with the error kept) otherwise.
    bool FlushForCommit();
    bool PublishUnnamed(int fd);
    bool PublishNamed();
    // Renames the named temporary over the target, unless the target may not be replaced.
    bool ReplaceTarget();
    void DropTemporary();

    std::FILE* stream_ = nullptr;
    std::string path_;
    ExistingTarget existing_ = ExistingTarget::kKeep;
    int folderFd_ = -1;          // POSIX: the target's folder, open
    std::string folder_;         // the target's folder ("" for the current one)
    std::string name_;           // the target's name inside its folder
    bool unnamed_ = false;       // an O_TMPFILE file, given a name only on Commit
    std::string temporaryName_;  // the hidden name of a named temporary, in the folder
    int slot_ = -1;              // its entry in the table of temporaries
    std::unique_ptr<WritebackWorker, WritebackWorkerEnd> writeback_;
    int error_ = 0;
};

}  // namespace qx7
