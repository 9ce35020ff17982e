// The class object of one control class: creates instances through the function it is given.
#pragma once

#include <unknwn.h>

#include "ComObject.h"

namespace usercontrol {

using CreateInstanceFunction = HRESULT (*)(REFIID riid, void** ppv) noexcept;

class ClassFactory final : public common::ComObject<ClassFactory, IClassFactory> {
 public:
  // The new factory, with one reference, or nullptr when out of memory.
  static ClassFactory* Create(CreateInstanceFunction create) noexcept;
  static const QITAB* Interfaces() noexcept;

  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** ppv) noexcept override;
  STDMETHODIMP LockServer(BOOL lock) noexcept override;

 private:
  explicit ClassFactory(CreateInstanceFunction create) noexcept : create_(create) {}
  ~ClassFactory() override = default;

  CreateInstanceFunction create_;
};

}  // namespace usercontrol
