#include "usercontrol/MemoryPropertyBag.h"

#include <olectl.h>
#include <shlwapi.h>
#include <wrl/client.h>

#include <cstdint>
#include <cstring>
#include <new>

#include "ComResult.h"
#include "usercontrol/PictureCheck.h"

using Microsoft::WRL::ComPtr;

namespace usercontrol {
namespace {

constexpr char kMagic[4] = {'U', 'C', 'P', 'B'};
// Version 2 puts the byte length before each saved object, so that an object that is not
// loaded can be stepped over; version 1 streams are still read.
constexpr uint32_t kVersion = 2;
constexpr uint32_t kMaxObjectBytes = 64u << 20;
// Bounds that keep a damaged stream from asking for absurd amounts of memory.
constexpr uint32_t kMaxEntries = 1024;
constexpr uint32_t kMaxNameUnits = 256;
constexpr uint32_t kMaxTextUnits = 1u << 20;

HRESULT WriteBytes(IStream* stream, const void* data, ULONG size) noexcept {
  ULONG written = 0;
  RETURN_IF_FAILED(stream->Write(data, size, &written));
  return written == size ? S_OK : STG_E_WRITEFAULT;
}

HRESULT ReadBytes(IStream* stream, void* data, ULONG size) noexcept {
  ULONG read = 0;
  RETURN_IF_FAILED(stream->Read(data, size, &read));
  return read == size ? S_OK : STG_E_READFAULT;
}

template <class T>
HRESULT WriteValue(IStream* stream, T value) noexcept {
  return WriteBytes(stream, &value, sizeof(value));
}

template <class T>
HRESULT ReadValue(IStream* stream, T* value) noexcept {
  return ReadBytes(stream, value, sizeof(*value));
}

HRESULT WriteText(IStream* stream, const wchar_t* text, uint32_t units) noexcept {
  RETURN_IF_FAILED(WriteValue(stream, units));
  return WriteBytes(stream, text, units * sizeof(wchar_t));
}

HRESULT ReadText(IStream* stream, uint32_t maxUnits, std::wstring* text) noexcept try {
  uint32_t units = 0;
  RETURN_IF_FAILED(ReadValue(stream, &units));
  if (units > maxUnits) return STG_E_DOCFILECORRUPT;
  text->assign(units, L'\0');
  return ReadBytes(stream, text->data(), units * sizeof(wchar_t));
}
CATCH_RETURN()

HRESULT WriteEntryValue(IStream* stream, const VARIANT& value) noexcept {
  switch (value.vt) {
    case VT_BOOL:
      RETURN_IF_FAILED(WriteValue<uint16_t>(stream, VT_BOOL));
      return WriteValue<int16_t>(stream, value.boolVal);
    case VT_I4:
      RETURN_IF_FAILED(WriteValue<uint16_t>(stream, VT_I4));
      return WriteValue<int32_t>(stream, value.lVal);
    case VT_DISPATCH:
    case VT_UNKNOWN: {
      RETURN_IF_FAILED(WriteValue<uint16_t>(stream, VT_DISPATCH));
      ComPtr<IPersistStream> persist;
      if (!value.punkVal || FAILED(value.punkVal->QueryInterface(IID_PPV_ARGS(&persist)))) {
        return WriteValue<uint8_t>(stream, 0);  // an empty reference
      }
      RETURN_IF_FAILED(WriteValue<uint8_t>(stream, 1));
      ComPtr<IStream> saved;
      RETURN_IF_FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &saved));
      RETURN_IF_FAILED(OleSaveToStream(persist.Get(), saved.Get()));
      ULARGE_INTEGER size{};
      LARGE_INTEGER zero{};
      RETURN_IF_FAILED(saved->Seek(zero, STREAM_SEEK_CUR, &size));
      if (size.QuadPart > kMaxObjectBytes) return STG_E_MEDIUMFULL;
      RETURN_IF_FAILED(WriteValue<uint32_t>(stream, static_cast<uint32_t>(size.QuadPart)));
      RETURN_IF_FAILED(saved->Seek(zero, STREAM_SEEK_SET, nullptr));
      ULARGE_INTEGER copied{};
      RETURN_IF_FAILED(saved->CopyTo(stream, size, nullptr, &copied));
      return copied.QuadPart == size.QuadPart ? S_OK : STG_E_WRITEFAULT;
    }
    default: {
      UniqueVariant text;
      if (value.vt != VT_BSTR) {
        RETURN_IF_FAILED(VariantChangeType(text.get(), const_cast<VARIANT*>(&value), 0, VT_BSTR));
      } else {
        RETURN_IF_FAILED(VariantCopy(text.get(), const_cast<VARIANT*>(&value)));
      }
      RETURN_IF_FAILED(WriteValue<uint16_t>(stream, VT_BSTR));
      return WriteText(stream, text->bstrVal, SysStringLen(text->bstrVal));
    }
  }
}

// What reading an entry found besides its value.
enum class EntryRead { Value, Skipped };

