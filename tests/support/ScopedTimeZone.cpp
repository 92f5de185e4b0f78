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
    if (value) {
        setenv(name.c_str(), value->c_str(), 1);
    } else {
        unsetenv(name.c_str());
    }
}

}  // namespace

ScopedTimeZone::ScopedTimeZone(const std::string& zone) : previous_(Get("TZ")) {
    Put("TZ", zone);
    tzset();
}

ScopedTimeZone::~ScopedTimeZone() {
    Put("TZ", previous_);
    tzset();
}

ScopedEnv::ScopedEnv(std::string name, const std::optional<std::string>& value)
    : name_(std::move(name)), previous_(Get(name_)) {
    Put(name_, value);
}

ScopedEnv::~ScopedEnv() { Put(name_, previous_); }

}  // namespace qx7::test
