#pragma once
#include <cstdint>

// The launcher is built without exceptions (their runtime would be a third
// of it), so a failure deep inside ends the program on the spot, here: the
// files being written are closed and deleted, the progress window goes and
// the private folder is removed before the program ends with exitCode.
[[noreturn]] void EndNow(uint32_t exitCode);

inline constexpr uint32_t kStartFailure = 11;  // as the engine's own start-up failure
inline constexpr uint32_t kCancelled = 1602;   // ERROR_INSTALL_USEREXIT
