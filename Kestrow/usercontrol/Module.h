// The module the control library's code lives in: its instance handle, its file path and the
// count of live objects and locks that decides whether it may be unloaded.
#pragma once

#include <windows.h>

#include <string>

namespace usercontrol {

// The image this code is linked into: the .ocx, or a test executable that links it statically.
HINSTANCE ModuleInstance() noexcept;
std::wstring ModulePath();

// Every live object and every IClassFactory::LockServer(TRUE) holds one count.
void ModuleAddRef() noexcept;
void ModuleRelease() noexcept;
LONG ModuleRefCount() noexcept;

}  // namespace usercontrol
