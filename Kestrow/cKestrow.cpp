#include "cKestrow.h"

#include <new>

#include "ComResult.h"
#include "PictureFromIcon.h"
#include "mKestrow.h"
#include "usercontrol/Module.h"

using Microsoft::WRL::ComPtr;

namespace {

constexpr wchar_t kDefaultTip[] = L"VB 5 - Kestrow Control.";
constexpr LONG kSizeTwips = 510;  // 34 x 34 pixels at 96 DPI, 900 x 900 HIMETRIC
constexpr int kDefaultIconId = 1;

// A refused add (the shell not ready at log-on, or restarting) is tried again after 0.5 s,
// then after twice the pause each time up to 8 s, for three minutes.
constexpr UINT kFirstRetryMs = 500;
constexpr UINT kLongestRetryMs = 8000;
constexpr DWORD kRetryForMs = 180000;

// Dispatch ids of the events in the type library.
constexpr DISPID kMouseOver = 1;
constexpr DISPID kMouseDown = 2;
constexpr DISPID kMouseUp = 3;
constexpr DISPID kMouseDblClick = 4;
// Dispatch ids of the properties: TrayTip has the standard tooltip id.
constexpr DISPID kTrayTipId = -517;
constexpr DISPID kInTrayId = 2;

constexpr usercontrol::ControlClass kClass{
    &CLSID_cKestrow,
    &LIBID_KestrowCtl,
    1,
    0,
    &IID__cKestrow,
    &DIID___cKestrow,
    L"KestrowCtl.cKestrow",
    L"cKestrow Control",
    OLEMISC_SETCLIENTSITEFIRST | OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_INSIDEOUT |
        OLEMISC_CANTLINKINSIDE | OLEMISC_RECOMPOSEONRESIZE,
    30000,
};

// Reads a picture's property by its dispatch id, as a 32-bit value.
HRESULT PictureProperty(IPictureDisp* picture, DISPID dispid, LONG* value) noexcept {
  DISPPARAMS none{};
  UniqueVariant v;
  RETURN_IF_FAILED(picture->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET,
                                   &none, v.put(), nullptr, nullptr));
  if (v->vt == VT_UI4 || v->vt == VT_UINT) {
    *value = static_cast<LONG>(v->ulVal);
    return S_OK;
  }
  RETURN_IF_FAILED(VariantChangeType(v.get(), v.get(), 0, VT_I4));
  *value = v->lVal;
  return S_OK;
}

HICON PictureIcon(IPictureDisp* picture) noexcept {
  LONG handle = 0;
  if (FAILED(PictureProperty(picture, DISPID_PICT_HANDLE, &handle))) return nullptr;
  return static_cast<HICON>(LongToHandle(handle));
}

