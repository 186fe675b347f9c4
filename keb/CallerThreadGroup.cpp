#include "keb/CallerThreadGroup.h"

#include <chrono>
#include <thread>
#include <vector>

#include "keb/ArchiveError.h"

namespace keb {
namespace {

[[noreturn]] void ThrowStopping() { ThrowArchiveError(kKebErrorCancelled, "extraction stopped"); }

}  // namespace

void CallerThreadGroup::Run(size_t count, unsigned threads, unsigned intervalMs,
                            const std::function<void(size_t)>& task, const std::function<void()>& report) {
    count_ = count;
    running_ = threads;
    // Stops the workers before they are joined, however this thread leaves.
    struct StopOnExit {
        CallerThreadGroup& group;
        ~StopOnExit() { group.Fail(nullptr); }
    };
    std::vector<std::jthread> workers;
    StopOnExit stopOnExit{*this};
    for (unsigned t = 0; t < threads; ++t) workers.emplace_back([this, &task] { Work(task); });

    std::unique_lock<std::mutex> guard(lock_);
    for (;;) {
        changed_.wait_for(guard, std::chrono::milliseconds(intervalMs),
                          [this] { return running_ == 0 || failure_; });
        if (failure_) std::rethrow_exception(failure_);
        bool finished = running_ == 0;
        guard.unlock();
        report();
        guard.lock();
        if (finished) return;
    }
}

void CallerThreadGroup::ThrowIfStopping() {
    std::lock_guard<std::mutex> guard(lock_);
    if (stopping_) ThrowStopping();
}

void CallerThreadGroup::Work(const std::function<void(size_t)>& task) {
    try {
        for (;;) {
            size_t k;
            {
                std::lock_guard<std::mutex> guard(lock_);
                if (stopping_ || next_ >= count_) break;
                k = next_++;
            }
            task(k);
        }
    } catch (...) {
        Fail(std::current_exception());
    }
    std::lock_guard<std::mutex> guard(lock_);
    --running_;
    changed_.notify_all();
}

void CallerThreadGroup::Fail(std::exception_ptr failure) {
    std::lock_guard<std::mutex> guard(lock_);
    if (failure && !failure_ && !stopping_) failure_ = failure;
    stopping_ = true;
    changed_.notify_all();
}

}  // namespace keb