// Reads a saved object's bytes in steps, so that a damaged length allocates no more than the
// stream really holds.
HRESULT ReadObjectBytes(IStream* stream, uint32_t length, std::vector<uint8_t>* bytes) noexcept
    try {
  constexpr uint32_t kStep = 64u << 10;
  bytes->clear();
  while (bytes->size() < length) {
    const size_t at = bytes->size();
    const uint32_t n =
        length - static_cast<uint32_t>(at) < kStep ? length - static_cast<uint32_t>(at) : kStep;
    bytes->resize(at + n);
    RETURN_IF_FAILED(ReadBytes(stream, bytes->data() + at, n));
  }
  return S_OK;
}
CATCH_RETURN()

// A picture from its persisted form (header and image), which the check has to pass before
// the system's decoder sees it: the decoder reads wherever damaged sizes point. The decoder
// gets a stream of exactly these bytes. Data that fails the check, or that the decoder
// refuses, counts as absent.
HRESULT PictureFromBytes(const uint8_t* data, size_t size, VARIANT* value,
                         EntryRead* outcome) noexcept {
  *outcome = EntryRead::Skipped;
  if (CheckPersistedPicture(data, size) == PictureKind::Rejected) return S_OK;
  ComPtr<IStream> bytes;
  bytes.Attach(SHCreateMemStream(data, static_cast<UINT>(size)));
  if (!bytes) return E_OUTOFMEMORY;
  ComPtr<IPersistStream> picture;
  RETURN_IF_FAILED(OleCreatePictureIndirect(nullptr, IID_IPersistStream, TRUE,
                                            reinterpret_cast<void**>(picture.GetAddressOf())));
  if (FAILED(picture->Load(bytes.Get()))) return S_OK;
  RETURN_IF_FAILED(picture.CopyTo(IID_IDispatch, reinterpret_cast<void**>(&value->pdispVal)));
  value->vt = VT_DISPATCH;
  *outcome = EntryRead::Value;
  return S_OK;
}

// The only class ever created from saved data is the standard picture: the class id in the
// stream is checked before anything is created, so crafted data cannot make the control
// instantiate another registered class inside its host.
//
// Current layout: the object's length comes first, so whatever the object holds, reading
// goes on after it.
HRESULT LoadSizedPicture(IStream* stream, uint32_t length, VARIANT* value,
                         EntryRead* outcome) noexcept try {
  *outcome = EntryRead::Skipped;
  std::vector<uint8_t> object;
  RETURN_IF_FAILED(ReadObjectBytes(stream, length, &object));
  CLSID clsid{};
  if (object.size() < sizeof(clsid)) return S_OK;
  memcpy(&clsid, object.data(), sizeof(clsid));
  if (!IsEqualCLSID(clsid, CLSID_StdPicture)) return S_OK;
  const uint8_t* persisted = object.data() + sizeof(clsid);
  const size_t available = object.size() - sizeof(clsid);
  // The picture's own header says how much of the object it is.
  const int64_t image = PictureImageLength(persisted, available);
  if (image < 0 || static_cast<uint64_t>(image) > available - kPictureHeaderBytes) return S_OK;
  return PictureFromBytes(persisted, kPictureHeaderBytes + static_cast<size_t>(image), value,
                          outcome);
}
CATCH_RETURN()

// The earlier layout, without the object's length: a standard picture's own header still
// delimits it, so reading goes on after a picture that fails the check. After an object of
// another class, or one whose header is unreadable, nothing shows where the object ends: the
// stream is refused rather than left inside it, where a container that keeps more in the same
// stream would read on.
HRESULT LoadUnsizedPicture(IStream* stream, VARIANT* value, EntryRead* outcome) noexcept try {
  *outcome = EntryRead::Skipped;
  CLSID clsid{};
  RETURN_IF_FAILED(ReadClassStm(stream, &clsid));
  if (!IsEqualCLSID(clsid, CLSID_StdPicture)) return STG_E_DOCFILECORRUPT;
  std::vector<uint8_t> persisted(kPictureHeaderBytes);
  RETURN_IF_FAILED(ReadBytes(stream, persisted.data(), kPictureHeaderBytes));
  const int64_t image = PictureImageLength(persisted.data(), persisted.size());
  if (image < 0 || image > kMaxObjectBytes) return STG_E_DOCFILECORRUPT;
  std::vector<uint8_t> bytes;
  RETURN_IF_FAILED(ReadObjectBytes(stream, static_cast<uint32_t>(image), &bytes));
  persisted.insert(persisted.end(), bytes.begin(), bytes.end());
  return PictureFromBytes(persisted.data(), persisted.size(), value, outcome);
}
CATCH_RETURN()

