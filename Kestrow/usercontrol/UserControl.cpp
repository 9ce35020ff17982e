// The control object's core: construction and teardown, its window, its reference count and
// interface table, and the services a control calls (ambient UserMode, PropertyChanged,
// Picture, size, events). The interface families live in their own files.
#include "usercontrol/UserControl.h"

#include <shlwapi.h>

#include "ComResult.h"
#include "WindowClass.h"
#include "usercontrol/Enumerator.h"
#include "usercontrol/Module.h"
#include "usercontrol/Units.h"

using Microsoft::WRL::ComPtr;

namespace usercontrol {
namespace {

constexpr wchar_t kWindowClass[] = L"UserControlWindow";

// The window's extra bytes hold the object, so that GWLP_USERDATA stays free for the control.
constexpr int kObjectSlot = 0;

bool RegisterWindowClass(WNDPROC proc) noexcept {
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof(wc);
  wc.style = CS_DBLCLKS;
  wc.cbWndExtra = sizeof(LONG_PTR);
  wc.hInstance = ModuleInstance();
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kWindowClass;
  wc.lpfnWndProc = proc;
  return common::RegisterWindowClass(wc);
}

}  // namespace

void UnregisterWindowClass() noexcept { UnregisterClassW(kWindowClass, ModuleInstance()); }

UserControl::UserControl(const ControlClass& cls) noexcept
    : class_(cls), events_(this, *cls.eventsIid), propertyNotify_(this, IID_IPropertyNotifySink) {
  CreateOleAdviseHolder(&adviseHolder_);
  if (RegisterWindowClass(&UserControl::WindowProc)) {
    // Parked as a hidden top-level window until a host activates the control in place.
    CreateWindowExW(WS_EX_TOOLWINDOW, kWindowClass, L"", WS_POPUP | WS_CLIPSIBLINGS, 0, 0, 0, 0,
                    nullptr, nullptr, ModuleInstance(), this);
  }
}

UserControl::~UserControl() {
  events_.Clear();
  propertyNotify_.Clear();
  window_.reset();
}

// WM_NCCREATE stores the object before any other message needs it; WM_NCDESTROY forgets it.
LRESULT CALLBACK UserControl::WindowProc(HWND hwnd, UINT msg, WPARAM wParam,
                                         LPARAM lParam) noexcept {
  if (msg == WM_NCCREATE) {
    // A live window of the library keeps the library loaded (DllCanUnloadNow), whoever
    // destroys it and whenever.
    ModuleAddRef();
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    auto* self = static_cast<UserControl*>(create->lpCreateParams);
    SetWindowLongPtrW(hwnd, kObjectSlot, reinterpret_cast<LONG_PTR>(self));
    self->window_.reset(hwnd);
  }
  if (msg == WM_NCDESTROY) ModuleRelease();
  auto* self = reinterpret_cast<UserControl*>(GetWindowLongPtrW(hwnd, kObjectSlot));
  if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, kObjectSlot, 0);
    // Destroyed from outside (the host's window went first): the handle is no longer ours.
    self->window_.release();
    return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
  return self->HandleMessage(msg, wParam, lParam);
}

