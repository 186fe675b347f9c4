// Linked into kebstub.exe and keb.dll in place of the C++ library's verbose
// terminate handler, which only prints the uncaught exception's demangled
// type to a standard error stream that a Windows program does not have, and
// brings the whole name demangler (46 KB) along. Both end the same way.
#include <cstdlib>

namespace __gnu_cxx {

[[noreturn]] void __verbose_terminate_handler() { std::abort(); }

}  // namespace __gnu_cxx
