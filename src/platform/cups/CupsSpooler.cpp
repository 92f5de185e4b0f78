#include "platform/cups/CupsSpooler.h"

#include <cups/cups.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <memory>

namespace qx7 {
namespace {

constexpr std::uint32_t kReadyAnswerSize = 4;

struct HttpClose {
    void operator()(http_t* http) const { httpClose(http); }
};
struct IppDelete {
    void operator()(ipp_t* ipp) const { ippDelete(ipp); }
};
using Http = std::unique_ptr<http_t, HttpClose>;
using Ipp = std::unique_ptr<ipp_t, IppDelete>;

// libcups asks this whenever a request waits longer than the connection's timeout: 0 gives up,
// so a scheduler that accepts but never answers cannot hold the caller.
int GiveUp(http_t* /*http*/, void* /*data*/) {
    return 0;
}

Http Connect(const std::string& host, int port, int timeoutMs) {
    Http http(httpConnect2(host.c_str(), port, nullptr, AF_UNSPEC, HTTP_ENCRYPTION_IF_REQUESTED, 1,
                           timeoutMs, nullptr));
    if (http) {
        httpSetTimeout(http.get(), timeoutMs / 1000.0, GiveUp, nullptr);
    }
    return http;
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

bool CupsSpooler::EnumPrinters(std::vector<PrinterRecord>& records) {
    records.clear();
    Http http = Connect(host_, port_, timeoutMs_);
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
        return false;
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
    Http http = Connect(host_, port_, timeoutMs_);
    if (!http) {
        return false;
    }
    // The queue must exist now; what it can do is asked when it is used.
    ipp_t* request = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr,
                 PrinterUri(name).c_str());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", nullptr,
                 "printer-name");
    if (!Ask(http.get(), request)) {
        return false;
    }
    std::lock_guard lock(mutex_);
    handle = nextHandle_++;
    queues_[handle] = name;
    return true;
}

void CupsSpooler::ClosePrinter(PrinterHandle handle) {
    std::lock_guard lock(mutex_);
    queues_.erase(handle);
}

std::string CupsSpooler::QueueOf(PrinterHandle handle) {
    std::lock_guard lock(mutex_);
    const auto it = queues_.find(handle);
    return it == queues_.end() ? std::string() : it->second;
}

// Not yet: the command job through the queue's filter.
bool CupsSpooler::StartDocPrinter(PrinterHandle, const std::string&, const std::string&) {
    return false;
}
bool CupsSpooler::StartPagePrinter(PrinterHandle) {
    return false;
}
bool CupsSpooler::WritePrinter(PrinterHandle, const unsigned char*, std::uint32_t,
                               std::uint32_t& written) {
    written = 0;
    return false;
}
bool CupsSpooler::EndPagePrinter(PrinterHandle) {
    return false;
}
bool CupsSpooler::EndDocPrinter(PrinterHandle) {
    return false;
}

std::uint32_t CupsSpooler::GetPrinterData(PrinterHandle handle, const std::string& valueName,
                                          unsigned char* buffer, std::uint32_t bufferSize,
                                          std::uint32_t& reportedSize) {
    reportedSize = 0;
    const std::string queue = QueueOf(handle);
    if (queue.empty()) {
        return kSpoolInvalidHandle;
    }
    // Not yet: "QvMatRawReadTest", the reply of the last command job.
    if (valueName != "QvMatCheck") {
        return kSpoolNotFound;
    }
    Http http = Connect(host_, port_, timeoutMs_);
    if (!http) {
        return kSpoolNotReady;
    }
    ipp_t* request = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr,
                 PrinterUri(queue).c_str());
    static const char* const kWanted[] = {"printer-state", "printer-is-accepting-jobs",
                                          "printer-state-reasons"};
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                  static_cast<int>(std::size(kWanted)), nullptr, kWanted);
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

}  // namespace qx7
