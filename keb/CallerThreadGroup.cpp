#include "keb/CallerThreadGroup.h"

#include <chrono>
#include <thread>
#include <utility>
#include <vector>

#include "keb/ArchiveError.h"

namespace keb {
namespace {

[[noreturn]] void ThrowStopping() { throw ArchiveError(kKebErrorCancelled, "extraction stopped"); }

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
                          [this] { return running_ == 0 || failure_ || (question_ && !answered_); });
        if (failure_) std::rethrow_exception(failure_);
        if (question_ && !answered_) {
            AnswerQuestion(guard);
            continue;
        }
        bool finished = running_ == 0;
        guard.unlock();
        report();
        guard.lock();
        if (finished) return;
    }
}

void CallerThreadGroup::AnswerQuestion(std::unique_lock<std::mutex>& guard) {
    const std::function<void()>& question = *question_;
    answering_ = true;
    guard.unlock();
    std::exception_ptr failure;
    try {
        question();
    } catch (...) {
        failure = std::current_exception();
    }
    guard.lock();
    answering_ = false;
    answerFailure_ = failure;
    answered_ = true;
    changed_.notify_all();
}

void CallerThreadGroup::Ask(const std::function<void()>& question) {
    std::unique_lock<std::mutex> guard(lock_);
    changed_.wait(guard, [this] { return stopping_ || !question_; });  // one question at a time
    if (stopping_) ThrowStopping();
    question_ = &question;
    answered_ = false;
    changed_.notify_all();
    // A question being answered is waited for even when stopping: the
    // answer runs on this thread's question object.
    changed_.wait(guard, [this] { return answered_ || (stopping_ && !answering_); });
    question_ = nullptr;
    changed_.notify_all();
    if (answerFailure_) std::rethrow_exception(std::exchange(answerFailure_, nullptr));
    if (!answered_) ThrowStopping();
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
