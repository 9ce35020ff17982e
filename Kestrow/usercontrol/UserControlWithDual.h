// Joins the user-control base with the control's own dual interface: one IUnknown for every
// base, and IDispatch answered from the embedded type library.
#pragma once

#include "usercontrol/UserControl.h"

namespace usercontrol {

template <class Dual>
class UserControlWithDual : public common::ComObject<UserControlWithDual<Dual>, UserControl, Dual> {
  using Base = common::ComObject<UserControlWithDual<Dual>, UserControl, Dual>;

 public:
  static const QITAB* Interfaces() noexcept {
    return UserControl::InterfacesOf<UserControlWithDual>();
  }
  // The dual interface by its own IID is the IDispatch entry: one pointer for both.
  const IID& Alias(REFIID riid) const noexcept {
    return IsEqualIID(riid, *this->Class().dispatchIid) ? IID_IDispatch : riid;
  }

  STDMETHODIMP GetTypeInfoCount(UINT* count) noexcept override {
    if (!count) return E_POINTER;
    *count = 1;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT index, LCID, ITypeInfo** info) noexcept override {
    if (!info) return E_POINTER;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    return this->DualTypeInfo(info);
  }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                             DISPID* ids) noexcept override {
    Microsoft::WRL::ComPtr<ITypeInfo> info;
    HRESULT hr = this->DualTypeInfo(&info);
    if (FAILED(hr)) return hr;
    return info->GetIDsOfNames(names, count, ids);
  }
  STDMETHODIMP Invoke(DISPID dispid, REFIID riid, LCID, WORD flags, DISPPARAMS* params,
                      VARIANT* result, EXCEPINFO* excep, UINT* argErr) noexcept override {
    if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    this->InitializeIfNeeded();
    Microsoft::WRL::ComPtr<ITypeInfo> info;
    HRESULT hr = this->DualTypeInfo(&info);
    if (FAILED(hr)) return hr;
    return info->Invoke(static_cast<Dual*>(this), dispid, flags, params, result, excep, argErr);
  }

 protected:
  explicit UserControlWithDual(const ControlClass& cls) noexcept : Base(cls) {}
};

}  // namespace usercontrol
