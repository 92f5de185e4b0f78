#pragma once
// The one way an output is opened: never the input it is made from, an existing one kept or
// replaced as the caller decided (after the user's consent), the bytes in a file that appears
// only when complete (AtomicOutputFile), and the cause of a refusal in words.

#include <string>

#include "core/base/AtomicOutputFile.h"

namespace qx7 {

enum class OutputFailure {
    kNone,
    kSameAsInput,     // the input itself, also by another name or through links
    kFolder,          // a folder of that name
    kNotRegularFile,  // a device, pipe or socket: only a regular file or a link is replaced
    kExists,          // there, and ExistingTarget::kKeep keeps it
    kCannotCreate,    // the file could not be made (a missing or read-only folder, a full disk ...)
};

struct OutputOpening {
    OutputFailure failure = OutputFailure::kNone;
    // The errno that goes with the failure: AtomicOutputFile::Open's; for a folder EISDIR, for
    // another kind EPERM, for an existing output kept EEXIST; 0 for the input itself.
    int error = 0;
    // Why, in words: the refusal, or CannotCreateCause(error).
    std::string cause;

    bool Opened() const { return failure == OutputFailure::kNone; }
};

// The refusals alone, before anything is made: for a command that checks its outputs before it
// reads its input, or a window that refuses before it asks to replace. Nothing of the name
// there is no refusal (nor is a dangling link).
OutputOpening CheckOutput(const std::string& outputPath, const std::string& inputPath);

// Opens `file` for `outputPath` after CheckOutput's refusals; an existing output is replaced
// only with kReplace (and, being published atomically, also not when it appears meanwhile with
// kKeep). On failure the file stays closed and nothing is left behind. Write into the file and
// Commit it to publish; a failed Commit leaves the target as it was.
OutputOpening OpenOutput(AtomicOutputFile& file, const std::string& outputPath,
                         const std::string& inputPath, ExistingTarget existing);

}  // namespace qx7
