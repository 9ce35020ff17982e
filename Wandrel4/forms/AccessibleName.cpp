#include "forms/AccessibleName.h"

#include <commctrl.h>
#include <oleacc.h>

#include <memory>
#include <new>

#include "ComObject.h"
#include "SystemFunction.h"

namespace forms {
namespace {

using Microsoft::WRL::ComPtr;

// IAccessible's identifier, our own: MinGW's, linked statically, is not the system's.
constexpr IID kIidAccessible = {
    0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

// The Accessibility type library of oleacc.dll, which describes IAccessible.
constexpr GUID kLibidAccessibility = {
    0x1ea4dbf0, 0x3c3b, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

// The subclass's id among a window's subclasses.
constexpr UINT_PTR kSubclassId = 0x41636e;

// oleacc.dll, a system DLL, loaded when the first screen reader asks rather than at every
// start: most sessions never ask. It stays loaded for the rest of the process, as the
// objects it made may live on in a screen reader's hands.
struct OleAcc {
  HRESULT(WINAPI* createStandard)(HWND, LONG, REFIID, void**) = nullptr;
  LRESULT(WINAPI* resultFromObject)(REFIID, WPARAM, IUnknown*) = nullptr;
};

const OleAcc* LoadOleAcc() {
  static const OleAcc functions = [] {
    return OleAcc{common::SystemFunction<HRESULT WINAPI(HWND, LONG, REFIID, void**)>(
                      L"oleacc.dll", "CreateStdAccessibleObject"),
                  common::SystemFunction<LRESULT WINAPI(REFIID, WPARAM, IUnknown*)>(
                      L"oleacc.dll", "LresultFromObject")};
  }();
  return functions.createStandard && functions.resultFromObject ? &functions : nullptr;
}

// The object itself: no child given (also left out by a late-bound caller), or CHILDID_SELF.
bool IsSelf(const VARIANT& child) {
  return child.vt == VT_EMPTY || (child.vt == VT_I4 && child.lVal == CHILDID_SELF) ||
         (child.vt == VT_ERROR && child.scode == DISP_E_PARAMNOTFOUND);
}

// The name a window holds, shared between the window, which keeps it until it is destroyed,
// and the objects handed out for it, which a screen reader may keep longer.
using SharedName = std::shared_ptr<const AccessibleNameSource>;

// The name now, empty when the window is gone or the name cannot be had. Asked on the
// window's own thread, where COM delivers a screen reader's calls.
std::wstring NameNow(const std::weak_ptr<const AccessibleNameSource>& source) noexcept {
  try {
    const SharedName held = source.lock();
    if (!held) return {};
    const std::string name = (*held)();
    const int size = static_cast<int>(name.size());
    std::wstring wide(name.size(), L'\0');
    wide.resize(
        static_cast<size_t>(MultiByteToWideChar(CP_ACP, 0, name.data(), size, wide.data(), size)));
    return wide;
  } catch (...) {
    return {};
  }
}

// The standard object of a window, answering everything as before except the name.
class NamedAccessible final : public common::ComObject<NamedAccessible, IAccessible, IOleWindow> {
 public:
  NamedAccessible(ComPtr<IAccessible> standard, HWND window, const SharedName& name) noexcept
      : standard_(std::move(standard)), window_(window), name_(name) {}

  static const QITAB* Interfaces() noexcept {
    static const QITAB table[] = {
        {&kIidAccessible, OFFSETOFCLASS(IAccessible, NamedAccessible)},
        QITABENT(NamedAccessible, IDispatch),
        QITABENT(NamedAccessible, IOleWindow),
        {},
    };
    return table;
  }

  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) noexcept override {
    if (!name) return E_POINTER;
    *name = nullptr;
    if (IsSelf(child)) {
      const std::wstring own = NameNow(name_);
      if (!own.empty()) {
        *name = SysAllocStringLen(own.data(), static_cast<UINT>(own.size()));
        return *name ? S_OK : E_OUTOFMEMORY;
      }
    }
    return standard_->get_accName(child, name);
  }

  // IOleWindow: how a screen reader finds the window of an object (WindowFromAccessibleObject).
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) noexcept override {
    if (!window) return E_POINTER;
    *window = window_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) noexcept override { return E_NOTIMPL; }

  // IDispatch through IAccessible's type information onto this object, so that a late-bound
  // client hears this object's name, not the standard object's.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) noexcept override {
    if (!count) return E_POINTER;
    *count = TypeInfo() ? 1 : 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) noexcept override {
    if (!info) return E_POINTER;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    ITypeInfo* own = TypeInfo();
    if (!own) return TYPE_E_ELEMENTNOTFOUND;
    own->AddRef();
    *info = own;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) noexcept override {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    ITypeInfo* own = TypeInfo();
    return own ? DispGetIDsOfNames(own, names, count, ids) : E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* error,
                                   UINT* badArgument) noexcept override {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    ITypeInfo* own = TypeInfo();
    if (!own) return E_NOTIMPL;
    return DispInvoke(static_cast<IAccessible*>(this), own, id, flags, params, result, error,
                      badArgument);
  }

