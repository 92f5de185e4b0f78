#pragma once
// A named mutex of the Windows session, taken for the lifetime of the object: the window's
// guard against a second copy of the tool.

#include <string>

namespace qx7 {

inline constexpr char kSingleInstanceMutexName[] = "QX7SERVICETOOL";

class NamedMutex {
  public:
    // name: UTF-8. Creates the mutex owned by the calling thread, or finds it already there.
    explicit NamedMutex(const std::string& name);
    ~NamedMutex();
    NamedMutex(const NamedMutex&) = delete;
    NamedMutex& operator=(const NamedMutex&) = delete;

    // Another holder (a copy of the tool) had created the mutex first.
    bool AlreadyRunning() const { return alreadyRunning_; }
    // This object created and owns the mutex. Neither this nor AlreadyRunning when the system
    // gave no mutex at all (the tool then ends without a message).
    bool Held() const { return handle_ != nullptr; }

  private:
    void* handle_ = nullptr;  // HANDLE, only while held
    bool alreadyRunning_ = false;
};

}  // namespace qx7
