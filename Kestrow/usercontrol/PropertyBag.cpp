#include "usercontrol/PropertyBag.h"

namespace usercontrol {

HRESULT PropertyBag::ReadProperty(const wchar_t* name, const VARIANT& fallback,
                                  VARIANT* value) noexcept {
  if (!value) return E_POINTER;
  VariantInit(value);
  HRESULT hr = bag_->Read(name, value, log_);
  // E_INVALIDARG is how IPropertyBag::Read says the name is absent.
  if (hr == E_INVALIDARG) {
    VariantClear(value);
    return VariantCopy(value, const_cast<VARIANT*>(&fallback));
  }
  return hr;
}

HRESULT PropertyBag::WriteProperty(const wchar_t* name, const VARIANT& value) noexcept {
  return bag_->Write(name, const_cast<VARIANT*>(&value));
}

}  // namespace usercontrol
