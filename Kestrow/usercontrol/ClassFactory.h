// The class object of one control class: creates instances through the function it is given.
#pragma once

#include <unknwn.h>

namespace usercontrol {

using CreateInstanceFunction = HRESULT (*)(REFIID riid, void** ppv) noexcept;

class ClassFactory final : public IClassFactory {
 public:
  // The new factory, with one reference, or nullptr when out of memory.
  static ClassFactory* Create(CreateInstanceFunction create) noexcept;

  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) noexcept override;
  STDMETHODIMP_(ULONG) AddRef() noexcept override;
  STDMETHODIMP_(ULONG) Release() noexcept override;
  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** ppv) noexcept override;
  STDMETHODIMP LockServer(BOOL lock) noexcept override;

 private:
  explicit ClassFactory(CreateInstanceFunction create) noexcept;
  ~ClassFactory();

  LONG refs_ = 1;
  CreateInstanceFunction create_;
};

}  // namespace usercontrol
