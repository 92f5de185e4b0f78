#include "sim/PrinterFiles.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sstream>

#include <fcntl.h>
#include <unistd.h>

#include "platform/posix/WholeWrite.h"

namespace qx7::sim {
namespace {

constexpr char kJobSuffix[] = ".bin";

// The number of a job file "NNNN.bin" (at least four digits), or nullopt for another name.
std::optional<std::uint64_t> JobNumber(const std::string& name) {
    const std::size_t suffix = std::strlen(kJobSuffix);
    if (name.size() < 4 + suffix || name.compare(name.size() - suffix, suffix, kJobSuffix) != 0) {
        return std::nullopt;
    }
    std::uint64_t number = 0;
    const char* first = name.data();
    const char* last = name.data() + name.size() - suffix;
    const auto [end, ec] = std::from_chars(first, last, number);
    if (ec != std::errc() || end != last || *first < '0' || *first > '9') {
        return std::nullopt;
    }
    return number;
}

template <typename T>
bool ParseNumber(const std::string& text, T& value) {
    const char* first = text.data();
    const char* last = first + text.size();
    const auto [end, ec] = std::from_chars(first, last, value);
    return !text.empty() && ec == std::errc() && end == last;
}

}  // namespace

bool WriteWholeFile(const std::string& path, const std::string& bytes, std::string& error) {
    const std::string temporary = path + ".tmp-" + std::to_string(getpid());
    const int fd =
        open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = "cannot write " + temporary + ": " + std::strerror(errno);
        return false;
    }
    const bool written = WriteWhole(fd, bytes) && fsync(fd) == 0;
    const int writeErrno = errno;
    if (close(fd) != 0 || !written || rename(temporary.c_str(), path.c_str()) != 0) {
        error = "cannot write " + path + ": " + std::strerror(written ? errno : writeErrno);
        unlink(temporary.c_str());
        return false;
    }
    return true;
}

std::string RecordJob(const std::string& dir, const std::vector<unsigned char>& job,
                      std::string& error) {
    std::uint64_t highest = 0;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
        if (const auto number = JobNumber(entry.path().filename().string())) {
            highest = std::max(highest, *number);
        }
    }
    if (ec) {
        error = "cannot read " + dir + ": " + ec.message();
        return {};
    }
    char name[32];
    std::snprintf(name, sizeof name, "%04llu%s", static_cast<unsigned long long>(highest + 1),
                  kJobSuffix);
    const std::string path = dir + "/" + name;
    if (!WriteWholeFile(path, std::string(job.begin(), job.end()), error)) {
        return {};
    }
    return path;
}

bool AppendJournalLine(const std::string& path, const std::string& line, std::string& error) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = "cannot open the journal " + path + ": " + std::strerror(errno);
        return false;
    }
    const bool written = WriteWhole(fd, line + "\n");
    const int writeErrno = errno;
    close(fd);
    if (!written) {
        error = "cannot write the journal " + path + ": " + std::strerror(writeErrno);
    }
    return written;
}

std::string FormatState(const SavedState& state) {
    std::string text = "commands-taken " + std::to_string(state.commandsTaken) + "\n";
    if (state.clock) {
        text +=
            "clock " + std::to_string(*state.clock) + " " + std::to_string(state.clockAt) + "\n";
    }
    return text;
}

std::optional<SavedState> ParseState(const std::string& text) {
    SavedState state;
    bool haveCommands = false;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string key;
        std::string first;
        std::string second;
        std::string extra;
        words >> key >> first >> second >> extra;
        if (key == "commands-taken" && second.empty() && !haveCommands &&
            ParseNumber(first, state.commandsTaken)) {
            haveCommands = true;
        } else if (key == "clock" && extra.empty() && !state.clock) {
            std::uint32_t clock = 0;
            if (!ParseNumber(first, clock) || !ParseNumber(second, state.clockAt)) {
                return std::nullopt;
            }
            state.clock = clock;
        } else {
            return std::nullopt;
        }
    }
    if (!haveCommands || text.empty() || text.back() != '\n') {
        return std::nullopt;
    }
    return state;
}

std::optional<SavedState> LoadState(const std::string& path, std::string& error) {
    const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) {
            return SavedState{};
        }
        error = "cannot read " + path + ": " + std::strerror(errno);
        return std::nullopt;
    }
    std::string text;
    char buffer[4096];
    ssize_t n = 0;
    // The state is two short lines; anything much longer is not ours.
    while ((n = read(fd, buffer, sizeof buffer)) > 0 && text.size() < 65536) {
        text.append(buffer, static_cast<std::size_t>(n));
    }
    const int readErrno = errno;
    close(fd);
    if (n < 0) {
        error = "cannot read " + path + ": " + std::strerror(readErrno);
        return std::nullopt;
    }
    auto state = ParseState(text);
    if (!state) {
        error = path + " does not hold a printer's state";
    }
    return state;
}

bool SaveState(const std::string& path, const SavedState& state, std::string& error) {
    return WriteWholeFile(path, FormatState(state), error);
}

}  // namespace qx7::sim
