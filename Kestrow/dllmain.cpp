// Kestrow.ocx's entry points and its table of class objects (one class, cKestrow).
#include <windows.h>

#include "cKestrow.h"
#include "mKestrow.h"
#include "usercontrol/ClassFactory.h"
#include "usercontrol/Module.h"
#include "usercontrol/Registration.h"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) DisableThreadLibraryCalls(instance);
  // Window classes a DLL registers outlive it unless it removes them; a later load at
  // another address would otherwise find procedures that are gone. At process exit
  // (reserved not null) there is nothing left to protect.
  if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
    usercontrol::UnregisterWindowClass();
    mKestrow::UnregisterWindowClass();
  }
  return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, LPVOID* ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (!IsEqualCLSID(clsid, *cKestrow::Description().clsid)) return CLASS_E_CLASSNOTAVAILABLE;
  return common::QueryFresh(usercontrol::ClassFactory::Create(&cKestrow::Create), riid, ppv);
}

STDAPI DllCanUnloadNow() {
  if (usercontrol::ModuleRefCount() != 0) return S_FALSE;
  // COM unloads the module next; the type library goes with the last control.
  usercontrol::ReleaseModuleTypeLib();
  return S_OK;
}

STDAPI DllRegisterServer() { return usercontrol::RegisterControl(cKestrow::Description()); }

STDAPI DllUnregisterServer() { return usercontrol::UnregisterControl(cKestrow::Description()); }

// regsvr32 /n /i:user registers for the current user only, /u /n /i:user removes that again;
// DllInstall with an empty command line works machine-wide like DllRegisterServer.
STDAPI DllInstall(BOOL install, LPCWSTR commandLine) {
  return usercontrol::InstallControl(cKestrow::Description(), install != FALSE, commandLine);
}
