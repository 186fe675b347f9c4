#pragma once

// Calls code that may raise a system exception (a foreign library that
// throws through its exports): a C++ catch does not see those. Returns false
// when an exception escaped the call; the call's own stack frames are then
// abandoned, so `call` may hold nothing that needs releasing. Use it only on
// a thread of our own, around a plain call into the foreign code.
bool CallGuarded(void (*call)(void* argument), void* argument);
