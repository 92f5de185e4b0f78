#include "platform/cups/CupsSpooler.h"

#include <cups/cups.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <memory>

#include "core/comm/CommandJob.h"
#include "platform/cups/ReplyReport.h"

namespace qx7 {
namespace {

constexpr std::uint32_t kReadyAnswerSize = 4;

struct IppDelete {
    void operator()(ipp_t* ipp) const { ippDelete(ipp); }
};
using Ipp = std::unique_ptr<ipp_t, IppDelete>;

// libcups asks this whenever a request waits longer than the connection's timeout: 0 gives up,
// so a scheduler that accepts but never answers cannot hold the caller.
int GiveUp(http_t* /*http*/, void* /*data*/) {
    return 0;
}

// The request's response when the scheduler answered it with success; null otherwise.
Ipp Ask(http_t* http, ipp_t* request) {
    Ipp response(cupsDoRequest(http, request, "/"));
    if (!response || ippGetStatusCode(response.get()) > IPP_STATUS_OK_EVENTS_COMPLETE) {
        return nullptr;
    }
    return response;
}

std::string Text(ipp_attribute_t* attribute) {
    const char* text = attribute ? ippGetString(attribute, 0, nullptr) : nullptr;
    return text ? text : "";
}

std::string PrinterUri(const std::string& queue) {
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof(uri), "ipp", nullptr, "localhost", 0,
                     "/printers/%s", queue.c_str());
    return uri;
}

// A request about one queue, as the user running the program (the scheduler shows a job's
// private values to its owner only), asking for the attributes named.
template <std::size_t N>
ipp_t* QueueRequest(ipp_op_t operation, const std::string& queue,
                    const char* const (&wanted)[N]) {
    ipp_t* request = ippNewRequest(operation);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr,
                 PrinterUri(queue).c_str());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
                 cupsUser());
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                  static_cast<int>(N), nullptr, wanted);
    return request;
}

bool HasReason(const std::vector<std::string>& reasons, const std::string& base) {
    return std::any_of(reasons.begin(), reasons.end(), [&](const std::string& reason) {
        if (reason.compare(0, base.size(), base) != 0) {
            return false;
        }
        const std::string rest = reason.substr(base.size());
        return rest.empty() || rest == "-error" || rest == "-warning" || rest == "-report";
    });
}

}  // namespace

std::string PortOfDeviceUri(const std::string& deviceUri) {
    return deviceUri.rfind("file:", 0) == 0 ? "FILE:" : deviceUri;
}

bool QueueReady(int printerState, bool acceptingJobs, const std::vector<std::string>& reasons) {
    if (printerState == IPP_PSTATE_STOPPED || !acceptingJobs) {
        return false;
    }
    for (const char* held : {"offline", "paused", "shutdown", "stopped"}) {
        if (HasReason(reasons, held)) {
            return false;
        }
    }
    return true;
}

CupsSpooler::CupsSpooler(std::string server, int timeoutMs)
    : host_(server.empty() ? cupsServer() : std::move(server)),
      port_(ippPort()),
      timeoutMs_(timeoutMs) {
    // "host:port" names a port of its own; a socket path has none. A port out of range is
    // left in the name, where the connection fails like any unknown host.
    const auto colon = host_.rfind(':');
    const std::size_t digits = colon == std::string::npos ? 0 : host_.size() - colon - 1;
    if (!host_.empty() && host_[0] != '/' && digits >= 1 && digits <= 5 &&
        host_.find_first_not_of("0123456789", colon + 1) == std::string::npos) {
        const int port = std::stoi(host_.substr(colon + 1));
        if (port >= 1 && port <= 65535) {
            port_ = port;
            host_.erase(colon);
        }
    }
}

CupsSpooler::~CupsSpooler() = default;

void CupsSpooler::HttpClose::operator()(http_t* http) const {
    httpClose(http);
}

