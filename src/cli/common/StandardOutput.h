#pragma once
// Standard output of the command-line tools: writes that remember their first failure, the
// final flush and close checked, and text made harmless for a terminal.

#include <string>
#include <string_view>

namespace qx7::cli {

// A reader that closes the pipe early (`qx7log text LOG -o - | head`) ends the program quietly,
// with the status of a process ended by SIGPIPE, as other command-line tools end. Until then
// SIGPIPE is held off, so that the program itself meets the write error (EPIPE) and can first
// remove its named temporaries. Call first thing in main (nothing on Windows).
void HoldClosedPipeSignal();
// When `error` is EPIPE (on POSIX systems): removes the registered temporaries and ends the
// program by SIGPIPE. Otherwise returns. The functions below call it on every failed write.
void EndIfClosedPipe(int error);

// Writes the bytes; false when this or an earlier write failed.
bool WriteStandardOutput(std::string_view bytes);
// Flushes what is buffered; false when this or an earlier write failed.
bool FlushStandardOutput();
// "cannot write to standard output: <cause>".
std::string StandardOutputFailure();
// "<program>: cannot write to standard output: <cause>" on standard error.
void ReportStandardOutputFailure(const std::string& programName);
// At the end of the program: flushes and closes standard output. When a write, the flush or
// the close failed and `exitCode` is 0, reports it and answers 1; otherwise `exitCode` (a
// command that failed has said why already).
int CloseStandardOutput(const std::string& programName, int exitCode);

bool StandardOutputIsTerminal();
// Standard output passes bytes as they are written (on Windows it is in text mode at start).
// Call first thing in main.
void UseBinaryStandardOutput();
// The UTF-8 text with every control character other than tab, CR and LF (C0, DEL and C1) and
// every byte that is not part of a valid UTF-8 sequence replaced by one '?', which every
// output encoding can show; a terminal then gets no escape sequence from a log's texts.
std::string ForTerminal(std::string_view text);

}  // namespace qx7::cli
