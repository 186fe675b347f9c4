#include "core/WorkerPolling.h"

#include <atomic>
#include <exception>
#include <thread>

#include "core/StartupValues.h"
#include "core/ProgressState.h"
#include "system/MessagePump.h"

namespace {

// Clears the long-operation flag on every way out of the loop.
class LongOperationScope {
public:
    LongOperationScope() { SetLongOperation(true); }
    ~LongOperationScope() { SetLongOperation(false); }
    LongOperationScope(const LongOperationScope&) = delete;
    LongOperationScope& operator=(const LongOperationScope&) = delete;
};

}  // namespace

void RunPolledWorker(const std::function<void()>& work, const std::function<void()>& poll) {
    RunPolledWorker(work, poll, Startup().silent);
}

void RunPolledWorker(const std::function<void()>& work, const std::function<void()>& poll, bool silent) {
    std::atomic<bool> done{false};
    std::exception_ptr failure;
    RegisterWaitingThread();
    std::thread worker([&done, &failure, &work] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
        done = true;
        WakeWaitingThread();
    });
    // Joined on every way out: a thread object destroyed while running ends the process.
    struct Joiner {
        std::thread& thread;
        ~Joiner() {
            if (thread.joinable()) thread.join();
        }
    } joiner{worker};
    LongOperationScope running;
    while (!done) {
        poll();
        if (silent) worker.join();
        else ProcessOneMessage();
    }
    if (worker.joinable()) worker.join();
    poll();
    if (failure) std::rethrow_exception(failure);
}
