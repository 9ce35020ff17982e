// The control's saved data as bytes: streams to and from byte vectors, pictures from their
// persisted form, and the place of a saved object inside the property stream ("UCPB",
// version 2: per value its name, type and payload; an object's byte length before it).
#pragma once

#include <ocidl.h>
#include <olectl.h>
#include <wrl/client.h>

#include <string>

#include "../../common/PictureSamples.h"

namespace kestrow_test {

using Microsoft::WRL::ComPtr;
using picture_samples::Bytes;

Bytes StreamBytes(IStream* stream);            // everything in the stream, from its start
ComPtr<IStream> StreamOf(const Bytes& bytes);  // a stream on a copy, positioned at its start

// A picture loaded by the system from its persisted form ("lt", length, image); null when
// the system refuses it.
ComPtr<IPictureDisp> PictureFromPersisted(const Bytes& persisted);
// What OleSaveToStream writes for a picture: its class id, then its persisted form.
Bytes SavedObject(IPictureDisp* picture);
SIZE PictureSize(IPictureDisp* picture);  // HIMETRIC; 0 x 0 for no picture

// Where the value named `name` keeps its object inside a version-2 property stream.
struct ObjectSpan {
  size_t lengthAt;  // the object's 32-bit length
  size_t start;     // its first byte
  uint32_t length;
};
bool FindSavedObject(const Bytes& stream, const std::wstring& name, ObjectSpan* span);
// The stream with that object's bytes replaced by `object`, its length field set to match.
Bytes ReplaceObject(const Bytes& stream, const ObjectSpan& span, const Bytes& object);

// The control's saved stream (IPersistStreamInit::Save), and a load into a control.
Bytes SavedStream(IUnknown* control);
HRESULT LoadStreamBytes(IUnknown* control, const Bytes& bytes);

}  // namespace kestrow_test
