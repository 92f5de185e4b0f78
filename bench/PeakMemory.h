#pragma once
// The high-water resident size (VmHWM) the kernel keeps for a process, which every benchmark
// reports as its peak memory.

#include <sys/types.h>

#include <cstdlib>
#include <fstream>
#include <string>

namespace qx7::bench {

// In KiB from a /proc/<pid>/status file, or -1 when it cannot be read.
inline long PeakKiBFrom(const std::string& statusPath) {
    std::ifstream status(statusPath);
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::strtol(line.c_str() + 6, nullptr, 10);
        }
    }
    return -1;
}

inline long PeakKiB(pid_t pid) {
    return PeakKiBFrom("/proc/" + std::to_string(pid) + "/status");
}

// This process's.
inline long OwnPeakKiB() {
    return PeakKiBFrom("/proc/self/status");
}

}  // namespace qx7::bench
