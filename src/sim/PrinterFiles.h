#pragma once
// The simulator's files: the jobs it took, byte for byte, and the printer's state between the
// runs of the backend (each job is a process of its own). Every file is written whole under a
// temporary name and moved into place, so that a reader never sees half of one.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qx7::sim {

// Writes the bytes to path through a temporary file and a rename; false with the reason.
bool WriteWholeFile(const std::string& path, const std::string& bytes, std::string& error);

// Keeps a taken job as DIR/NNNN.bin, numbered on from the highest number there (0001 first);
// the file's path, or empty with the reason in error.
std::string RecordJob(const std::string& dir, const std::vector<unsigned char>& job,
                      std::string& error);

// Appends one line to the journal in one write, so that a line is never half there.
bool AppendJournalLine(const std::string& path, const std::string& line, std::string& error);

// What the backend keeps in DIR/state:
//   commands-taken N
//   clock VALUE AT        (the printer clock's value at AT, seconds since 1970)
struct SavedState {
    std::uint64_t commandsTaken = 0;
    std::optional<std::uint32_t> clock;
    std::int64_t clockAt = 0;
};

// A missing file is a fresh printer; a malformed one is an error (never silently reset).
std::optional<SavedState> LoadState(const std::string& path, std::string& error);
bool SaveState(const std::string& path, const SavedState& state, std::string& error);
std::string FormatState(const SavedState& state);
std::optional<SavedState> ParseState(const std::string& text);

}  // namespace qx7::sim