CupsSpooler::Http CupsSpooler::Connect() {
    Http http(httpConnect2(host_.c_str(), port_, nullptr, AF_UNSPEC, HTTP_ENCRYPTION_IF_REQUESTED,
                           1, timeoutMs_, nullptr));
    if (http) {
        httpSetTimeout(http.get(), timeoutMs_ / 1000.0, GiveUp, nullptr);
    } else {
        NoteProblem();
    }
    return http;
}

void CupsSpooler::NoteProblem() {
    const char* text = cupsLastErrorString();
    std::lock_guard lock(mutex_);
    problem_ = std::string("cannot reach the CUPS scheduler at ") + Server() + ": " +
               (text && *text ? text : "no answer");
}

std::string CupsSpooler::Server() const {
    return host_[0] == '/' ? host_ : host_ + ":" + std::to_string(port_);
}

std::string CupsSpooler::Problem() const {
    std::lock_guard lock(mutex_);
    return problem_;
}

bool CupsSpooler::EnumPrinters(std::vector<PrinterRecord>& records) {
    records.clear();
    Http http = Connect();
    if (!http) {
        return false;
    }
    ipp_t* request = ippNewRequest(IPP_OP_CUPS_GET_PRINTERS);
    static const char* const kWanted[] = {"printer-name", "printer-make-and-model", "device-uri",
                                          "printer-type"};
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                  static_cast<int>(std::size(kWanted)), nullptr, kWanted);
    Ipp response = Ask(http.get(), request);
    if (!response) {
        // A scheduler without any queue answers "not found": an empty listing, not a failure.
        if (cupsLastError() == IPP_STATUS_ERROR_NOT_FOUND) {
            std::lock_guard lock(mutex_);
            problem_.clear();
            return true;
        }
        NoteProblem();
        return false;
    }
    {
        std::lock_guard lock(mutex_);
        problem_.clear();
    }
    // One printer per group, in the scheduler's order; classes are no printers of their own.
    PrinterRecord record;
    bool isClass = false;
    bool inPrinter = false;
    auto finish = [&] {
        if (inPrinter && !record.name.empty() && !isClass) {
            records.push_back(record);
        }
        record = {};
        isClass = false;
        inPrinter = false;
    };
    for (ipp_attribute_t* attribute = ippFirstAttribute(response.get()); attribute;
         attribute = ippNextAttribute(response.get())) {
        const char* name = ippGetName(attribute);
        if (!name) {
            finish();
            continue;
        }
        if (ippGetGroupTag(attribute) != IPP_TAG_PRINTER) {
            continue;
        }
        inPrinter = true;
        if (std::strcmp(name, "printer-name") == 0) {
            record.name = Text(attribute);
        } else if (std::strcmp(name, "printer-make-and-model") == 0) {
            record.driverName = Text(attribute);
        } else if (std::strcmp(name, "device-uri") == 0) {
            record.portName = PortOfDeviceUri(Text(attribute));
        } else if (std::strcmp(name, "printer-type") == 0) {
            isClass = (ippGetInteger(attribute, 0) & CUPS_PRINTER_CLASS) != 0;
        }
    }
    finish();
    return true;
}

bool CupsSpooler::OpenPrinter(const std::string& name, std::uint32_t /*desiredAccess*/,
                              PrinterHandle& handle) {
    handle = kNoPrinterHandle;
    Http http = Connect();
    if (!http) {
        return false;
    }
    // The queue must exist now; what it can do is asked when it is used.
    static const char* const kWanted[] = {"printer-name"};
    ipp_t* request = QueueRequest(IPP_OP_GET_PRINTER_ATTRIBUTES, name, kWanted);
    if (!Ask(http.get(), request)) {
        return false;
    }
    auto queue = std::make_unique<OpenQueue>();
    queue->name = name;
    std::lock_guard lock(mutex_);
    handle = nextHandle_++;
    queues_[handle] = std::move(queue);
    return true;
}

void CupsSpooler::ClosePrinter(PrinterHandle handle) {
    std::lock_guard lock(mutex_);
    queues_.erase(handle);
}

CupsSpooler::OpenQueue* CupsSpooler::Find(PrinterHandle handle) {
    std::lock_guard lock(mutex_);
    const auto it = queues_.find(handle);
    return it == queues_.end() ? nullptr : it->second.get();
}

