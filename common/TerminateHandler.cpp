// Linked into the shipped binaries only. A statically linked C++ runtime installs a verbose
// terminate handler that prints the exception's demangled type name; its demangler alone
// weighs some 75 KB. Nothing reads stderr of a GUI program or of a control inside a host,
// so this replacement keeps the outcome (the process ends) and drops the weight.
#include <cstdlib>

namespace __gnu_cxx {
[[noreturn]] void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
