// A VARIANT that clears itself: move-only, so a value is never cleared twice.
#pragma once

#include <windows.h>

#include <oleauto.h>

namespace forms {

class ComVariant {
 public:
  ComVariant() noexcept { VariantInit(&v_); }
  ~ComVariant() { VariantClear(&v_); }
  ComVariant(ComVariant&& other) noexcept : v_(other.v_) { VariantInit(&other.v_); }
  ComVariant& operator=(ComVariant&& other) noexcept {
    if (this != &other) {
      VariantClear(&v_);
      v_ = other.v_;
      VariantInit(&other.v_);
    }
    return *this;
  }
  ComVariant(const ComVariant&) = delete;
  ComVariant& operator=(const ComVariant&) = delete;

  const VARIANT& get() const noexcept { return v_; }
  VARIANT& get() noexcept { return v_; }

  // Clears the old value first, so the address can be handed to a function that fills it.
  VARIANT* put() noexcept {
    VariantClear(&v_);
    return &v_;
  }

  // Takes over a value that nobody else will clear.
  void Attach(VARIANT& value) noexcept {
    VariantClear(&v_);
    v_ = value;
    VariantInit(&value);
  }

  // Hands the value over; the wrapper is left empty.
  VARIANT Detach() noexcept {
    VARIANT out = v_;
    VariantInit(&v_);
    return out;
  }

  // A deep copy of any value (strings duplicated, interfaces AddRef'd).
  static HRESULT Copy(const VARIANT& from, ComVariant& to) noexcept {
    // MinGW declares the source without const; VariantCopy does not change it.
    return VariantCopy(to.put(), const_cast<VARIANT*>(&from));
  }

 private:
  VARIANT v_;
};

}  // namespace forms
