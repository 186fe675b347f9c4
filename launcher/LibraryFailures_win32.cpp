// The C++ library's failure points, for a program built without exceptions.
// The library's own helpers (functexcept.o) and operator new throw; linked
// here instead, each ends the launcher as any failure of its own does (exit
// code 11, the private folder removed). They are memory running out, a size
// beyond memory, or a misuse the launcher does not make.
#include <cstdlib>
#include <new>

#include "launcher/Ending.h"

namespace {

void* Allocate(std::size_t size) {
    if (void* block = std::malloc(size ? size : 1)) return block;
    EndNow(kStartFailure);
}

}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }

namespace std {

[[noreturn]] void __throw_bad_alloc() { EndNow(kStartFailure); }
[[noreturn]] void __throw_bad_array_new_length() { EndNow(kStartFailure); }
[[noreturn]] void __throw_length_error(const char*) { EndNow(kStartFailure); }
[[noreturn]] void __throw_bad_cast() { EndNow(kStartFailure); }
[[noreturn]] void __throw_bad_typeid() { EndNow(kStartFailure); }
[[noreturn]] void __throw_bad_exception() { EndNow(kStartFailure); }
[[noreturn]] void __throw_bad_function_call() { EndNow(kStartFailure); }
[[noreturn]] void __throw_logic_error(const char*) { EndNow(kStartFailure); }
[[noreturn]] void __throw_domain_error(const char*) { EndNow(kStartFailure); }
[[noreturn]] void __throw_invalid_argument(const char*) { EndNow(kStartFailure); }
[[noreturn]] void __throw_out_of_range(const char*) { EndNow(kStartFailure); }
[[noreturn]] void __throw_out_of_range_fmt(const char*, ...) { EndNow(kStartFailure); }
[[noreturn]] void __throw_runtime_error(const char*) { EndNow(kStartFailure); }
[[noreturn]] void __throw_range_error(const char*) { EndNow(kStartFailure); }
[[noreturn]] void __throw_overflow_error(const char*) { EndNow(kStartFailure); }
[[noreturn]] void __throw_underflow_error(const char*) { EndNow(kStartFailure); }

}  // namespace std
