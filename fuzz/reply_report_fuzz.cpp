// A job's printer-state message as the scheduler hands it back: any text, read as the reply
// report of a job. A reply is only ever taken whole: written again, it gives the same line.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/cups/ReplyReport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string message(reinterpret_cast<const char*>(data), size);
    for (const int jobId : {1, 42}) {
        const qx7::ReplyReading reading = qx7::ReadReplyReport(message, jobId);
        if (reading.kind == qx7::ReplyReportKind::kReply) {
            // Hex digits may come in either case; the rest of the line only as written.
            std::string lower = message;
            for (std::size_t i = lower.rfind('=') + 1; i < lower.size(); ++i) {
                if (lower[i] >= 'A' && lower[i] <= 'F') {
                    lower[i] = static_cast<char>(lower[i] - 'A' + 'a');
                }
            }
            if (qx7::FormatReplyReport(jobId, reading.reply) != lower ||
                reading.reply.size() > qx7::kMaxReportedReplyBytes) {
                std::abort();
            }
        }
    }
    return 0;
}
