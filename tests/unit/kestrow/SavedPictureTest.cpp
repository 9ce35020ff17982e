// Pictures in the control's saved stream: every icon the control saves comes back; a damaged
// picture never reaches the system's decoder and counts as absent, with nothing else in the
// stream lost.
#include "ControlFixture.h"
#include "SavedData.h"
#include "usercontrol/MemoryPropertyBag.h"
#include "usercontrol/PictureCheck.h"

namespace kestrow_test {
namespace {

using picture_samples::IconEntry;
using picture_samples::IconFile;
using picture_samples::Persisted;

constexpr size_t kClassIdBytes = 16;

class SavedPicture : public ControlTest {
 protected:
  // A control showing `icon`, with a tip, saved.
  Bytes SaveWithIcon(IPictureDisp* icon) {
    auto control = NewControl();
    EXPECT_HRESULT_SUCCEEDED(control->putref_TrayIcon(icon));
    SetTip(control.Get(), L"saved tip");
    return SavedStream(control.Get());
  }
  // The default icon's size, which a picture counted as absent gives.
  SIZE DefaultSize() {
    ComPtr<IPictureDisp> icon;
    NewControl()->get_TrayIcon(&icon);
    return PictureSize(icon.Get());
  }
  // Loads the bytes into a new control and expects the default icon and the saved tip.
  void ExpectAbsentPicture(const Bytes& stream, const char* what) {
    auto control = NewControl();
    ASSERT_HRESULT_SUCCEEDED(LoadStreamBytes(control.Get(), stream)) << what;
    ComPtr<IPictureDisp> icon;
    ASSERT_HRESULT_SUCCEEDED(control->get_TrayIcon(&icon));
    ASSERT_NE(icon, nullptr) << what;
    EXPECT_EQ(PictureType(icon.Get()), PICTYPE_ICON) << what;
    const SIZE size = PictureSize(icon.Get()), expected = DefaultSize();
    EXPECT_EQ(size.cx, expected.cx) << what << ": the default icon";
    EXPECT_EQ(size.cy, expected.cy) << what;
    EXPECT_EQ(TipOf(control.Get()), L"saved tip") << what << ": the rest is read";
  }
};

TEST_F(SavedPicture, EveryIconTheControlSavesLoadsAgain) {
  const struct {
    const char* what;
    std::vector<IconEntry> entries;
  } icons[] = {
      {"16 px, 4 bits", {{16, 4, false}}},
      {"16 px, 8 bits", {{16, 8, false}}},
      {"16 px, 32 bits", {{16, 32, false}}},
      {"32 px, 4 bits", {{32, 4, false}}},
      {"32 px, 8 bits", {{32, 8, false}}},
      {"32 px, 32 bits", {{32, 32, false}}},
      {"48 px, 4 bits", {{48, 4, false}}},
      {"48 px, 8 bits", {{48, 8, false}}},
      {"48 px, 32 bits", {{48, 32, false}}},
      {"256 px PNG", {{256, 32, true}}},
      {"three sizes", {{16, 8, false}, {32, 8, false}, {48, 32, false}}},
  };
  for (const auto& icon : icons) {
    auto picture = PictureFromPersisted(Persisted(IconFile(icon.entries)));
    ASSERT_NE(picture, nullptr) << icon.what;
    ASSERT_EQ(PictureType(picture.Get()), PICTYPE_ICON) << icon.what;
    const Bytes saved = SaveWithIcon(picture.Get());
    ObjectSpan span{};
    ASSERT_TRUE(FindSavedObject(saved, L"TrayIcon", &span)) << icon.what;
    const Bytes object(saved.begin() + static_cast<std::ptrdiff_t>(span.start),
                       saved.begin() + static_cast<std::ptrdiff_t>(span.start + span.length));
    ASSERT_GT(object.size(), kClassIdBytes);
    EXPECT_EQ(usercontrol::CheckPersistedPicture(object.data() + kClassIdBytes,
                                                 object.size() - kClassIdBytes),
              usercontrol::PictureKind::Icon)
        << icon.what << ": the saved form passes the check";

    auto control = NewControl();
    ASSERT_HRESULT_SUCCEEDED(LoadStreamBytes(control.Get(), saved)) << icon.what;
    ComPtr<IPictureDisp> loaded;
    ASSERT_HRESULT_SUCCEEDED(control->get_TrayIcon(&loaded));
    ASSERT_NE(loaded, nullptr) << icon.what;
    EXPECT_EQ(PictureType(loaded.Get()), PICTYPE_ICON) << icon.what;
    EXPECT_EQ(PictureSize(loaded.Get()).cx, PictureSize(picture.Get()).cx) << icon.what;
    EXPECT_EQ(TipOf(control.Get()), L"saved tip");
  }
}

// The stream's bag holds any standard picture; a bitmap comes back as a bitmap (which the
// control's TrayIcon then ignores, as it ignores a bitmap a caller sets).
TEST_F(SavedPicture, ABitmapInTheStreamComesBackAsABitmap) {
  auto bitmap = PictureFromPersisted(Persisted(picture_samples::BitmapFile(5, 3, 24)));
  ASSERT_NE(bitmap, nullptr);
  auto made = BitmapPicture();  // made from a handle, saved as the picture object writes it
  for (IPictureDisp* picture : {bitmap.Get(), made.Get()}) {
    auto bag = usercontrol::MemoryPropertyBag::Create();
    VARIANT v = ObjectValue(picture);
    ASSERT_HRESULT_SUCCEEDED(bag->Write(L"TrayIcon", &v));
    VariantClear(&v);
    ComPtr<IStream> stream;
    ASSERT_HRESULT_SUCCEEDED(CreateStreamOnHGlobal(nullptr, TRUE, &stream));
    ASSERT_HRESULT_SUCCEEDED(bag->SaveTo(stream.Get()));
    auto loaded = usercontrol::MemoryPropertyBag::Create();
    ASSERT_HRESULT_SUCCEEDED(loaded->LoadFrom(StreamOf(StreamBytes(stream.Get())).Get()));
    VARIANT read;
    VariantInit(&read);
    ASSERT_HRESULT_SUCCEEDED(loaded->Read(L"TrayIcon", &read, nullptr));
    ASSERT_EQ(read.vt, VT_DISPATCH);
    ComPtr<IPictureDisp> back;
    ASSERT_HRESULT_SUCCEEDED(read.pdispVal->QueryInterface(IID_PPV_ARGS(&back)));
    EXPECT_EQ(PictureType(back.Get()), PICTYPE_BITMAP);
    EXPECT_EQ(PictureSize(back.Get()).cx, PictureSize(picture).cx);
    VariantClear(&read);
  }
}

// The damage that crashed a host: four bytes of the saved icon's directory pointing the
// image outside the data. Then the other shapes a damaged picture takes.
TEST_F(SavedPicture, ADamagedIconCountsAsAbsentAndTheRestIsRead) {
  auto picture = PictureFromPersisted(Persisted(IconFile({{16, 32, false}})));
  ASSERT_NE(picture, nullptr);
  const Bytes saved = SaveWithIcon(picture.Get());
  ObjectSpan span{};
  ASSERT_TRUE(FindSavedObject(saved, L"TrayIcon", &span));
  const size_t lt = span.start + kClassIdBytes;  // the picture's header
  const size_t icon = lt + 8;                    // the icon file
  const size_t image = icon + 22;                // its one image
  const struct {
    const char* what;
    size_t at;
    uint32_t value;
  } damage[] = {
      {"image offset past the end", icon + 18, 0x7FFFFFF0},
      {"image size past the end", icon + 14, 0x00FFFFFF},
      {"image count 65535", icon + 4, 0x1010FFFF},  // the entry keeps its 16 x 16
      {"header width", image + 4, 4000},
      {"header height", image + 8, 16},
      {"header size", image, 4000},
      {"picture length past the object", lt + 4, 0x7FFFFFFF},
      {"picture length 1", lt + 4, 1},
      {"picture tag", lt, 0x0000544C},
      {"class id", span.start, 0x12345678},
  };
  for (const auto& d : damage) {
    Bytes b = saved;
    picture_samples::Set32(b, d.at, d.value);
    ExpectAbsentPicture(b, d.what);
  }
  // The object's own length: too short for a class id, or cut inside the picture.
  const Bytes object(saved.begin() + static_cast<std::ptrdiff_t>(span.start),
                     saved.begin() + static_cast<std::ptrdiff_t>(span.start + span.length));
  ExpectAbsentPicture(ReplaceObject(saved, span, Bytes(object.begin(), object.begin() + 8)),
                      "object of 8 bytes");
  ExpectAbsentPicture(ReplaceObject(saved, span, Bytes(object.begin(), object.end() - 1)),
                      "object one byte short");
  ExpectAbsentPicture(ReplaceObject(saved, span, {}), "empty object");
  // A metafile is no picture the control can check.
  auto metafile = object;
  metafile.resize(kClassIdBytes);
  const Bytes placeable = Persisted({0xD7, 0xCD, 0xC6, 0x9A, 0, 0, 0, 0, 0, 0, 16, 0, 16, 0});
  metafile.insert(metafile.end(), placeable.begin(), placeable.end());
  ExpectAbsentPicture(ReplaceObject(saved, span, metafile), "metafile");
}

// The earlier layout keeps no object lengths; a picture's own header still delimits it, so a
// damaged picture there loses nothing after it either.
TEST_F(SavedPicture, ADamagedIconInTheEarlierLayoutLosesNothingAfterIt) {
  auto picture = PictureFromPersisted(Persisted(IconFile({{16, 8, false}})));
  ASSERT_NE(picture, nullptr);
  Bytes object = SavedObject(picture.Get());
  ASSERT_GT(object.size(), kClassIdBytes + 8 + 22);
  picture_samples::Set32(object, kClassIdBytes + 8 + 18, 0x7FFFFFF0);  // image offset
  Bytes v1{'U', 'C', 'P', 'B'};
  picture_samples::Put32(v1, 1);
  picture_samples::Put32(v1, 2);
  auto putName = [&](const std::wstring& name) {
    picture_samples::Put32(v1, static_cast<uint32_t>(name.size()));
    for (wchar_t c : name) picture_samples::Put16(v1, c);
  };
  putName(L"TrayIcon");
  picture_samples::Put16(v1, VT_DISPATCH);
  v1.push_back(1);
  v1.insert(v1.end(), object.begin(), object.end());
  putName(L"TrayTip");
  picture_samples::Put16(v1, VT_BSTR);
  putName(L"saved tip");
  ExpectAbsentPicture(v1, "earlier layout");
}

}  // namespace
}  // namespace kestrow_test