bool CupsSpooler::StartDocPrinter(PrinterHandle handle, const std::string& documentName,
                                  const std::string& /*dataType*/) {
    OpenQueue* queue = Find(handle);
    if (!queue || queue->document) {
        return false;
    }
    // The command's own type takes it through the queue's reply filter; a raw job would
    // skip the filter and lose the reply.
    Http http = Connect();
    if (!http) {
        return false;
    }
    // Create-Job by hand: libcups' own call looks the queue up on the default scheduler, not
    // on the one this connection reaches.
    static const char* const kWanted[] = {"job-id"};
    ipp_t* request = QueueRequest(IPP_OP_CREATE_JOB, queue->name, kWanted);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "job-name", nullptr,
                 documentName.c_str());
    Ipp created = Ask(http.get(), request);
    ipp_attribute_t* idAttribute =
        created ? ippFindAttribute(created.get(), "job-id", IPP_TAG_INTEGER) : nullptr;
    const int jobId = idAttribute ? ippGetInteger(idAttribute, 0) : 0;
    if (jobId <= 0) {
        NoteProblem();
        return false;
    }
    queue->jobId = jobId;
    queue->replyTaken = false;
    queue->chunks.clear();
    if (cupsStartDocument(http.get(), queue->name.c_str(), jobId, documentName.c_str(),
                          kCommandJobType, 1) != HTTP_STATUS_CONTINUE) {
        NoteProblem();
        cupsCancelJob2(http.get(), queue->name.c_str(), jobId, 0);
        return false;
    }
    queue->document = std::move(http);
    return true;
}

bool CupsSpooler::StartPagePrinter(PrinterHandle handle) {
    const OpenQueue* queue = Find(handle);
    return queue && queue->document;
}

bool CupsSpooler::WritePrinter(PrinterHandle handle, const unsigned char* data,
                               std::uint32_t size, std::uint32_t& written) {
    written = 0;
    OpenQueue* queue = Find(handle);
    if (!queue || !queue->document) {
        return false;
    }
    if (cupsWriteRequestData(queue->document.get(), reinterpret_cast<const char*>(data), size) !=
        HTTP_STATUS_CONTINUE) {
        NoteProblem();
        return false;
    }
    written = size;
    return true;
}

bool CupsSpooler::EndPagePrinter(PrinterHandle handle) {
    const OpenQueue* queue = Find(handle);
    return queue && queue->document;
}

bool CupsSpooler::EndDocPrinter(PrinterHandle handle) {
    OpenQueue* queue = Find(handle);
    if (!queue || !queue->document) {
        return false;
    }
    const ipp_status_t status = cupsFinishDocument(queue->document.get(), queue->name.c_str());
    queue->document.reset();
    if (status > IPP_STATUS_OK_EVENTS_COMPLETE) {
        NoteProblem();
        return false;
    }
    return true;
}

void CupsSpooler::CancelLastDocument(PrinterHandle handle) {
    OpenQueue* queue = Find(handle);
    if (!queue || queue->jobId <= 0) {
        return;
    }
    queue->document.reset();
    queue->chunks.clear();
    queue->replyTaken = true;  // whatever comes later belongs to a job given up
    Http http = Connect();
    if (!http) {
        return;  // the scheduler is gone, and with it what it held
    }
    // A job that has ended already cannot be canceled; that answer is no failure here.
    cupsCancelJob2(http.get(), queue->name.c_str(), queue->jobId, 0);
}

std::uint32_t CupsSpooler::GetPrinterData(PrinterHandle handle, const std::string& valueName,
                                          unsigned char* buffer, std::uint32_t bufferSize,
                                          std::uint32_t& reportedSize) {
    reportedSize = 0;
    OpenQueue* queue = Find(handle);
    if (!queue) {
        return kSpoolInvalidHandle;
    }
    if (valueName == "QvMatCheck") {
        return ReadReadiness(*queue, buffer, bufferSize, reportedSize);
    }
    if (valueName == "QvMatRawReadTest") {
        return ReadReply(*queue, buffer, bufferSize, reportedSize);
    }
    return kSpoolNotFound;
}

