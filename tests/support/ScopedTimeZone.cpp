#include "support/ScopedTimeZone.h"

#include <cstdlib>
#include <ctime>

namespace qx7::test {
namespace {

std::optional<std::string> Get(const std::string& name) {
    const char* value = std::getenv(name.c_str());
    return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
}

void Put(const std::string& name, const std::optional<std::string>& value) {
#ifdef _WIN32
    _putenv_s(name.c_str(), value ? value->c_str() : "");
#else
    if (value) {
        setenv(name.c_str(), value->c_str(), 1);
    } else {
        unsetenv(name.c_str());
    }
#endif
}

#ifdef _WIN32
// The zone the process started in: the TZ it was given ("UTC" when none).
const std::string& StartZone() {
    static const std::string zone = [] {
        const char* value = std::getenv("TZ");
        return value != nullptr && *value != '\0' ? std::string(value) : std::string("UTC");
    }();
    return zone;
}
#endif

}  // namespace

#ifdef _WIN32
ScopedTimeZone::ScopedTimeZone(const std::string& zone) : pinned_(zone == StartZone()) {}

ScopedTimeZone::~ScopedTimeZone() = default;
#else
ScopedTimeZone::ScopedTimeZone(const std::string& zone) : previous_(Get("TZ")) {
    Put("TZ", zone);
    tzset();
}

ScopedTimeZone::~ScopedTimeZone() {
    Put("TZ", previous_);
    tzset();
}
#endif

ScopedEnv::ScopedEnv(std::string name, const std::optional<std::string>& value)
    : name_(std::move(name)), previous_(Get(name_)) {
    Put(name_, value);
}

ScopedEnv::~ScopedEnv() {
    Put(name_, previous_);
}

}  // namespace qx7::test
