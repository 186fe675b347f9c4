#pragma once
// Downloads one file from a URL. Two transports, in this order: the system's
// URL download service (urlmon, with the user's own proxy and cache
// settings); where that service is missing, the platform's HTTP client
// (WinHTTP) with explicit proxy settings and byte-range resume. Either
// treats an HTTP error status, a range it did not ask for and a body
// shorter than its Content-Length as a failed download (DownloadProgress's
// ReadGetAnswer).
#include <functional>
#include <string>

struct DownloadRequest {
    std::string url;
    std::string destination;
    std::string proxyServer;
    std::string proxyPort;
    std::string proxyUser;
    std::string proxyPassword;
    // Continue a partial destination file (the HTTP client), or keep the
    // service's cache file (the system service).
    bool resume = false;
    // (percentage, status line) → false to stop the transfer.
    std::function<bool(int, const std::string&)> progress;
};

// What a download came to: complete when the whole file is at the
// destination; else the HTTP status of the last answer (0: no server
// answered) tells why. A failed or stopped download leaves a partial
// destination file (and its validator) for a later resume.
struct DownloadResult {
    bool complete = false;
    unsigned httpStatus = 0;
};
DownloadResult DownloadFile(const DownloadRequest& request);

// Whether the system download service is in use: true until its library or
// an entry point of it is found missing, then false for the rest of the run.
bool SystemDownloadServiceInUse();
