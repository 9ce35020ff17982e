// The tray icon control: one icon in the notification area, shown while InTray is true and
// the host is running, with the picture TrayIcon and the tooltip TrayTip; mouse activity the
// shell reports for the icon comes back as the events MouseOver, MouseDown, MouseUp and
// MouseDblClick.
#pragma once

#include <string>

#include "Kestrow_h.h"
#include "usercontrol/UserControlWithDual.h"

class cKestrow final : public usercontrol::UserControlWithDual<_cKestrow> {
 public:
  static const usercontrol::ControlClass& Description() noexcept;
  // The class factory's creation function.
  static HRESULT Create(REFIID riid, void** ppv) noexcept;

  // _cKestrow
  STDMETHODIMP putref_TrayIcon(IPictureDisp* Icon) noexcept override;
  STDMETHODIMP get_TrayIcon(IPictureDisp** Icon) noexcept override;
  STDMETHODIMP put_TrayTip(BSTR Tip) noexcept override;
  STDMETHODIMP get_TrayTip(BSTR* Tip) noexcept override;
  STDMETHODIMP put_InTray(VARIANT_BOOL Show) noexcept override;
  STDMETHODIMP get_InTray(VARIANT_BOOL* Show) noexcept override;

  // Reached from the window hook (mKestrow), not through COM.
  void TrayNotify(LONG& message, LONG& id) noexcept;
  // The shell restarted: a shown icon is added again with its current image and tip.
  void TrayRestore() noexcept;
  // The retry timer fired: a refused add is tried again.
  void TrayRetry() noexcept;
  // A counted reference for the window hook's dispatch; false once the last one is gone.
  bool HoldForDispatch() noexcept { return TryAddRef(); }

 private:
  cKestrow() noexcept;
  ~cKestrow() override;

  void InitProperties() noexcept override;
  HRESULT ReadProperties(usercontrol::PropertyBag& bag) noexcept override;
  HRESULT WriteProperties(usercontrol::PropertyBag& bag) noexcept override;
  void UserModeChanged() noexcept override;
  void Resize() noexcept override;
  void Paint(HDC dc, int scaleWidth, int scaleHeight) noexcept override;
  bool PropertyCategory(DISPID dispid, PROPCAT* category) noexcept override;

  // Hooks the window and adds the icon; E_FAIL, with nothing changed, when the window cannot
  // be hooked.
  HRESULT ShowIcon() noexcept;
  // Deletes the icon and unhooks the window.
  void HideIcon() noexcept;
  // Returns whether the shell accepted the add.
  bool AddTrayIcon(HWND hwnd, LONG iconId, const std::wstring& tip, IPictureDisp* icon) noexcept;
  // Sends the add again and, while the shell refuses it, keeps trying with a growing pause.
  void AddUntilAccepted() noexcept;
  void StopRetrying() noexcept;
  void DeleteTrayIcon(HWND hwnd, LONG iconId) noexcept;
  void RaiseMouseEvent(DISPID dispid, SHORT button, LONG& id) noexcept;

  VARIANT_BOOL m_InTray = VARIANT_FALSE;
  LONG m_IconId = 0;
  std::wstring m_TrayTip;
  HWND m_hWnd;
  Microsoft::WRL::ComPtr<IPictureDisp> m_TrayIcon;
  bool m_Hooked = false;
  UniqueHwnd m_ShellWatch;  // exists while hooked
  UINT m_RetryDelay = 0;    // ms until the next try; 0 while not retrying
  DWORD m_RetryStart = 0;   // tick count of the first refusal
};
