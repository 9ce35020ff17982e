// The module the control library's code lives in: its instance handle, its file path, its
// type library and the count of live objects and locks that decides whether it may be
// unloaded.
#pragma once

#include <windows.h>

#include <oaidl.h>

#include <string>

#include "ComObject.h"

namespace usercontrol {

// The image this code is linked into: the .ocx, or a test executable that links it statically.
HINSTANCE ModuleInstance() noexcept;
std::wstring ModulePath();

// Every live object and window and every IClassFactory::LockServer(TRUE) holds one count.
inline void ModuleAddRef() noexcept { common::ModuleLock(); }
inline void ModuleRelease() noexcept { common::ModuleUnlock(); }
inline LONG ModuleRefCount() noexcept { return common::ModuleLocks(); }

// The module's own type library (resource TYPELIB 1), loaded at the first call and kept until
// ReleaseModuleTypeLib, so that dispatch does not read the file again per object or per call.
HRESULT ModuleTypeLib(ITypeLib** lib) noexcept;
// For an unload: the module's objects are gone, so nobody needs the library any more.
void ReleaseModuleTypeLib() noexcept;

}  // namespace usercontrol
