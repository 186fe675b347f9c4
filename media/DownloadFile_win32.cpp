#include <windows.h>

#include <atomic>
#include <vector>

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

std::wstring WideFromAnsi(const std::string& text) {
    if (text.empty()) return {};
    const int count = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(count), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), count);
    return wide;
}

std::string AnsiFromWide(const wchar_t* text) {
    if (!text || !*text) return {};
    const int count = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (count <= 1) return {};
    std::vector<char> ansi(static_cast<size_t>(count));
    WideCharToMultiByte(CP_ACP, 0, text, -1, ansi.data(), count, nullptr, nullptr);
    return std::string(ansi.data());
}
