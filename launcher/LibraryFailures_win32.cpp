// Linked into the launcher in place of the C++ library's own helpers that
// throw its standard exceptions (functexcept.o). Those build std::logic_error
// and its kin, whose texts live in the library's old reference-counted string;
// that string's code and what it pulls in (random_device, a second string
// implementation) would be a third of the launcher. The launcher ends every
// such failure alike (exit code 11, its private folder removed), so the kind
// does not matter there; running out of memory stays std::bad_alloc.
#include <new>
#include <typeinfo>

#include "launcher/LauncherError.h"

namespace std {

[[noreturn]] void __throw_bad_alloc() { throw bad_alloc(); }
[[noreturn]] void __throw_bad_array_new_length() { throw bad_alloc(); }
[[noreturn]] void __throw_length_error(const char*) { throw bad_alloc(); }  // a size beyond memory
[[noreturn]] void __throw_bad_cast() { throw bad_cast(); }
[[noreturn]] void __throw_bad_typeid() { throw bad_typeid(); }
[[noreturn]] void __throw_bad_exception() { throw bad_exception(); }
[[noreturn]] void __throw_logic_error(const char* what) { throw LauncherError(what); }
[[noreturn]] void __throw_domain_error(const char* what) { throw LauncherError(what); }
[[noreturn]] void __throw_invalid_argument(const char* what) { throw LauncherError(what); }
[[noreturn]] void __throw_out_of_range(const char* what) { throw LauncherError(what); }
[[noreturn]] void __throw_out_of_range_fmt(const char* format, ...) { throw LauncherError(format); }
[[noreturn]] void __throw_runtime_error(const char* what) { throw LauncherError(what); }
[[noreturn]] void __throw_range_error(const char* what) { throw LauncherError(what); }
[[noreturn]] void __throw_overflow_error(const char* what) { throw LauncherError(what); }
[[noreturn]] void __throw_underflow_error(const char* what) { throw LauncherError(what); }

}  // namespace std
