#include "installer/uMSIAPI.h"

#include <atomic>

namespace {
std::atomic<MsiApi*> replacement{nullptr};
}

MsiApi& Msi() {
    MsiApi* api = replacement.load();
    return api ? *api : PlatformMsiApi();
}

void UseMsiApi(MsiApi* api) { replacement = api; }
