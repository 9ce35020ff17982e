// Linked into the shipped binaries only. The standard library reports a misuse such as a
// string longer than it can hold through these helpers; their own definitions throw
// exception classes that carry a reference-counted string, which drags the library's whole
// old-ABI string and its random-device support (some 80 KB) into a static build. Here each
// throws std::bad_alloc instead: every handler of ours catches either that or anything, and a
// request the library cannot satisfy is, to the caller, as good as running out of memory.
#include <new>

namespace std {
[[noreturn]] void __throw_bad_alloc() { throw bad_alloc(); }
[[noreturn]] void __throw_bad_array_new_length() { throw bad_alloc(); }
[[noreturn]] void __throw_bad_cast() { throw bad_alloc(); }
[[noreturn]] void __throw_bad_typeid() { throw bad_alloc(); }
[[noreturn]] void __throw_bad_exception() { throw bad_alloc(); }
[[noreturn]] void __throw_logic_error(const char*) { throw bad_alloc(); }
[[noreturn]] void __throw_domain_error(const char*) { throw bad_alloc(); }
[[noreturn]] void __throw_invalid_argument(const char*) { throw bad_alloc(); }
[[noreturn]] void __throw_length_error(const char*) { throw bad_alloc(); }
[[noreturn]] void __throw_out_of_range(const char*) { throw bad_alloc(); }
[[noreturn]] void __throw_out_of_range_fmt(const char*, ...) { throw bad_alloc(); }
[[noreturn]] void __throw_runtime_error(const char*) { throw bad_alloc(); }
[[noreturn]] void __throw_range_error(const char*) { throw bad_alloc(); }
[[noreturn]] void __throw_overflow_error(const char*) { throw bad_alloc(); }
[[noreturn]] void __throw_underflow_error(const char*) { throw bad_alloc(); }
}  // namespace std
