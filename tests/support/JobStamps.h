#pragma once
// The start and end packets of a command job carry the moment of sending; the reference job
// files keep both as zero. Header-only: the Windows spooler test builds without the rest of
// this folder.

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/base/ByteOrder.h"
#include "core/comm/CommandJob.h"

namespace qx7::test {

// Where the start and end packets carry the moment of sending.
inline constexpr std::size_t kJobStartStamp = kJobPreambleSize + 8;
inline constexpr std::size_t kJobEndStampFromEnd = kPacketSize - 8;

// The job with both time stamps checked (equal, within the run) and set to zero, as the files
// keep them; the reason in problem when they do not hold.
inline std::string WithoutStamps(std::string job, std::uint32_t from, std::uint32_t to,
                                 std::string& problem) {
    if (job.size() < kJobPreambleSize + 2 * kPacketSize) {
        problem = "job of " + std::to_string(job.size()) + " bytes";
        return job;
    }
    const auto* bytes = reinterpret_cast<const unsigned char*>(job.data());
    const std::uint32_t start = ReadU32BE(bytes + kJobStartStamp);
    const std::uint32_t end = ReadU32BE(bytes + job.size() - kJobEndStampFromEnd);
    if (start != end || start < from || start > to) {
        problem = "time stamps " + std::to_string(start) + " and " + std::to_string(end) +
                  " outside " + std::to_string(from) + ".." + std::to_string(to);
    }
    job.replace(kJobStartStamp, 4, 4, '\0');
    job.replace(job.size() - kJobEndStampFromEnd, 4, 4, '\0');
    return job;
}

}  // namespace qx7::test
