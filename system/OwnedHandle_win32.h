#pragma once
// Owner of a kernel handle, for the Windows implementation files.
#include <windows.h>

#include <memory>

struct KernelHandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using OwnedHandle = std::unique_ptr<void, KernelHandleCloser>;

// Owns what a call returned; empty when it failed (null or INVALID_HANDLE_VALUE).
inline OwnedHandle Own(HANDLE handle) {
    return OwnedHandle(handle == INVALID_HANDLE_VALUE ? nullptr : handle);
}
