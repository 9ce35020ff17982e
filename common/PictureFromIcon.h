// An OLE picture made from an icon, as controls take and hand out pictures.
#pragma once

#include <windows.h>

#include <olectl.h>

namespace common {

// The picture owns the icon from here on; on failure the icon is destroyed, so the caller
// never owns it afterwards either way.
inline HRESULT PictureFromIcon(HICON icon, IPictureDisp** picture) noexcept {
  if (!picture) {
    if (icon) DestroyIcon(icon);
    return E_POINTER;
  }
  *picture = nullptr;
  if (!icon) return E_INVALIDARG;
  PICTDESC desc = {};
  desc.cbSizeofstruct = sizeof(desc);
  desc.picType = PICTYPE_ICON;
  desc.icon.hicon = icon;
  const HRESULT hr =
      OleCreatePictureIndirect(&desc, IID_IPictureDisp, TRUE, reinterpret_cast<void**>(picture));
  if (FAILED(hr)) {
    *picture = nullptr;
    DestroyIcon(icon);
  }
  return hr;
}

}  // namespace common
