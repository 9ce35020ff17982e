// RAII owners for the Win32 and OLE handles the control library uses: one move-only template,
// one alias per handle kind.
#pragma once

#include <oleauto.h>
#include <windows.h>

#include "UniqueHandle.h"

namespace usercontrol {

template <class T, auto Close, T Invalid = T{}>
using UniqueHandle = common::UniqueHandle<T, Close, Invalid>;

using UniqueHwnd = UniqueHandle<HWND, &::DestroyWindow>;
using UniqueHicon = UniqueHandle<HICON, &::DestroyIcon>;
using UniqueHkey = UniqueHandle<HKEY, &::RegCloseKey>;
using UniqueBstr = UniqueHandle<BSTR, &::SysFreeString>;
using UniqueHglobal = UniqueHandle<HGLOBAL, &::GlobalFree>;
inline void ReleaseScreenDc(HDC dc) noexcept { ::ReleaseDC(nullptr, dc); }
using UniqueScreenDc = UniqueHandle<HDC, &ReleaseScreenDc>;

// A VARIANT that is cleared when it goes out of scope.
class UniqueVariant {
 public:
  UniqueVariant() noexcept { VariantInit(&value_); }
  UniqueVariant(UniqueVariant&& other) noexcept : value_(other.value_) {
    VariantInit(&other.value_);
  }
  UniqueVariant& operator=(UniqueVariant&& other) noexcept {
    if (this != &other) {
      VariantClear(&value_);
      value_ = other.value_;
      VariantInit(&other.value_);
    }
    return *this;
  }
  UniqueVariant(const UniqueVariant&) = delete;
  UniqueVariant& operator=(const UniqueVariant&) = delete;
  ~UniqueVariant() { VariantClear(&value_); }

  VARIANT* get() noexcept { return &value_; }
  const VARIANT* get() const noexcept { return &value_; }
  VARIANT* put() noexcept {
    VariantClear(&value_);
    return &value_;
  }
  VARIANT* operator->() noexcept { return &value_; }
  const VARIANT* operator->() const noexcept { return &value_; }

 private:
  VARIANT value_;
};

}  // namespace usercontrol
