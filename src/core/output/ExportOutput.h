#pragma once
// The output side of an export that front ends share: the question before replacing an existing
// export and the causes a failed export reports (OutputFile.h opens the output).

#include <string>

#include "core/text/Language.h"

namespace qx7 {

// The numbers that go with "File I/O Error" (238) when the text or the CSV export fails.
inline constexpr int kCodeTextExportFailed = -166;
inline constexpr int kCodeCsvExportFailed = -167;

inline constexpr int kMsgAlreadyExists = 382;  // "already exists. Do you want to overwrite? "
// The caption of the question before replacing the text export.
inline constexpr char kOverwriteCaption[] = "QX-7 Service Tool";

// The question before replacing an existing output: the path, a line feed and string 382.
std::string OverwriteQuestion(LanguageId language, const std::string& path);

// Whether anything of that name is there (a file, a folder, a link even if dangling): the
// output then needs the user's consent before it is replaced.
bool OutputPathExists(const std::string& path);

// The causes of a failed export, in words: the output could not be made (errno of
// AtomicOutputFile::Open), written or put in place (errno of the write or of Commit; 0 counts
// as EIO), or the log failed to read after `entriesRead` entries.
std::string CannotCreateCause(int error);
// Whether the errno says the disk (or the user's quota on it) is full.
bool IsDiskFull(int error);
std::string CannotWriteCause(int error);
std::string ReadFailedCause(int entriesRead);

}  // namespace qx7
