#include "usercontrol/ClassFactory.h"

#include <new>

#include "ComResult.h"
#include "usercontrol/Module.h"

namespace usercontrol {

ClassFactory* ClassFactory::Create(CreateInstanceFunction create) noexcept {
  return new (std::nothrow) ClassFactory(create);
}

const QITAB* ClassFactory::Interfaces() noexcept {
  static const QITAB table[] = {QITABENT(ClassFactory, IClassFactory), {}};
  return table;
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
