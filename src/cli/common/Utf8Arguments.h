#pragma once
// The program's arguments in UTF-8, core's encoding. On Windows they come from the wide command
// line, so a Japanese file name arrives intact whatever the console's code page; elsewhere they
// are the arguments as given.

#include <string>
#include <vector>

namespace qx7::cli {

class Utf8Arguments {
  public:
    Utf8Arguments(int argc, char** argv);
    Utf8Arguments(const Utf8Arguments&) = delete;
    Utf8Arguments& operator=(const Utf8Arguments&) = delete;

    int Count() const { return static_cast<int>(storage_.size()); }
    // argv-style: Count() pointers and a final nullptr, valid as long as this object.
    char** Values() { return pointers_.data(); }

  private:
    std::vector<std::string> storage_;
    std::vector<char*> pointers_;
};

}  // namespace qx7::cli
