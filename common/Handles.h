// Every owned handle of both binaries: one-line aliases of the one move-only template, plus
// the owner of a VARIANT, which needs VariantInit/VariantClear rather than a close function.
#pragma once

#include <windows.h>

#include <oleauto.h>

#include "UniqueHandle.h"

namespace common::detail {
inline void ReleaseScreenDc(HDC dc) noexcept { ::ReleaseDC(nullptr, dc); }
}  // namespace common::detail

// Fonts, brushes, bitmaps: anything DeleteObject frees.
template <class T>
using UniqueGdiObject = common::UniqueHandle<T, &::DeleteObject>;

using UniqueHwnd = common::UniqueHandle<HWND, &::DestroyWindow>;
using UniqueHicon = common::UniqueHandle<HICON, &::DestroyIcon>;
using UniqueHfont = UniqueGdiObject<HFONT>;
using UniqueHdc = common::UniqueHandle<HDC, &::DeleteDC>;  // a DC of our own making
using UniqueScreenDc = common::UniqueHandle<HDC, &common::detail::ReleaseScreenDc>;
using UniqueHkey = common::UniqueHandle<HKEY, &::RegCloseKey>;
using UniqueKernelHandle = common::UniqueHandle<HANDLE, &::CloseHandle>;
using UniqueHglobal = common::UniqueHandle<HGLOBAL, &::GlobalFree>;
using UniqueBstr = common::UniqueHandle<BSTR, &::SysFreeString>;
using UniqueModule = common::UniqueHandle<HMODULE, &::FreeLibrary>;
using UniqueHmenu = common::UniqueHandle<HMENU, &::DestroyMenu>;

// A VARIANT that is cleared when it goes out of scope. Move-only, so a value is never
// cleared twice; the same get/put/release/reset as the handle owners.
class UniqueVariant {
 public:
  UniqueVariant() noexcept { VariantInit(&value_); }
  UniqueVariant(UniqueVariant&& other) noexcept : value_(other.release()) {}
  UniqueVariant& operator=(UniqueVariant&& other) noexcept {
    if (this != &other) {
      VariantClear(&value_);
      value_ = other.release();
    }
    return *this;
  }
  UniqueVariant(const UniqueVariant&) = delete;
  UniqueVariant& operator=(const UniqueVariant&) = delete;
  ~UniqueVariant() { VariantClear(&value_); }

  VARIANT* get() noexcept { return &value_; }
  const VARIANT* get() const noexcept { return &value_; }
  VARIANT* operator->() noexcept { return &value_; }
  const VARIANT* operator->() const noexcept { return &value_; }
  // Clears the old value first, so the address can be handed to a function that fills it.
  VARIANT* put() noexcept {
    VariantClear(&value_);
    return &value_;
  }
  // Hands the value over; the owner is left empty.
  VARIANT release() noexcept {
    VARIANT out = value_;
    VariantInit(&value_);
    return out;
  }
  // A deep copy of any value (strings duplicated, interfaces AddRef'd) in place of the old.
  HRESULT CopyFrom(const VARIANT& from) noexcept {
    // MinGW declares the source without const; VariantCopy does not change it.
    return VariantCopy(put(), const_cast<VARIANT*>(&from));
  }

 private:
  VARIANT value_;
};
