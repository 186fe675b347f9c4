#include <windows.h>

#include <memory>

#include "system/SystemMessage.h"

namespace {
struct LocalFreeDeleter {
    void operator()(char* buffer) const { LocalFree(buffer); }
};
}  // namespace

std::string SystemMessageText(unsigned code) {
    char* buffer = nullptr;
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS |
                                      FORMAT_MESSAGE_ALLOCATE_BUFFER,
                                  nullptr, code, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    std::unique_ptr<char, LocalFreeDeleter> owned(buffer);
    return length > 0 && owned ? std::string(owned.get(), length) : std::string();
}
