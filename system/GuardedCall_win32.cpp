#include "system/GuardedCall.h"

#include <windows.h>
#include <intrin.h>

// An exception that nothing in the foreign code handles reaches the
// process's unhandled-exception filter on the thread that raised it. When
// that thread is inside a guarded call, the filter jumps straight back to
// the guard (a plain register restore, no unwinding through the foreign
// frames) instead of ending the process.
namespace {

thread_local void* tReturnPoint[5];
thread_local bool tGuarded = false;
#if defined(__i386__)
// The thread's chain of exception registrations at the guard: the foreign
// frames' registrations are dropped with their frames.
thread_local DWORD tChain = 0;
#endif
LPTOP_LEVEL_EXCEPTION_FILTER gPreviousFilter = nullptr;

LONG WINAPI ReturnToGuard(EXCEPTION_POINTERS* exception) {
    if (tGuarded) {
        tGuarded = false;
#if defined(__i386__)
        __writefsdword(0, tChain);
#endif
        __builtin_longjmp(tReturnPoint, 1);
    }
    return gPreviousFilter ? gPreviousFilter(exception) : EXCEPTION_CONTINUE_SEARCH;
}

}  // namespace

__attribute__((noinline)) bool CallGuarded(void (*call)(void* argument), void* argument) {
    static const bool installed = [] {
        gPreviousFilter = SetUnhandledExceptionFilter(ReturnToGuard);
        return true;
    }();
    (void)installed;
#if defined(__i386__)
    tChain = __readfsdword(0);
#endif
    if (__builtin_setjmp(tReturnPoint)) return false;
    tGuarded = true;
    call(argument);
    tGuarded = false;
    return true;
}
