#include <chrono>
#include <thread>

#include "system/MessagePump.h"

// The host has no window messages: waiting is a short sleep.
void ProcessOneMessage() { std::this_thread::sleep_for(std::chrono::milliseconds(2)); }
void RegisterWaitingThread() {}
void WakeWaitingThread() {}
