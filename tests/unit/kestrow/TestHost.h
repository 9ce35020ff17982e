// Test doubles for what hosts the control: a client site with ambient UserMode and a window
// to activate on, an event sink that records what it receives, a property bag that records
// what it is given, and pictures made from real icons and bitmaps.
#pragma once

#include <ocidl.h>
#include <olectl.h>
#include <windows.h>
#include <wrl/client.h>

#include <functional>
#include <string>
#include <vector>

#include "Kestrow_h.h"

namespace kestrow_test {

using Microsoft::WRL::ComPtr;

// Ambient UserMode as the site reports it: running, design, or no such property.
enum class Ambient { Running, Design, Missing };

class TestSite final : public IOleClientSite, public IOleInPlaceSite, public IDispatch {
 public:
  explicit TestSite(Ambient mode);
  ~TestSite();
  HWND window() const { return window_; }
  // A container switching between design and run mode; it tells the control itself.
  void SetMode(Ambient mode) { mode_ = mode; }

  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
  STDMETHODIMP_(ULONG) Release() override { return --refs_; }  // lives on the test's stack

  // IOleClientSite
  STDMETHODIMP SaveObject() override { return S_OK; }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** mk) override;
  STDMETHODIMP GetContainer(IOleContainer** c) override;
  STDMETHODIMP ShowObject() override;
  STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
  STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }
  // IOleInPlaceSite
  STDMETHODIMP GetWindow(HWND* hwnd) override;
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
  STDMETHODIMP OnInPlaceActivate() override;
  STDMETHODIMP OnUIActivate() override { return S_OK; }
  STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, LPRECT pos,
                                LPRECT clip, LPOLEINPLACEFRAMEINFO info) override;
  STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
  STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
  STDMETHODIMP OnInPlaceDeactivate() override;
  STDMETHODIMP DiscardUndoState() override { return S_OK; }
  STDMETHODIMP DeactivateAndUndo() override { return S_OK; }
  STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }
  // IDispatch: the ambient properties
  STDMETHODIMP GetTypeInfoCount(UINT* n) override;
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                      UINT*) override;

  std::vector<std::string> calls;  // the activation calls the control made, in order

 private:
  Ambient mode_;
  ULONG refs_ = 1;
  HWND window_;
};

struct RaisedEvent {
  DISPID dispid;
  int argCount;
  SHORT button;
  LONG id;
};

class EventSink final : public IDispatch {
 public:
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
  STDMETHODIMP_(ULONG) Release() override { return --refs_; }
  STDMETHODIMP GetTypeInfoCount(UINT* n) override {
    *n = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                      UINT*) override;

  std::vector<RaisedEvent> events;
  // Runs inside each event, with the by-reference Button and Id.
  std::function<void(SHORT* button, LONG* id)> onEvent;
  ULONG refs() const { return refs_; }

 private:
  ULONG refs_ = 1;
};

// Advises a sink on the control's event interface, found through IProvideClassInfo2.
DWORD AdviseThroughClassInfo(IUnknown* control, IDispatch* sink);
void Unadvise(IUnknown* control, DWORD cookie);

// A host's property bag that keeps the order in which names were written.
class RecordingBag final : public IPropertyBag {
 public:
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP Read(LPCOLESTR name, VARIANT* value, IErrorLog*) override;
  STDMETHODIMP Write(LPCOLESTR name, VARIANT* value) override;

  void Set(const std::wstring& name, const VARIANT& value);
  const VARIANT* Find(const std::wstring& name) const;
  std::vector<std::wstring> names;  // in the order written
  ~RecordingBag();

 private:
  std::vector<std::pair<std::wstring, VARIANT>> values_;
};

ComPtr<IPictureDisp> IconPicture(HICON icon);  // the picture owns the icon
ComPtr<IPictureDisp> NewIconPicture();         // a fresh 16 x 16 icon of its own
ComPtr<IPictureDisp> BitmapPicture();
HICON PictureHandle(IPictureDisp* picture);
SHORT PictureType(IPictureDisp* picture);

VARIANT BoolValue(bool b);
VARIANT TextValue(const wchar_t* text);  // the caller clears it
VARIANT ObjectValue(IDispatch* object);  // AddRef'd; the caller clears it

}  // namespace kestrow_test
