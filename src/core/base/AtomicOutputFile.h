#pragma once
// An output file that appears only when it is complete: bytes go to a hidden temporary file in
// the same folder, which replaces the target on Commit. A crash or a failure leaves the target
// as it was (or absent) and no temporary behind. Renaming replaces a symlink itself, never the
// file it points to.

#include <cstdio>
#include <string>
#include <string_view>

namespace qx7 {

class AtomicOutputFile {
public:
    AtomicOutputFile() = default;
    ~AtomicOutputFile();
    AtomicOutputFile(const AtomicOutputFile&) = delete;
    AtomicOutputFile& operator=(const AtomicOutputFile&) = delete;

    // 0, or the errno of the failure (the folder is missing or not writable ...).
    int Open(const std::string& path);
    // The buffered stream to write into; nullptr when not open.
    std::FILE* Stream() const { return stream_; }
    bool Write(std::string_view bytes);
    // Flushes, closes and moves the file into place. false (and nothing replaced) on any
    // write error met so far.
    bool Commit();
    // Drops the temporary file; the target stays as it was.
    void Abandon();

    const std::string& Path() const { return path_; }

private:
    std::FILE* stream_ = nullptr;
    std::string path_;
    std::string temporaryPath_;
};

}  // namespace qx7
