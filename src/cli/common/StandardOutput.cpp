#include "cli/common/StandardOutput.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#else
#include <signal.h>
#include <stdio_ext.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

#include "core/base/SignalCleanup.h"

namespace qx7::cli {
namespace {

int gFirstError = 0;

bool Failed(int error) {
    EndIfClosedPipe(error);
    if (gFirstError == 0) {
        gFirstError = error != 0 ? error : EIO;
    }
    return false;
}

// Length of the valid UTF-8 sequence at text[i], 0 when it is not one.
std::size_t SequenceLength(std::string_view text, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;   // no overlong forms
        high = lead == 0xED ? 0x9F : 0xBF;  // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (i + length > text.size() || byte(i + 1) < low || byte(i + 1) > high) {
        return 0;
    }
    for (std::size_t k = 2; k < length; ++k) {
        if (byte(i + k) < 0x80 || byte(i + k) > 0xBF) {
            return 0;
        }
    }
    return length;
}

}  // namespace

void HoldClosedPipeSignal() {
#ifndef _WIN32
    std::signal(SIGPIPE, SIG_IGN);
#endif
}

void EndIfClosedPipe(int error) {
#ifndef _WIN32
    if (error != EPIPE) {
        return;
    }
    // Whatever the program was writing is no longer wanted: end as a program that never held
    // SIGPIPE off would have ended, without a word, leaving no temporary behind.
    RemoveRegisteredTemporaries();
    std::signal(SIGPIPE, SIG_DFL);
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    ::sigprocmask(SIG_UNBLOCK, &pipe, nullptr);
    ::raise(SIGPIPE);
    ::_exit(128 + SIGPIPE);  // not reached: SIGPIPE ends the process
#else
    (void)error;  // a closed pipe is an ordinary write error there
#endif
}

bool WriteStandardOutput(std::string_view bytes) {
    if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size()) {
        return Failed(errno);
    }
    return gFirstError == 0 && std::ferror(stdout) == 0;
}

bool FlushStandardOutput() {
    if (std::fflush(stdout) != 0) {
        return Failed(errno);
    }
    if (std::ferror(stdout) != 0) {
        return Failed(EIO);  // a write by other code failed; its cause is not known here
    }
    return gFirstError == 0;
}

std::string StandardOutputFailure() {
    return std::string("cannot write to standard output: ") +
           std::strerror(gFirstError != 0 ? gFirstError : EIO);
}

void ReportStandardOutputFailure(const std::string& programName) {
    std::fprintf(stderr, "%s: %s\n", programName.c_str(), StandardOutputFailure().c_str());
}

int CloseStandardOutput(const std::string& programName, int exitCode) {
    const bool flushed = FlushStandardOutput();
    // A standard output that was never open is no failure when nothing was to be written.
#ifdef _WIN32
    const bool pending = false;  // the flush above has written or failed on everything
#else
    const bool pending = __fpending(stdout) != 0;
#endif
    errno = 0;
    const bool closed = std::fclose(stdout) == 0;
    if (!closed && (pending || errno != EBADF)) {
        Failed(errno);
    }
    if (exitCode != 0 || (flushed && gFirstError == 0)) {
        return exitCode;
    }
    ReportStandardOutputFailure(programName);
    return 1;
}

bool StandardOutputIsTerminal() {
#ifdef _WIN32
    return ::_isatty(::_fileno(stdout)) != 0;
#else
    return ::isatty(STDOUT_FILENO) == 1;
#endif
}

void UseBinaryStandardOutput() {
#ifdef _WIN32
    // Lines already end in CR LF where a file wants them; text mode would make them CR CR LF.
    std::fflush(stdout);
    ::_setmode(::_fileno(stdout), _O_BINARY);
#endif
}

std::string ForTerminal(std::string_view text) {
    std::string shown;
    shown.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            const bool control = (c < 0x20 && c != '\t' && c != '\r' && c != '\n') || c == 0x7F;
            shown.push_back(control ? '?' : static_cast<char>(c));
            ++i;
            continue;
        }
        const std::size_t length = SequenceLength(text, i);
        // U+0080 .. U+009F, the C1 controls, are C2 80 .. C2 9F.
        if (length == 0 || (c == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0)) {
            shown.push_back('?');
            i += length == 0 ? 1 : length;
            continue;
        }
        shown.append(text.substr(i, length));
        i += length;
    }
    return shown;
}

}  // namespace qx7::cli
