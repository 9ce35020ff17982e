#include "SavedData.h"

#include <shlwapi.h>

#include <cstring>

namespace kestrow_test {

Bytes StreamBytes(IStream* stream) {
  LARGE_INTEGER zero{};
  ULARGE_INTEGER end{};
  stream->Seek(zero, STREAM_SEEK_END, &end);
  stream->Seek(zero, STREAM_SEEK_SET, nullptr);
  Bytes bytes(static_cast<size_t>(end.QuadPart));
  ULONG read = 0;
  if (!bytes.empty()) stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read);
  bytes.resize(read);
  return bytes;
}

ComPtr<IStream> StreamOf(const Bytes& bytes) {
  ComPtr<IStream> stream;
  stream.Attach(SHCreateMemStream(bytes.data(), static_cast<UINT>(bytes.size())));
  return stream;
}

ComPtr<IPictureDisp> PictureFromPersisted(const Bytes& persisted) {
  ComPtr<IPictureDisp> picture;
  auto stream = StreamOf(persisted);
  if (FAILED(OleLoadPicture(stream.Get(), static_cast<LONG>(persisted.size()), TRUE,
                            IID_IPictureDisp, reinterpret_cast<void**>(picture.GetAddressOf())))) {
    picture.Reset();
  }
  return picture;
}

Bytes SavedObject(IPictureDisp* picture) {
  ComPtr<IPersistStream> persist;
  ComPtr<IStream> stream;
  if (FAILED(picture->QueryInterface(IID_PPV_ARGS(&persist))) ||
      FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &stream)) ||
      FAILED(OleSaveToStream(persist.Get(), stream.Get()))) {
    return {};
  }
  return StreamBytes(stream.Get());
}

SIZE PictureSize(IPictureDisp* picture) {
  ComPtr<IPicture> p;
  OLE_XSIZE_HIMETRIC width = 0;
  OLE_YSIZE_HIMETRIC height = 0;
  if (picture && SUCCEEDED(picture->QueryInterface(IID_PPV_ARGS(&p)))) {
    p->get_Width(&width);
    p->get_Height(&height);
  }
  return {width, height};
}

namespace {

// A reader over the stream's bytes that fails, rather than reads past the end.
struct Reader {
  const Bytes& b;
  size_t at;
  bool Take(size_t n) {
    if (b.size() - at < n) return false;
    at += n;
    return true;
  }
  bool U32(uint32_t* v) {
    if (b.size() - at < 4) return false;
    *v = picture_samples::Get32(b, at);
    at += 4;
    return true;
  }
  bool U16(uint16_t* v) {
    if (b.size() - at < 2) return false;
    *v = static_cast<uint16_t>(b[at] | b[at + 1] << 8);
    at += 2;
    return true;
  }
};

}  // namespace

bool FindSavedObject(const Bytes& stream, const std::wstring& name, ObjectSpan* span) {
  Reader r{stream, 0};
  uint32_t version = 0, count = 0;
  if (!r.Take(4) || !r.U32(&version) || !r.U32(&count) || version != 2) return false;
  for (uint32_t i = 0; i < count; ++i) {
    uint32_t units = 0;
    if (!r.U32(&units) || stream.size() - r.at < units * 2u) return false;
    std::wstring entry(units, L'\0');
    memcpy(entry.data(), stream.data() + r.at, units * 2u);
    r.at += units * 2u;
    uint16_t vt = 0;
    if (!r.U16(&vt)) return false;
    uint32_t length = 0;
    switch (vt) {
      case VT_BOOL:
        if (!r.Take(2)) return false;
        break;
      case VT_I4:
        if (!r.Take(4)) return false;
        break;
      case VT_BSTR:
        if (!r.U32(&length) || !r.Take(length * 2u)) return false;
        break;
      case VT_DISPATCH: {
        if (!r.Take(1)) return false;
        if (stream[r.at - 1] == 0) break;
        const size_t lengthAt = r.at;
        if (!r.U32(&length)) return false;
        if (entry == name) {
          *span = {lengthAt, r.at, length};
          return stream.size() - r.at >= length;
        }
        if (!r.Take(length)) return false;
        break;
      }
      default:
        return false;
    }
  }
  return false;
}

Bytes ReplaceObject(const Bytes& stream, const ObjectSpan& span, const Bytes& object) {
  Bytes out(stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(span.start));
  picture_samples::Set32(out, span.lengthAt, static_cast<uint32_t>(object.size()));
  out.insert(out.end(), object.begin(), object.end());
  out.insert(out.end(), stream.begin() + static_cast<std::ptrdiff_t>(span.start + span.length),
             stream.end());
  return out;
}

Bytes SavedStream(IUnknown* control) {
  ComPtr<IPersistStreamInit> persist;
  ComPtr<IStream> stream;
  if (FAILED(control->QueryInterface(IID_PPV_ARGS(&persist))) ||
      FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &stream)) ||
      FAILED(persist->Save(stream.Get(), TRUE))) {
    return {};
  }
  return StreamBytes(stream.Get());
}

HRESULT LoadStreamBytes(IUnknown* control, const Bytes& bytes) {
  ComPtr<IPersistStreamInit> persist;
  HRESULT hr = control->QueryInterface(IID_PPV_ARGS(&persist));
  if (FAILED(hr)) return hr;
  auto stream = StreamOf(bytes);
  return stream ? persist->Load(stream.Get()) : E_OUTOFMEMORY;
}

}  // namespace kestrow_test