ComPtr<IPictureDisp> LoadDefaultIcon() noexcept {
  HICON icon =
      static_cast<HICON>(LoadImageW(usercontrol::ModuleInstance(), MAKEINTRESOURCEW(kDefaultIconId),
                                    IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
  ComPtr<IPictureDisp> picture;
  common::PictureFromIcon(icon, &picture);
  return picture;
}

}  // namespace

const usercontrol::ControlClass& cKestrow::Description() noexcept { return kClass; }

HRESULT cKestrow::Create(REFIID riid, void** ppv) noexcept {
  RETURN_IF_NULL(ppv);
  *ppv = nullptr;
  auto control = common::Adopt(new (std::nothrow) cKestrow());
  // A control without its window cannot work: as good as out of memory.
  if (!control || !control.Get()->hWnd()) return E_OUTOFMEMORY;
  return control.Get()->QueryInterface(riid, ppv);
}

cKestrow::cKestrow() noexcept : UserControlWithDual(kClass), m_hWnd(hWnd()) {
  SetPicture(LoadDefaultIcon().Get());
  Resize();
}

// Terminate: a shown icon is removed and the window unhooked before the window goes. The
// reference count is 0 here: messages the shell call lets in raise no events (see
// HoldForDispatch), and the shell watch window goes with this instance in any teardown order.
cKestrow::~cKestrow() {
  if (m_InTray) put_InTray(VARIANT_FALSE);
}

// --- Properties ------------------------------------------------------------------------------

STDMETHODIMP cKestrow::putref_TrayIcon(IPictureDisp* Icon) noexcept {
  InitializeIfNeeded();
  if (!Icon) return S_OK;
  LONG type = PICTYPE_UNINITIALIZED;
  RETURN_IF_FAILED(PictureProperty(Icon, DISPID_PICT_TYPE, &type));
  // Bitmaps, metafiles and empty pictures are ignored without an error.
  if (type != PICTYPE_ICON) return S_OK;
  if (!RequestEdit(L"TrayIcon")) return S_FALSE;
  if (m_Hooked) {
    mKestrow::SendToShell(
        NIM_MODIFY, mKestrow::IconRecord(m_hWnd, static_cast<UINT>(m_IconId), PictureIcon(Icon)));
  }
  m_TrayIcon = Icon;
  SetPicture(Icon);
  PropertyChanged(L"TrayIcon");
  return S_OK;
}

STDMETHODIMP cKestrow::get_TrayIcon(IPictureDisp** Icon) noexcept {
  InitializeIfNeeded();
  RETURN_IF_NULL(Icon);
  *Icon = m_TrayIcon.Get();
  if (*Icon) (*Icon)->AddRef();
  return S_OK;
}

STDMETHODIMP cKestrow::put_TrayTip(BSTR Tip) noexcept try {
  InitializeIfNeeded();
  std::wstring tip(Tip ? Tip : L"", Tip ? SysStringLen(Tip) : 0);
  if (!RequestEdit(L"TrayTip")) return S_FALSE;
  // Sent for every value, unchanged and empty ones included: the empty text clears the tip.
  if (m_Hooked) {
    mKestrow::SendToShell(NIM_MODIFY,
                          mKestrow::TipRecord(m_hWnd, static_cast<UINT>(m_IconId), tip));
  }
  m_TrayTip = std::move(tip);
  PropertyChanged(L"TrayTip");
  return S_OK;
}
CATCH_RETURN()

STDMETHODIMP cKestrow::get_TrayTip(BSTR* Tip) noexcept {
  InitializeIfNeeded();
  RETURN_IF_NULL(Tip);
  *Tip = SysAllocStringLen(m_TrayTip.data(), static_cast<UINT>(m_TrayTip.size()));
  return *Tip ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP cKestrow::put_InTray(VARIANT_BOOL Show) noexcept {
  InitializeIfNeeded();
  const VARIANT_BOOL show = Show ? VARIANT_TRUE : VARIANT_FALSE;
  if (show == m_InTray) return S_OK;
  if (!RequestEdit(L"InTray")) return S_FALSE;
  // In a design environment the value is only recorded.
  if (show && AmbientUserMode()) {
    RETURN_IF_FAILED(ShowIcon());
  } else if (!show && m_Hooked) {
    HideIcon();
  }
  m_InTray = show;
  PropertyChanged(L"InTray");
  return S_OK;
}

STDMETHODIMP cKestrow::get_InTray(VARIANT_BOOL* Show) noexcept {
  InitializeIfNeeded();
  RETURN_IF_NULL(Show);
  *Show = m_InTray;
  return S_OK;
}

// --- Notification area -----------------------------------------------------------------------

HRESULT cKestrow::ShowIcon() noexcept try {
  UniqueBstr tip;
  ComPtr<IPictureDisp> icon;
  RETURN_IF_FAILED(get_TrayTip(tip.put()));
  RETURN_IF_FAILED(get_TrayIcon(&icon));
  // Everything that can fail happens before the hook: once the window is hooked, the
  // control records it, so it never thinks it is unhooked while its window is hooked.
  std::wstring text(tip.get(), SysStringLen(tip.get()));
  UniqueHwnd watch(mKestrow::CreateShellWatch(m_hWnd));
  // A window that cannot be hooked (out of memory, or already destroyed by its host)
  // leaves everything as it was.
  if (!mKestrow::InstallHook(m_hWnd, this)) return E_FAIL;
  m_ShellWatch = std::move(watch);
  m_Hooked = true;
  if (!AddTrayIcon(m_hWnd, m_IconId, text, icon.Get())) AddUntilAccepted();
  return S_OK;
}
CATCH_RETURN()

void cKestrow::HideIcon() noexcept {
  StopRetrying();
  DeleteTrayIcon(m_hWnd, m_IconId);
  mKestrow::RemoveHook(m_hWnd);
  m_ShellWatch.reset();
  m_Hooked = false;
}

// A container switched between design and run mode: the icon, its hook and so its events
// follow InTray in run mode only.
void cKestrow::UserModeChanged() noexcept {
  const bool shown = m_InTray && AmbientUserMode();
  if (shown && !m_Hooked) {
    ShowIcon();
  } else if (!shown && m_Hooked) {
    HideIcon();
  }
}

bool cKestrow::AddTrayIcon(HWND hwnd, LONG iconId, const std::wstring& tip,
                           IPictureDisp* icon) noexcept try {
  HICON handle = nullptr;
  if (icon) {
    handle = PictureIcon(icon);
    m_TrayIcon = icon;
  }
  if (!tip.empty()) m_TrayTip = tip;
  return mKestrow::SendToShell(
      NIM_ADD, mKestrow::AddRecord(hwnd, static_cast<UINT>(iconId), icon != nullptr, handle, tip));
} catch (...) {
  // Copying the tip ran out of memory: the request is not sent.
  return false;
}

void cKestrow::DeleteTrayIcon(HWND hwnd, LONG iconId) noexcept {
  mKestrow::SendToShell(NIM_DELETE, mKestrow::DeleteRecord(hwnd, static_cast<UINT>(iconId)));
}

void cKestrow::AddUntilAccepted() noexcept {
  m_RetryDelay = kFirstRetryMs;
  m_RetryStart = GetTickCount();
  if (!SetTimer(m_hWnd, mKestrow::kRetryTimerId, m_RetryDelay, nullptr)) m_RetryDelay = 0;
}

void cKestrow::StopRetrying() noexcept {
  if (m_RetryDelay) KillTimer(m_hWnd, mKestrow::kRetryTimerId);
  m_RetryDelay = 0;
}

void cKestrow::TrayRetry() noexcept {
  KillTimer(m_hWnd, mKestrow::kRetryTimerId);
  if (!m_Hooked || !m_RetryDelay) {
    m_RetryDelay = 0;
    return;
  }
  // An add that timed out while the shell was busy may have worked all the same: an icon that
  // is there takes a modification with the whole record, and is not added twice.
  HICON handle = m_TrayIcon ? PictureIcon(m_TrayIcon.Get()) : nullptr;
  if (mKestrow::SendToShell(NIM_MODIFY,
                            mKestrow::AddRecord(m_hWnd, static_cast<UINT>(m_IconId),
                                                m_TrayIcon != nullptr, handle, m_TrayTip)) ||
      AddTrayIcon(m_hWnd, m_IconId, m_TrayTip, m_TrayIcon.Get()) ||
      GetTickCount() - m_RetryStart >= kRetryForMs) {
    m_RetryDelay = 0;
    return;
  }
  m_RetryDelay = m_RetryDelay * 2 > kLongestRetryMs ? kLongestRetryMs : m_RetryDelay * 2;
  if (!SetTimer(m_hWnd, mKestrow::kRetryTimerId, m_RetryDelay, nullptr)) m_RetryDelay = 0;
}

void cKestrow::TrayRestore() noexcept {
  if (!m_Hooked) return;
  StopRetrying();
  if (!AddTrayIcon(m_hWnd, m_IconId, m_TrayTip, m_TrayIcon.Get())) AddUntilAccepted();
}

void cKestrow::TrayNotify(LONG& message, LONG& id) noexcept {
  // 512 to 518: the pointer and the left and right buttons; anything else raises nothing.
  const ULONG kind = static_cast<ULONG>(message) - 512u;
  if (kind > 6) return;
  switch (kind) {
    case 0:
      RaiseMouseEvent(kMouseOver, 0, id);
      break;
    case 1:
      RaiseMouseEvent(kMouseDown, 1, id);
      break;
    case 2:
      RaiseMouseEvent(kMouseUp, 1, id);
      break;
    case 3:
      RaiseMouseEvent(kMouseDblClick, 1, id);
      break;
    case 4:
      RaiseMouseEvent(kMouseDown, 2, id);
      break;
    case 5:
      RaiseMouseEvent(kMouseUp, 2, id);
      break;
    case 6:
      RaiseMouseEvent(kMouseDblClick, 2, id);
      break;
  }
}

// Id goes by reference to the caller's variable; Button to a temporary whose changes are lost.
void cKestrow::RaiseMouseEvent(DISPID dispid, SHORT button, LONG& id) noexcept {
  VARIANTARG args[2];
  // Arguments go in reverse order: the last parameter (Id) first.
  args[0].vt = VT_I4 | VT_BYREF;
  args[0].plVal = &id;
  args[1].vt = VT_I2 | VT_BYREF;
  args[1].piVal = &button;
  DISPPARAMS params{args, nullptr, dispid == kMouseOver ? 1u : 2u, 0};
  FireEvent(dispid, params);
}

// --- Lifecycle -------------------------------------------------------------------------------

void cKestrow::InitProperties() noexcept {
  put_InTray(VARIANT_FALSE);
  UniqueBstr tip(SysAllocString(kDefaultTip));
  put_TrayTip(tip.get());
  putref_TrayIcon(Picture());
}

// All three values are read and converted before any is applied, InTray last: a load that
// fails shows no icon and leaves no loaded picture behind as the default.
HRESULT cKestrow::ReadProperties(usercontrol::PropertyBag& bag) noexcept {
  UniqueVariant fallback, inTray, picture, tip;

  fallback->vt = VT_BOOL;
  fallback->boolVal = VARIANT_FALSE;
  RETURN_IF_FAILED(bag.ReadProperty(L"InTray", *fallback.get(), inTray.put()));
  RETURN_IF_FAILED(VariantChangeType(inTray.get(), inTray.get(), 0, VT_BOOL));

  fallback.put()->vt = VT_DISPATCH;
  fallback->pdispVal = Picture();
  if (fallback->pdispVal) fallback->pdispVal->AddRef();
  RETURN_IF_FAILED(bag.ReadProperty(L"TrayIcon", *fallback.get(), picture.put()));
  ComPtr<IPictureDisp> icon;
  // Anything but a picture object counts as an empty reference, which the setter ignores. A
  // host's bag hands over objects the host made; their bytes are never parsed here (a stream's
  // pictures are checked where the stream is read, in MemoryPropertyBag).
  if ((picture->vt == VT_DISPATCH || picture->vt == VT_UNKNOWN) && picture->punkVal) {
    picture->punkVal->QueryInterface(IID_PPV_ARGS(&icon));
  }

  fallback.put()->vt = VT_BSTR;
  fallback->bstrVal = SysAllocString(kDefaultTip);
  if (!fallback->bstrVal) return E_OUTOFMEMORY;
  RETURN_IF_FAILED(bag.ReadProperty(L"TrayTip", *fallback.get(), tip.put()));
  RETURN_IF_FAILED(VariantChangeType(tip.get(), tip.get(), 0, VT_BSTR));

  RETURN_IF_FAILED(putref_TrayIcon(icon.Get()));
  RETURN_IF_FAILED(put_TrayTip(tip->bstrVal));
  return put_InTray(inTray->boolVal);
}

HRESULT cKestrow::WriteProperties(usercontrol::PropertyBag& bag) noexcept {
  UniqueVariant value;
  value->vt = VT_BOOL;
  value->boolVal = m_InTray;
  RETURN_IF_FAILED(bag.WriteProperty(L"InTray", *value.get()));

  // Written even when empty.
  value.put()->vt = VT_DISPATCH;
  value->pdispVal = m_TrayIcon.Get();
  if (value->pdispVal) value->pdispVal->AddRef();
  RETURN_IF_FAILED(bag.WriteProperty(L"TrayIcon", *value.get()));

  value.put()->vt = VT_BSTR;
  value->bstrVal = SysAllocStringLen(m_TrayTip.data(), static_cast<UINT>(m_TrayTip.size()));
  if (!value->bstrVal) return E_OUTOFMEMORY;
  return bag.WriteProperty(L"TrayTip", *value.get());
}

// However the host sizes the control, it ends 510 x 510 twips.
void cKestrow::Resize() noexcept {
  SetHeight(kSizeTwips);
  SetWidth(kSizeTwips);
}

void cKestrow::Paint(HDC dc, int scaleWidth, int scaleHeight) noexcept {
  RECT rc{0, 0, scaleWidth, scaleHeight};
  DrawEdge(dc, &rc, BDR_RAISEDOUTER, BF_RECT | BF_SOFT);
}

// Property browsers list TrayTip under "Misc" and InTray under "Behavior"; TrayIcon stays
// uncategorised.
bool cKestrow::PropertyCategory(DISPID dispid, PROPCAT* category) noexcept {
  if (dispid == kTrayTipId) {
    *category = PROPCAT_Misc;
    return true;
  }
  if (dispid == kInTrayId) {
    *category = PROPCAT_Behavior;
    return true;
  }
  return false;
}
