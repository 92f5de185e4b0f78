#pragma once
// The output side of an export that front ends share: which paths may not be written over, the
// question before replacing an existing export, and the causes a failed export reports.

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

// The refusal of OutputRefusal for an output that is the input itself (also by another name or
// through links), else empty: for outputs that treat folders and other kinds in their own way
// but must never replace the log they are made from.
std::string SameAsInputRefusal(const std::string& path, const std::string& inputPath);

// Why `path` cannot be an output of a command that reads `inputPath`, in words; empty when it
// can (an existing file then still needs the user's consent). Refused: the input itself (also
// by another name or through links: same device and inode), a folder, and anything other than a
// regular file or a symbolic link (a device, a pipe, a socket).
std::string OutputRefusal(const std::string& path, const std::string& inputPath);

// The causes of a failed export, in words: the output could not be made (errno of
// AtomicOutputFile::Open), written or put in place (errno of the write or of Commit; 0 counts
// as EIO), or the log failed to read after `entriesRead` entries.
std::string CannotCreateCause(int error);
// Whether the errno says the disk (or the user's quota on it) is full.
bool IsDiskFull(int error);
std::string CannotWriteCause(int error);
std::string ReadFailedCause(int entriesRead);

}  // namespace qx7
