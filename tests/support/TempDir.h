#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace qx7::test {

// A fresh folder under the system's temporary folder, removed with everything in it at the end.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    // The UTF-8 path of a file in the folder, with the platform's separator.
    std::string File(const std::string& name) const;

  private:
    std::filesystem::path path_;
};

// Writes bytes to a file, replacing it.
void WriteFile(const std::string& path, const std::string& bytes);
// The whole file's bytes; empty when it cannot be read.
std::string ReadFile(const std::string& path);
// The names of what a folder holds, sorted: what a run left behind shows here.
std::vector<std::string> FileNames(const std::filesystem::path& folder);
#ifndef _WIN32
// The permission bits of the path itself (a link is not followed); 0 when there is none.
unsigned ModeOf(const std::string& path);
#endif

}  // namespace qx7::test
