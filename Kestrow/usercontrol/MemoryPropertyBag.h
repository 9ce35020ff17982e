// A property bag held in memory, written to and read from a stream: how the control keeps its
// properties for hosts that persist through IPersistStreamInit.
//
// Stream layout (little-endian): "UCPB", version 1, count, then per value its name (length in
// UTF-16 units, then the units), its VARTYPE and its payload: VT_BOOL 2 bytes, VT_I4 4 bytes,
// VT_BSTR a length and UTF-16 units, VT_DISPATCH a presence byte, the object's byte length
// (from version 2 on) and the object as OleSaveToStream writes it. Other types are stored as
// text. Only a standard picture whose bytes pass the picture check (PictureCheck.h) is loaded
// from a stream; any other object counts as absent, except where version 1, which keeps no
// object lengths, leaves no way to step over it: then the stream is refused.
#pragma once

#include <ocidl.h>

#include <string>
#include <vector>

#include <wrl/client.h>

#include "ComObject.h"
#include "Handles.h"

namespace usercontrol {

class MemoryPropertyBag final : public common::ComObject<MemoryPropertyBag, IPropertyBag> {
 public:
  // A counted object, so a control that keeps the bag it was handed keeps it alive; nullptr
  // when out of memory.
  static Microsoft::WRL::ComPtr<MemoryPropertyBag> Create() noexcept;
  static const QITAB* Interfaces() noexcept;

  STDMETHODIMP Read(LPCOLESTR name, VARIANT* value, IErrorLog* log) noexcept override;
  STDMETHODIMP Write(LPCOLESTR name, VARIANT* value) noexcept override;

  HRESULT SaveTo(IStream* stream) const noexcept;
  // Malformed or truncated data gives an error and leaves the bag empty.
  HRESULT LoadFrom(IStream* stream) noexcept;

 private:
  MemoryPropertyBag() noexcept = default;
  ~MemoryPropertyBag() override = default;

  struct Entry {
    std::wstring name;
    UniqueVariant value;
  };
  Entry* Find(LPCOLESTR name) noexcept;

  std::vector<Entry> entries_;
};

}  // namespace usercontrol