LRESULT UserControl::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
  HWND hwnd = window_.get();
  if (msg == WM_PAINT) {
    PAINTSTRUCT ps;
    if (HDC dc = BeginPaint(hwnd, &ps)) {
      PaintSurface(dc, ScaleWidth(), ScaleHeight());
      EndPaint(hwnd, &ps);
    }
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

void UserControl::PaintSurface(HDC dc, int width, int height) noexcept {
  if (picture_) {
    ComPtr<IPicture> picture;
    OLE_XSIZE_HIMETRIC hmWidth = 0;
    OLE_YSIZE_HIMETRIC hmHeight = 0;
    if (SUCCEEDED(picture_.As(&picture)) && SUCCEEDED(picture->get_Width(&hmWidth)) &&
        SUCCEEDED(picture->get_Height(&hmHeight))) {
      SIZE px = HimetricToPixels({hmWidth, hmHeight});
      picture->Render(dc, 0, 0, px.cx, px.cy, 0, hmHeight, hmWidth, -hmHeight, nullptr);
    }
  }
  Paint(dc, width, height);
}

// --- Services for the control ----------------------------------------------------------------

bool UserControl::AmbientUserMode() noexcept {
  ComPtr<IDispatch> ambient;
  if (!clientSite_ || FAILED(clientSite_.As(&ambient))) return true;
  DISPPARAMS none{};
  UniqueVariant value;
  HRESULT hr = ambient->Invoke(DISPID_AMBIENT_USERMODE, IID_NULL, LOCALE_USER_DEFAULT,
                               DISPATCH_PROPERTYGET, &none, value.put(), nullptr, nullptr);
  // A host that does not know the property is running (the OLE default).
  if (FAILED(hr) || FAILED(VariantChangeType(value.get(), value.get(), 0, VT_BOOL))) return true;
  return value->boolVal != VARIANT_FALSE;
}

DISPID UserControl::DispatchIdOf(const wchar_t* name) noexcept {
  ComPtr<ITypeInfo> info;
  DISPID id = DISPID_UNKNOWN;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  if (FAILED(DualTypeInfo(&info)) || FAILED(info->GetIDsOfNames(names, 1, &id))) {
    return DISPID_UNKNOWN;
  }
  return id;
}

void UserControl::PropertyChanged(const wchar_t* name) noexcept {
  dirty_ = true;
  // Nobody outside hears from an object whose last reference is gone.
  if (Going()) return;
  ViewChanged();
  if (!loading_ && propertyNotify_.HasSinks()) propertyNotify_.NotifyChanged(DispatchIdOf(name));
}

bool UserControl::RequestEdit(const wchar_t* name) noexcept {
  if (Going() || loading_ || !propertyNotify_.HasSinks()) return true;
  return propertyNotify_.RequestEdit(DispatchIdOf(name));
}

void UserControl::SetPicture(IPictureDisp* picture) noexcept {
  picture_ = picture;
  ViewChanged();
}

LONG UserControl::Width() const noexcept { return HimetricToTwips(extent_.cx); }
LONG UserControl::Height() const noexcept { return HimetricToTwips(extent_.cy); }
void UserControl::SetWidth(LONG twips) noexcept { extent_.cx = TwipsToHimetric(twips); }
void UserControl::SetHeight(LONG twips) noexcept { extent_.cy = TwipsToHimetric(twips); }

int UserControl::ScaleWidth() const noexcept {
  RECT rc{};
  if (window_ && GetClientRect(window_.get(), &rc) && rc.right > 0) return rc.right;
  return HimetricToPixels(extent_).cx;
}

int UserControl::ScaleHeight() const noexcept {
  RECT rc{};
  if (window_ && GetClientRect(window_.get(), &rc) && rc.bottom > 0) return rc.bottom;
  return HimetricToPixels(extent_).cy;
}

void UserControl::FireEvent(DISPID dispid, DISPPARAMS& params) noexcept {
  // A container that froze its events does not want them; they are dropped, not queued. An
  // object whose last reference is gone raises none.
  if (freezeCount_ > 0 || Going()) return;
  events_.Fire(dispid, params);
}

void UserControl::ViewChanged() noexcept {
  if (window_) InvalidateRect(window_.get(), nullptr, TRUE);
  if (viewSink_ && (viewAspects_ & DVASPECT_CONTENT)) viewSink_->OnViewChange(DVASPECT_CONTENT, -1);
}

// --- Type information ----------------------------------------------------------------------

HRESULT UserControl::TypeInfoOf(const GUID& guid, ITypeInfo** info) noexcept {
  RETURN_IF_NULL(info);
  *info = nullptr;
  ComPtr<ITypeLib> lib;
  RETURN_IF_FAILED(ModuleTypeLib(&lib));
  return lib->GetTypeInfoOfGuid(guid, info);
}

HRESULT UserControl::DualTypeInfo(ITypeInfo** info) noexcept {
  RETURN_IF_NULL(info);
  *info = nullptr;
  if (!dualInfo_) {
    ComPtr<ITypeInfo> dispatch;
    RETURN_IF_FAILED(TypeInfoOf(*class_.dispatchIid, &dispatch));
    TYPEATTR* attr = nullptr;
    RETURN_IF_FAILED(dispatch->GetTypeAttr(&attr));
    const bool isDispatch = attr->typekind == TKIND_DISPATCH;
    dispatch->ReleaseTypeAttr(attr);
    if (isDispatch) {
      HREFTYPE ref = 0;
      RETURN_IF_FAILED(dispatch->GetRefTypeOfImplType(static_cast<UINT>(-1), &ref));
      RETURN_IF_FAILED(dispatch->GetRefTypeInfo(ref, &dualInfo_));
    } else {
      dualInfo_ = std::move(dispatch);
    }
  }
  return dualInfo_.CopyTo(info);
}

// --- IProvideClassInfo2 ----------------------------------------------------------------------

STDMETHODIMP UserControl::GetClassInfo(ITypeInfo** info) noexcept {
  return TypeInfoOf(*class_.clsid, info);
}

STDMETHODIMP UserControl::GetGUID(DWORD kind, GUID* guid) noexcept {
  RETURN_IF_NULL(guid);
  if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) {
    *guid = GUID_NULL;
    return E_INVALIDARG;
  }
  *guid = *class_.eventsIid;
  return S_OK;
}

// --- ICategorizeProperties --------------------------------------------------------------------

STDMETHODIMP UserControl::MapPropertyToCategory(DISPID dispid, PROPCAT* category) noexcept {
  RETURN_IF_NULL(category);
  *category = PROPCAT_Nil;
  return PropertyCategory(dispid, category) ? S_OK : E_FAIL;
}

STDMETHODIMP UserControl::GetCategoryName(PROPCAT, LCID, BSTR* name) noexcept {
  RETURN_IF_NULL(name);
  *name = nullptr;
  return E_FAIL;
}

// --- IConnectionPointContainer ---------------------------------------------------------------

STDMETHODIMP UserControl::EnumConnectionPoints(IEnumConnectionPoints** points) noexcept try {
  RETURN_IF_NULL(points);
  *points = nullptr;
  std::vector<IConnectionPoint*> all{&events_, &propertyNotify_};
  return Enumerator<IEnumConnectionPoints, IConnectionPoint*>::Create(all, points);
}
CATCH_RETURN()

STDMETHODIMP UserControl::FindConnectionPoint(REFIID riid, IConnectionPoint** point) noexcept {
  RETURN_IF_NULL(point);
  *point = nullptr;
  ConnectionPoint* found = nullptr;
  if (IsEqualIID(riid, events_.Iid())) found = &events_;
  if (IsEqualIID(riid, propertyNotify_.Iid())) found = &propertyNotify_;
  if (!found) return CONNECT_E_NOCONNECTION;
  *point = found;
  found->AddRef();
  return S_OK;
}

}  // namespace usercontrol
