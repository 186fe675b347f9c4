// Linked into the launcher in place of the winpthread library. The C++
// runtime's thread_local support (emutls: a failure reason's text is kept
// per thread) calls a handful of POSIX thread functions; the library behind
// them would be a fifth of the launcher. These are the same calls on Win32,
// with winpthread's types and static initialisers (pthread.h): a mutex is a
// pointer-sized word, a once-flag a long, a key a TLS index.
//
// The launcher runs its code on one thread, so the locks here are the
// simplest that are still correct: a mutex spins (yielding) rather than
// queueing waiters, and is not recursive; a key's destructor is not run when
// a thread ends. Only calls of Windows XP, like the rest of the program.
#include <windows.h>

#include <cerrno>
#include <cstdint>

namespace {

// A mutex word: 1 while held; anything else (0 or one of winpthread's static
// initialisers, -1 to -3) is free.
constexpr intptr_t kHeld = 1;

PVOID volatile* Word(intptr_t* mutex) { return reinterpret_cast<PVOID volatile*>(mutex); }

}  // namespace

extern "C" {

int pthread_mutex_init(intptr_t* mutex, const void*) {
    *mutex = 0;
    return 0;
}

int pthread_mutex_lock(intptr_t* mutex) {
    for (;;) {
        PVOID seen = *Word(mutex);
        if (reinterpret_cast<intptr_t>(seen) != kHeld &&
            InterlockedCompareExchangePointer(Word(mutex), reinterpret_cast<PVOID>(kHeld), seen) == seen)
            return 0;
        SwitchToThread();
    }
}

int pthread_mutex_unlock(intptr_t* mutex) {
    InterlockedExchangePointer(Word(mutex), nullptr);
    return 0;
}

// 0: not run, 1: running, 2: done. Latecomers wait for the first caller.
int pthread_once(long* once, void (*run)()) {
    volatile long* state = once;
    if (*state == 2) return 0;
    if (InterlockedCompareExchange(state, 1, 0) == 0) {
        run();
        InterlockedExchange(state, 2);
        return 0;
    }
    while (*state != 2) SwitchToThread();
    return 0;
}

int pthread_key_create(unsigned* key, void (*)(void*)) {
    DWORD index = TlsAlloc();
    if (index == TLS_OUT_OF_INDEXES) return EAGAIN;
    *key = index;
    return 0;
}

void* pthread_getspecific(unsigned key) {
    DWORD error = GetLastError();  // TlsGetValue clears it; callers do not expect that
    void* value = TlsGetValue(key);
    SetLastError(error);
    return value;
}

int pthread_setspecific(unsigned key, const void* value) {
    return TlsSetValue(key, const_cast<void*>(value)) ? 0 : EINVAL;
}

// In place of the C++ runtime's own (atexit_thread.o), which is built with
// exceptions and would bring their whole runtime along. The launcher has one
// thread, whose thread_local objects (a failure reason's text) hold nothing
// but memory; they live until the process ends.
int __cxa_thread_atexit(void (*)(void*), void*, void*) { return 0; }

}  // extern "C"
