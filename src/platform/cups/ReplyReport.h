#pragma once
// How the QX-7 queue's filter hands the printer's reply to the program that sent the command:
// one status line, which the scheduler keeps as the job's printer-state message, readable by
// the sender without root and over the network.
//
//   QX7-REPLY job=<id> n=<length> hex=<the reply's bytes, two lower-case digits each>
//   QX7-REPLY job=<id> none: <why there is no reply>
//
// The scheduler cuts a long status line without a sign, so the length travels with the bytes
// and a reply whose bytes do not match it is damaged, never good.

#include <cstddef>
#include <span>
#include <string>
#include <vector>

namespace qx7 {

// The longest reply one status line carries with room to spare (the scheduler keeps about 1,000
// bytes of a message).
inline constexpr std::size_t kMaxReportedReplyBytes = 480;

// The line for a reply; one longer than kMaxReportedReplyBytes becomes a no-reply line that
// says so.
std::string FormatReplyReport(int jobId, std::span<const unsigned char> reply);
// The line saying why a job has no reply (the cause is kept to one line).
std::string FormatNoReplyReport(int jobId, const std::string& cause);

enum class ReplyReportKind {
    kAbsent,   // no report for this job (yet): another message, or another job's
    kReply,    // a whole reply
    kNoReply,  // the filter reported that no reply came, and why
    kDamaged,  // a report for this job whose bytes do not match its length (cut or garbled)
};

struct ReplyReading {
    ReplyReportKind kind = ReplyReportKind::kAbsent;
    std::vector<unsigned char> reply;  // kReply only
    std::string cause;                 // kNoReply: the filter's words; kDamaged: what is wrong
};

// Reads a job's printer-state message as a report for job jobId.
ReplyReading ReadReplyReport(const std::string& message, int jobId);

}  // namespace qx7
