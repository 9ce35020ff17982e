// Joins the user-control base with the control's own dual interface: one IUnknown for every
// base, and IDispatch answered from the embedded type library.
#pragma once

#include "usercontrol/UserControl.h"

namespace usercontrol {

template <class Dual>
class UserControlWithDual : public UserControl, public Dual {
 public:
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) noexcept override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (IsEqualIID(riid, *Class().dispatchIid) || IsEqualIID(riid, IID_IDispatch)) {
      *ppv = static_cast<Dual*>(this);
      AddRef();
      return S_OK;
    }
    return QueryInterfaceBase(riid, ppv);
  }
  STDMETHODIMP_(ULONG) AddRef() noexcept override { return AddRefBase(); }
  STDMETHODIMP_(ULONG) Release() noexcept override { return ReleaseBase(); }

  STDMETHODIMP GetTypeInfoCount(UINT* count) noexcept override {
    if (!count) return E_POINTER;
    *count = 1;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT index, LCID, ITypeInfo** info) noexcept override {
    if (!info) return E_POINTER;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    return DualTypeInfo(info);
  }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                             DISPID* ids) noexcept override {
    Microsoft::WRL::ComPtr<ITypeInfo> info;
    HRESULT hr = DualTypeInfo(&info);
    if (FAILED(hr)) return hr;
    return info->GetIDsOfNames(names, count, ids);
  }
  STDMETHODIMP Invoke(DISPID dispid, REFIID riid, LCID, WORD flags, DISPPARAMS* params,
                      VARIANT* result, EXCEPINFO* excep, UINT* argErr) noexcept override {
    if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    InitializeIfNeeded();
    Microsoft::WRL::ComPtr<ITypeInfo> info;
    HRESULT hr = DualTypeInfo(&info);
    if (FAILED(hr)) return hr;
    return info->Invoke(static_cast<Dual*>(this), dispid, flags, params, result, excep, argErr);
  }

 protected:
  explicit UserControlWithDual(const ControlClass& cls) noexcept : UserControl(cls) {}
};

}  // namespace usercontrol