HRESULT ReadEntryValue(IStream* stream, uint32_t version, VARIANT* value,
                       EntryRead* outcome) noexcept {
  *outcome = EntryRead::Value;
  uint16_t vt = 0;
  RETURN_IF_FAILED(ReadValue(stream, &vt));
  switch (vt) {
    case VT_BOOL: {
      int16_t b = 0;
      RETURN_IF_FAILED(ReadValue(stream, &b));
      value->vt = VT_BOOL;
      value->boolVal = b ? VARIANT_TRUE : VARIANT_FALSE;
      return S_OK;
    }
    case VT_I4: {
      int32_t n = 0;
      RETURN_IF_FAILED(ReadValue(stream, &n));
      value->vt = VT_I4;
      value->lVal = n;
      return S_OK;
    }
    case VT_DISPATCH: {
      uint8_t present = 0;
      RETURN_IF_FAILED(ReadValue(stream, &present));
      value->vt = VT_DISPATCH;
      value->pdispVal = nullptr;
      if (present == 0) return S_OK;
      if (present != 1) return STG_E_DOCFILECORRUPT;
      if (version < 2) return LoadUnsizedPicture(stream, value, outcome);
      uint32_t length = 0;
      RETURN_IF_FAILED(ReadValue(stream, &length));
      if (length > kMaxObjectBytes) return STG_E_DOCFILECORRUPT;
      return LoadSizedPicture(stream, length, value, outcome);
    }
    case VT_BSTR: {
      std::wstring text;
      RETURN_IF_FAILED(ReadText(stream, kMaxTextUnits, &text));
      BSTR b = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
      if (!b) return E_OUTOFMEMORY;
      value->vt = VT_BSTR;
      value->bstrVal = b;
      return S_OK;
    }
    default:
      return STG_E_DOCFILECORRUPT;
  }
}

}  // namespace

Microsoft::WRL::ComPtr<MemoryPropertyBag> MemoryPropertyBag::Create() noexcept {
  return common::Adopt(new (std::nothrow) MemoryPropertyBag);
}

const QITAB* MemoryPropertyBag::Interfaces() noexcept {
  static const QITAB table[] = {QITABENT(MemoryPropertyBag, IPropertyBag), {}};
  return table;
}

MemoryPropertyBag::Entry* MemoryPropertyBag::Find(LPCOLESTR name) noexcept {
  // Property names are matched without regard to case.
  for (auto& entry : entries_) {
    if (CompareStringOrdinal(entry.name.c_str(), -1, name, -1, TRUE) == CSTR_EQUAL) return &entry;
  }
  return nullptr;
}

STDMETHODIMP MemoryPropertyBag::Read(LPCOLESTR name, VARIANT* value, IErrorLog*) noexcept {
  RETURN_IF_NULL(name);
  RETURN_IF_NULL(value);
  Entry* entry = Find(name);
  if (!entry) return E_INVALIDARG;
  VARTYPE wanted = value->vt;
  VariantInit(value);
  if (wanted == VT_EMPTY || wanted == entry->value->vt)
    return VariantCopy(value, entry->value.get());
  return VariantChangeType(value, entry->value.get(), 0, wanted);
}

STDMETHODIMP MemoryPropertyBag::Write(LPCOLESTR name, VARIANT* value) noexcept try {
  RETURN_IF_NULL(name);
  RETURN_IF_NULL(value);
  Entry* entry = Find(name);
  if (!entry) {
    entries_.push_back(Entry{name, UniqueVariant{}});
    entry = &entries_.back();
  }
  return VariantCopy(entry->value.put(), value);
}
CATCH_RETURN()

HRESULT MemoryPropertyBag::SaveTo(IStream* stream) const noexcept {
  RETURN_IF_NULL(stream);
  RETURN_IF_FAILED(WriteBytes(stream, kMagic, sizeof(kMagic)));
  RETURN_IF_FAILED(WriteValue(stream, kVersion));
  RETURN_IF_FAILED(WriteValue(stream, static_cast<uint32_t>(entries_.size())));
  for (const auto& entry : entries_) {
    RETURN_IF_FAILED(
        WriteText(stream, entry.name.c_str(), static_cast<uint32_t>(entry.name.size())));
    RETURN_IF_FAILED(WriteEntryValue(stream, *entry.value.get()));
  }
  return S_OK;
}

HRESULT MemoryPropertyBag::LoadFrom(IStream* stream) noexcept try {
  RETURN_IF_NULL(stream);
  entries_.clear();
  char magic[4] = {};
  uint32_t version = 0, count = 0;
  RETURN_IF_FAILED(ReadBytes(stream, magic, sizeof(magic)));
  RETURN_IF_FAILED(ReadValue(stream, &version));
  RETURN_IF_FAILED(ReadValue(stream, &count));
  if (memcmp(magic, kMagic, sizeof(kMagic)) != 0 || version < 1 || version > kVersion ||
      count > kMaxEntries) {
    return STG_E_DOCFILECORRUPT;
  }
  std::vector<Entry> loaded;
  for (uint32_t i = 0; i < count; ++i) {
    Entry entry{};
    RETURN_IF_FAILED(ReadText(stream, kMaxNameUnits, &entry.name));
    EntryRead outcome = EntryRead::Value;
    RETURN_IF_FAILED(ReadEntryValue(stream, version, entry.value.get(), &outcome));
    if (outcome == EntryRead::Value) loaded.push_back(std::move(entry));
  }
  entries_ = std::move(loaded);
  return S_OK;
}
CATCH_RETURN()

}  // namespace usercontrol
