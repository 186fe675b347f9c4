#pragma once
#include <stdexcept>

// Raised by the host side of a platform service that only Windows can
// perform (restarting the machine and the like); the interpreter reports it
// as a script error naming the command.
class NeedsWindows : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
