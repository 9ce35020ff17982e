#include "usercontrol/ClassFactory.h"

#include <new>

#include "usercontrol/ComResult.h"
#include "usercontrol/Module.h"

namespace usercontrol {

ClassFactory* ClassFactory::Create(CreateInstanceFunction create) noexcept {
  return new (std::nothrow) ClassFactory(create);
}

ClassFactory::ClassFactory(CreateInstanceFunction create) noexcept : create_(create) {
  ModuleAddRef();
}

ClassFactory::~ClassFactory() { ModuleRelease(); }

STDMETHODIMP ClassFactory::QueryInterface(REFIID riid, void** ppv) noexcept {
  RETURN_IF_NULL(ppv);
  *ppv = nullptr;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
    *ppv = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
  }
  return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) ClassFactory::AddRef() noexcept { return InterlockedIncrement(&refs_); }

STDMETHODIMP_(ULONG) ClassFactory::Release() noexcept {
  ULONG refs = InterlockedDecrement(&refs_);
  if (refs == 0) delete this;
  return refs;
}

STDMETHODIMP ClassFactory::CreateInstance(IUnknown* outer, REFIID riid, void** ppv) noexcept {
  RETURN_IF_NULL(ppv);
  *ppv = nullptr;
  if (outer) return CLASS_E_NOAGGREGATION;
  return create_(riid, ppv);
}

STDMETHODIMP ClassFactory::LockServer(BOOL lock) noexcept {
  if (lock) {
    ModuleAddRef();
  } else {
    ModuleRelease();
  }
  return S_OK;
}

}  // namespace usercontrol
