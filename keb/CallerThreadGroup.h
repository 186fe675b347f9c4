#pragma once
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>

namespace keb {

// Runs numbered tasks on worker threads while the calling thread keeps
// everything that calls back to the library's caller: it reports progress
// at intervals, so callbacks never run on a thread the caller did not make.
class CallerThreadGroup {
public:
    // Runs task(0) .. task(count - 1), each once, on `threads` threads and
    // calls report() on this thread every `intervalMs` and at the end. The
    // first failure, of a task or of report(), stops the other tasks and is
    // thrown once every worker has stopped.
    void Run(size_t count, unsigned threads, unsigned intervalMs, const std::function<void(size_t)>& task,
             const std::function<void()>& report);

    // From a task: throws ArchiveError (cancelled) when the group is stopping.
    void ThrowIfStopping();

private:
    void Work(const std::function<void(size_t)>& task);
    void Fail(std::exception_ptr failure);

    std::mutex lock_;
    std::condition_variable changed_;
    size_t next_ = 0, count_ = 0;
    unsigned running_ = 0;
    bool stopping_ = false;
    std::exception_ptr failure_;
};

}  // namespace keb
