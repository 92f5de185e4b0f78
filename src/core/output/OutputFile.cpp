#include "core/output/OutputFile.h"

#include <cerrno>

#include "core/base/FileSystem.h"
#include "core/output/ExportOutput.h"

namespace qx7 {
namespace {

OutputOpening Refused(OutputFailure failure, int error, std::string cause) {
    OutputOpening opening;
    opening.failure = failure;
    opening.error = error;
    opening.cause = std::move(cause);
    return opening;
}

}  // namespace

OutputOpening CheckOutput(const std::string& outputPath, const std::string& inputPath) {
    const PathKind target = LookAtPath(outputPath);
    if (target == PathKind::kMissing) {
        return OutputOpening();
    }
    if (outputPath == inputPath || SameFile(inputPath, outputPath)) {
        return Refused(OutputFailure::kSameAsInput, 0,
                       "is the log being read; choose another output");
    }
    if (target == PathKind::kFolder) {
        return Refused(OutputFailure::kFolder, EISDIR, "is a folder");
    }
    if (target != PathKind::kRegularFile && target != PathKind::kSymbolicLink) {
        return Refused(OutputFailure::kNotRegularFile, EPERM,
                       "is not a regular file (a device, pipe or socket); only a regular file "
                       "or a link is replaced");
    }
    return OutputOpening();
}

OutputOpening OpenOutput(AtomicOutputFile& file, const std::string& outputPath,
                         const std::string& inputPath, ExistingTarget existing) {
    file.Abandon();
    OutputOpening opening = CheckOutput(outputPath, inputPath);
    if (!opening.Opened()) {
        return opening;
    }
    if (const int error = file.Open(outputPath, existing); error != 0) {
        return Refused(error == EEXIST && existing == ExistingTarget::kKeep
                           ? OutputFailure::kExists
                           : OutputFailure::kCannotCreate,
                       error, CannotCreateCause(error));
    }
    return opening;
}

}  // namespace qx7
