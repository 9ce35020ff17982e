// Persistence: the control's properties through a host's property bag (IPersistPropertyBag)
// or a stream (IPersistStreamInit, kept as a property bag in memory). Either way the control's
// own ReadProperties / WriteProperties see one bag, with the extent added by the base.
#include <new>

#include "ComResult.h"
#include "usercontrol/MemoryPropertyBag.h"
#include "usercontrol/UserControl.h"

namespace usercontrol {
namespace {

constexpr wchar_t kExtentX[] = L"_ExtentX";
constexpr wchar_t kExtentY[] = L"_ExtentY";

HRESULT ReadLong(PropertyBag& bag, const wchar_t* name, LONG fallback, LONG* value) noexcept {
  VARIANT def;
  def.vt = VT_I4;
  def.lVal = fallback;
  UniqueVariant v;
  RETURN_IF_FAILED(bag.ReadProperty(name, def, v.get()));
  RETURN_IF_FAILED(VariantChangeType(v.get(), v.get(), 0, VT_I4));
  *value = v->lVal;
  return S_OK;
}

}  // namespace

STDMETHODIMP UserControl::GetClassID(CLSID* clsid) noexcept {
  RETURN_IF_NULL(clsid);
  *clsid = *class_.clsid;
  return S_OK;
}

// Once, unless the first was the implicit one; never from inside a load.
bool UserControl::MayInitialize() const noexcept {
  return !loading_ && (!initialized_ || implicitlyInitialized_);
}

void UserControl::InitializeIfNeeded() noexcept {
  // A Load in progress is not yet marked initialised; its property setters come here too.
  if (initialized_ || loading_) return;
  InitNew();
  implicitlyInitialized_ = true;
}

STDMETHODIMP UserControl::InitNew() noexcept {
  if (!MayInitialize()) return E_UNEXPECTED;
  initialized_ = true;
  implicitlyInitialized_ = false;
  loading_ = true;
  InitProperties();
  loading_ = false;
  dirty_ = false;
  return S_OK;
}

STDMETHODIMP UserControl::Load(IPropertyBag* bag, IErrorLog* log) noexcept {
  RETURN_IF_NULL(bag);
  if (!MayInitialize()) return E_UNEXPECTED;
  return LoadFromBag(bag, log);
}

STDMETHODIMP UserControl::Save(IPropertyBag* bag, BOOL clearDirty, BOOL) noexcept {
  RETURN_IF_NULL(bag);
  RETURN_IF_FAILED(SaveToBag(bag));
  if (clearDirty) dirty_ = false;
  return S_OK;
}

STDMETHODIMP UserControl::IsDirty() noexcept { return dirty_ ? S_OK : S_FALSE; }

STDMETHODIMP UserControl::Load(LPSTREAM stream) noexcept {
  RETURN_IF_NULL(stream);
  if (!MayInitialize()) return E_UNEXPECTED;
  auto bag = MemoryPropertyBag::Create();
  if (!bag) return E_OUTOFMEMORY;
  RETURN_IF_FAILED(bag->LoadFrom(stream));
  return LoadFromBag(bag.Get(), nullptr);
}

STDMETHODIMP UserControl::Save(LPSTREAM stream, BOOL clearDirty) noexcept {
  RETURN_IF_NULL(stream);
  auto bag = MemoryPropertyBag::Create();
  if (!bag) return E_OUTOFMEMORY;
  RETURN_IF_FAILED(SaveToBag(bag.Get()));
  RETURN_IF_FAILED(bag->SaveTo(stream));
  if (clearDirty) dirty_ = false;
  return S_OK;
}

STDMETHODIMP UserControl::GetSizeMax(ULARGE_INTEGER* size) noexcept {
  RETURN_IF_NULL(size);
  size->QuadPart = 0;
  // The exact size of what Save would write now.
  Microsoft::WRL::ComPtr<IStream> stream;
  RETURN_IF_FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &stream));
  auto bag = MemoryPropertyBag::Create();
  if (!bag) return E_OUTOFMEMORY;
  RETURN_IF_FAILED(SaveToBag(bag.Get()));
  RETURN_IF_FAILED(bag->SaveTo(stream.Get()));
  LARGE_INTEGER zero{};
  return stream->Seek(zero, STREAM_SEEK_CUR, size);
}

HRESULT UserControl::LoadFromBag(IPropertyBag* bag, IErrorLog* log) noexcept {
  PropertyBag properties(bag, log);
  SIZEL extent = extent_;
  RETURN_IF_FAILED(ReadLong(properties, kExtentX, extent.cx, &extent.cx));
  RETURN_IF_FAILED(ReadLong(properties, kExtentY, extent.cy, &extent.cy));
  ApplyExtent(extent);
  loading_ = true;
  HRESULT hr = ReadProperties(properties);
  loading_ = false;
  RETURN_IF_FAILED(hr);
  // Only a load that succeeded makes the control initialised: after a failed one the
  // container may still call InitNew or Load.
  initialized_ = true;
  implicitlyInitialized_ = false;
  dirty_ = false;
  return S_OK;
}

HRESULT UserControl::SaveToBag(IPropertyBag* bag) noexcept {
  PropertyBag properties(bag, nullptr);
  VARIANT v;
  v.vt = VT_I4;
  v.lVal = extent_.cx;
  RETURN_IF_FAILED(properties.WriteProperty(kExtentX, v));
  v.lVal = extent_.cy;
  RETURN_IF_FAILED(properties.WriteProperty(kExtentY, v));
  return WriteProperties(properties);
}

}  // namespace usercontrol
