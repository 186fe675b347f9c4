#pragma once

// The waiting side of a worker thread: the thread that started the worker
// processes its window messages until the worker wakes it.

// Processes one window message of the calling thread, or waits briefly for
// one when there is none.
void ProcessOneMessage();
// Remembers the calling thread as the one WakeWaitingThread wakes.
void RegisterWaitingThread();
// Wakes the registered thread from its message wait (a null message).
void WakeWaitingThread();
