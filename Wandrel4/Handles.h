// One move-only owner for each kind of handle the program holds.
#pragma once

#include <windows.h>

#include <utility>

template <typename T, auto Close, T Invalid = T{}>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(T value) noexcept : value_(value) {}
  UniqueHandle(UniqueHandle&& other) noexcept : value_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    reset(other.release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() { reset(); }

  T get() const noexcept { return value_; }
  explicit operator bool() const noexcept { return value_ != Invalid; }
  T release() noexcept { return std::exchange(value_, Invalid); }
  void reset(T value = Invalid) noexcept {
    if (value_ != Invalid) Close(value_);
    value_ = value;
  }
  // Releases the old value before handing out the address to fill.
  T* put() noexcept {
    reset();
    return &value_;
  }

 private:
  T value_ = Invalid;
};

using UniqueHwnd = UniqueHandle<HWND, &DestroyWindow>;
using UniqueHicon = UniqueHandle<HICON, &DestroyIcon>;
using UniqueHfont = UniqueHandle<HFONT, &DeleteObject>;
using UniqueHdc = UniqueHandle<HDC, &DeleteDC>;