  // Everything else is the standard object's.
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) noexcept override {
    return standard_->get_accParent(parent);
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) noexcept override {
    return standard_->get_accChildCount(count);
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) noexcept override {
    return standard_->get_accChild(child, object);
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) noexcept override {
    return standard_->get_accValue(child, value);
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) noexcept override {
    return standard_->get_accDescription(child, text);
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) noexcept override {
    return standard_->get_accRole(child, role);
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) noexcept override {
    return standard_->get_accState(child, state);
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) noexcept override {
    return standard_->get_accHelp(child, help);
  }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child,
                                             LONG* topic) noexcept override {
    return standard_->get_accHelpTopic(file, child, topic);
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* keys) noexcept override {
    return standard_->get_accKeyboardShortcut(child, keys);
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) noexcept override {
    return standard_->get_accFocus(child);
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) noexcept override {
    return standard_->get_accSelection(children);
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) noexcept override {
    return standard_->get_accDefaultAction(child, action);
  }
  HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) noexcept override {
    return standard_->accSelect(flags, child);
  }
  HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                        VARIANT child) noexcept override {
    return standard_->accLocation(left, top, width, height, child);
  }
  HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start,
                                        VARIANT* end) noexcept override {
    return standard_->accNavigate(direction, start, end);
  }
  HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* child) noexcept override {
    return standard_->accHitTest(x, y, child);
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) noexcept override {
    return standard_->accDoDefaultAction(child);
  }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) noexcept override {
    return standard_->put_accName(child, name);
  }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) noexcept override {
    return standard_->put_accValue(child, value);
  }

 private:
  ~NamedAccessible() override = default;

  // IAccessible's type information: the standard object's, else oleacc's registered library;
  // nullptr when neither has it. Found on first use: most clients bind early.
  ITypeInfo* TypeInfo() noexcept {
    if (!typeInfo_ && FAILED(standard_->GetTypeInfo(0, LOCALE_USER_DEFAULT, &typeInfo_))) {
      typeInfo_.Reset();
      ComPtr<ITypeLib> library;
      if (SUCCEEDED(LoadRegTypeLib(kLibidAccessibility, 1, 1, LOCALE_NEUTRAL, &library))) {
        library->GetTypeInfoOfGuid(kIidAccessible, &typeInfo_);
      }
    }
    return typeInfo_.Get();
  }

  ComPtr<IAccessible> standard_;
  HWND window_;
  std::weak_ptr<const AccessibleNameSource> name_;  // gone with the window
  ComPtr<ITypeInfo> typeInfo_;
};

// The answer to WM_GETOBJECT for the client object, or 0 to let the system answer.
LRESULT AnswerClientObject(HWND window, WPARAM wParam, const SharedName& name) noexcept {
  const OleAcc* oleacc = LoadOleAcc();
  if (!oleacc) return 0;
  ComPtr<IAccessible> standard;
  if (FAILED(oleacc->createStandard(window, OBJID_CLIENT, kIidAccessible,
                                    reinterpret_cast<void**>(standard.GetAddressOf())))) {
    return 0;
  }
  ComPtr<NamedAccessible> named =
      common::Adopt(new (std::nothrow) NamedAccessible(std::move(standard), window, name));
  if (!named) return 0;
  const LRESULT result =
      oleacc->resultFromObject(kIidAccessible, wParam, static_cast<IAccessible*>(named.Get()));
  return result > 0 ? result : 0;  // a failure comes as a negative HRESULT
}

LRESULT CALLBACK NamedWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                 UINT_PTR id, DWORD_PTR data) noexcept {
  // The object id comes in the low 32 bits, sign-extended or not.
  if (message == WM_GETOBJECT &&
      static_cast<LONG>(static_cast<DWORD>(lParam)) == static_cast<LONG>(OBJID_CLIENT)) {
    const LRESULT answer =
        AnswerClientObject(window, wParam, *reinterpret_cast<const SharedName*>(data));
    if (answer) return answer;
  } else if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(window, &NamedWindowProc, id);
    delete reinterpret_cast<SharedName*>(data);
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace

bool AnswerAccessibleName(HWND window, AccessibleNameSource name) {
  if (!window || !name) return false;
  std::unique_ptr<SharedName> held;
  try {
    held =
        std::make_unique<SharedName>(std::make_shared<const AccessibleNameSource>(std::move(name)));
  } catch (const std::bad_alloc&) {
    return false;
  }
  if (!SetWindowSubclass(window, &NamedWindowProc, kSubclassId,
                         reinterpret_cast<DWORD_PTR>(held.get()))) {
    return false;
  }
  held.release();  // the subclass owns it now, until WM_NCDESTROY
  return true;
}

}  // namespace forms