std::uint32_t CupsSpooler::ReadReadiness(const OpenQueue& queue, unsigned char* buffer,
                                         std::uint32_t bufferSize, std::uint32_t& reportedSize) {
    Http http = Connect();
    if (!http) {
        return kSpoolNotReady;
    }
    static const char* const kWanted[] = {"printer-state", "printer-is-accepting-jobs",
                                          "printer-state-reasons"};
    ipp_t* request = QueueRequest(IPP_OP_GET_PRINTER_ATTRIBUTES, queue.name, kWanted);
    Ipp response = Ask(http.get(), request);
    if (!response) {
        return kSpoolNotReady;
    }
    ipp_attribute_t* state = ippFindAttribute(response.get(), "printer-state", IPP_TAG_ENUM);
    ipp_attribute_t* accepting =
        ippFindAttribute(response.get(), "printer-is-accepting-jobs", IPP_TAG_BOOLEAN);
    ipp_attribute_t* reasonList =
        ippFindAttribute(response.get(), "printer-state-reasons", IPP_TAG_KEYWORD);
    if (!state || !accepting) {
        return kSpoolNotReady;
    }
    std::vector<std::string> reasons;
    for (int i = 0; reasonList && i < ippGetCount(reasonList); ++i) {
        const char* reason = ippGetString(reasonList, i, nullptr);
        reasons.emplace_back(reason ? reason : "");
    }
    reportedSize = kReadyAnswerSize;
    if (bufferSize < kReadyAnswerSize) {
        return kSpoolMoreData;
    }
    const bool ready = QueueReady(ippGetInteger(state, 0), ippGetBoolean(accepting, 0), reasons);
    std::fill(buffer, buffer + kReadyAnswerSize, 0);
    buffer[0] = ready ? 0x00 : 0x01;
    return kSpoolSuccess;
}

std::uint32_t CupsSpooler::ReadReply(OpenQueue& queue, unsigned char* buffer,
                                     std::uint32_t bufferSize, std::uint32_t& reportedSize) {
    if (queue.chunks.empty() && !queue.replyTaken && queue.jobId > 0) {
        Http http = Connect();
        if (!http) {
            return kSpoolNotReady;
        }
        static const char* const kWanted[] = {"job-state", "job-printer-state-message"};
        ipp_t* request = QueueRequest(IPP_OP_GET_JOB_ATTRIBUTES, queue.name, kWanted);
        ippAddInteger(request, IPP_TAG_OPERATION, IPP_TAG_INTEGER, "job-id", queue.jobId);
        Ipp response = Ask(http.get(), request);
        if (!response) {
            return kSpoolNotReady;
        }
        const ReplyReading reading = ReadReplyReport(
            Text(ippFindAttribute(response.get(), "job-printer-state-message", IPP_TAG_ZERO)),
            queue.jobId);
        switch (reading.kind) {
            case ReplyReportKind::kReply:
                for (auto& chunk : ReplyChunks(reading.reply)) {
                    queue.chunks.push_back(std::move(chunk));
                }
                queue.replyTaken = true;
                break;
            case ReplyReportKind::kNoReply:
            case ReplyReportKind::kDamaged:
                // Said once and for all: a cut reply is no reply, never a good one.
                queue.replyTaken = true;
                break;
            case ReplyReportKind::kAbsent:
                break;  // not yet; asked again at the next poll
        }
    }
    if (queue.chunks.empty()) {
        return kSpoolSuccess;  // nothing (yet): size 0
    }
    reportedSize = static_cast<std::uint32_t>(kReplyChunkSize);
    if (bufferSize < kReplyChunkSize) {
        return kSpoolMoreData;  // kept for a caller with a big enough buffer
    }
    std::copy(queue.chunks.front().begin(), queue.chunks.front().end(), buffer);
    queue.chunks.pop_front();
    return kSpoolSuccess;
}

}  // namespace qx7
