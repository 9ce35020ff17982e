// The property bag a control's persistence handlers see: named values read with a default
// and written without one, over whatever bag the host provides.
#pragma once

#include <ocidl.h>

namespace usercontrol {

class PropertyBag {
 public:
  PropertyBag(IPropertyBag* bag, IErrorLog* log) noexcept : bag_(bag), log_(log) {}

  // The stored value, or a copy of fallback when the bag holds no value of that name.
  // Any other failure of the host's bag is returned.
  HRESULT ReadProperty(const wchar_t* name, const VARIANT& fallback, VARIANT* value) noexcept;
  HRESULT WriteProperty(const wchar_t* name, const VARIANT& value) noexcept;

 private:
  IPropertyBag* bag_;
  IErrorLog* log_;
};

}  // namespace usercontrol
