#include <windows.h>

#include <atomic>

#include "media/DownloadFile.h"
#include "media/DownloadTransports_win32.h"

namespace {
std::atomic<bool> gServiceInUse{true};
}  // namespace

bool SystemDownloadServiceInUse() { return gServiceInUse; }

DownloadResult DownloadFile(const DownloadRequest& request) {
    DownloadResult result;
    if (gServiceInUse) {
        const ServiceOutcome outcome = DownloadThroughSystemService(request, result.httpStatus);
        if (outcome != ServiceOutcome::Missing) {
            result.complete = outcome == ServiceOutcome::Downloaded;
            return result;
        }
        // Missing for this run: every later download goes to the HTTP client.
        gServiceInUse = false;
    }
    result.complete = DownloadThroughHttpClient(request, result.httpStatus);
    return result;
}
