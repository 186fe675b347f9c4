#include <windows.h>

#include <atomic>

#include "media/DownloadFile.h"
#include "media/DownloadTransports_win32.h"

namespace {
std::atomic<bool> gServiceInUse{true};
}  // namespace

bool SystemDownloadServiceInUse() { return gServiceInUse; }

bool DownloadFile(const DownloadRequest& request) {
    if (gServiceInUse) {
        const ServiceOutcome outcome = DownloadThroughSystemService(request);
        if (outcome != ServiceOutcome::Missing) return outcome == ServiceOutcome::Downloaded;
        // Missing for this run: every later download goes to the HTTP client.
        gServiceInUse = false;
    }
    return DownloadThroughHttpClient(request);
}
