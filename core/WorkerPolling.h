#pragma once
#include <functional>

// The one loop that keeps the dialog on screen alive while a long operation
// runs on a worker thread (plug-ins, programs, archive extraction, the file
// search, web media blocks). The worker runs `work` once and then wakes this
// thread; an exception escaping `work` is thrown again here at the end. Until it is done, this
// thread calls `poll` (publish the progress, pass the user's cancel request
// on), then processes one window message, or in a silent run simply waits
// for the worker. `poll` runs once more after the worker has ended. The
// long-operation flag is set meanwhile, so the dialog timers refresh.
// Silent as the run is (the start-up values), or as the caller says (media/
// and installer/ take that from their request).
void RunPolledWorker(const std::function<void()>& work, const std::function<void()>& poll);
void RunPolledWorker(const std::function<void()>& work, const std::function<void()>& poll, bool silent);
