// Kestrow.ocx loading thousands of damaged copies of its own saved stream, one with an icon
// and one with a bitmap, each into a fresh instance: no crash, no hang, every instance
// released, and the picture either checked and loaded or counted as absent, with the rest of
// the stream read.
//
// KESTROW_FUZZ_CASES sets the number of cases per stream (default 5000; fewer where Wine is
// slow), KESTROW_FUZZ_SEED the corpus seed. Each case is made from the seed and its index
// alone, so a failure names what to run again.
#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>
#include <random>
#include <sstream>
#include <string>

#include "SavedData.h"
#include "TestHost.h"
#include "usercontrol/PictureCheck.h"

namespace kestrow_test {
namespace {

using picture_samples::Get32;
using picture_samples::IconFile;
using picture_samples::Persisted;
using usercontrol::PictureKind;

constexpr size_t kClassIdBytes = 16;
constexpr wchar_t kTip[] = L"tip after the picture";

uint32_t FromEnvironment(const char* name, uint32_t fallback) {
  const char* text = std::getenv(name);
  if (!text || !*text) return fallback;
  return static_cast<uint32_t>(std::strtoul(text, nullptr, 10));
}

std::wstring TipOf(_cKestrow* control) {
  BSTR b = nullptr;
  if (FAILED(control->get_TrayTip(&b))) return L"<failed>";
  std::wstring tip(b ? b : L"", SysStringLen(b));
  SysFreeString(b);
  return tip;
}

// The built control through its class object, as a host that loads it by file gets it.
class Server {
 public:
  Server() {
    module_ = LoadLibraryW(L"Kestrow.ocx");
    if (!module_) return;
    auto get = reinterpret_cast<HRESULT(WINAPI*)(REFCLSID, REFIID, void**)>(
        reinterpret_cast<void*>(GetProcAddress(module_, "DllGetClassObject")));
    canUnload_ = reinterpret_cast<HRESULT(WINAPI*)()>(
        reinterpret_cast<void*>(GetProcAddress(module_, "DllCanUnloadNow")));
    if (get)
      get(CLSID_cKestrow, IID_IClassFactory, reinterpret_cast<void**>(factory_.GetAddressOf()));
  }
  ~Server() {
    factory_.Reset();
    if (module_) FreeLibrary(module_);
  }
  bool ready() const { return factory_ && canUnload_; }
  ComPtr<_cKestrow> New() {
    ComPtr<_cKestrow> control;
    factory_->CreateInstance(nullptr, IID__cKestrow,
                             reinterpret_cast<void**>(control.GetAddressOf()));
    return control;
  }
  HRESULT ReleaseFactoryAndAskToUnload() {
    factory_.Reset();
    return canUnload_();
  }

 private:
  HMODULE module_ = nullptr;
  ComPtr<IClassFactory> factory_;
  HRESULT(WINAPI* canUnload_)() = nullptr;
};

// What the control must make of a saved object: the picture's own header frames the bytes
// the check judges; anything else counts as absent.
PictureKind ExpectedKind(const Bytes& object) {
  static const Bytes stdPicture = [] {
    Bytes b(kClassIdBytes);
    memcpy(b.data(), &CLSID_StdPicture, kClassIdBytes);
    return b;
  }();
  if (object.size() < kClassIdBytes + 8 ||
      !std::equal(stdPicture.begin(), stdPicture.end(), object.begin())) {
    return PictureKind::Rejected;
  }
  const uint8_t* persisted = object.data() + kClassIdBytes;
  const size_t available = object.size() - kClassIdBytes;
  const int64_t image = usercontrol::PictureImageLength(persisted, available);
  if (image < 0 || static_cast<uint64_t>(image) > available - 8) return PictureKind::Rejected;
  return usercontrol::CheckPersistedPicture(persisted, 8 + static_cast<size_t>(image));
}

// Offsets of the fields that say where things lie, inside a saved picture object: the
// picture's length, the icon directory, its entries and images (PNG chunk lengths too), or
// the bitmap's file and info headers.
std::vector<std::pair<size_t, int>> SizeFields(const Bytes& object) {
  std::vector<std::pair<size_t, int>> fields;  // offset, width in bytes
  const size_t lt = kClassIdBytes, image = lt + 8;
  fields.push_back({lt + 4, 4});
  if (object[image] == 'B') {
    for (size_t at : {2, 10, 14, 18, 22, 32, 46}) fields.push_back({image + at, 4});
    for (size_t at : {26, 28}) fields.push_back({image + at, 2});
    return fields;
  }
  fields.push_back({image + 4, 2});
  const uint32_t count = object[image + 4];
  for (uint32_t i = 0; i < count; ++i) {
    const size_t entry = image + 6 + 16 * i;
    fields.push_back({entry, 1});
    fields.push_back({entry + 1, 1});
    fields.push_back({entry + 8, 4});
    fields.push_back({entry + 12, 4});
    const size_t at = image + Get32(object, entry + 12);
    if (object[at] == 0x89) {  // PNG: every chunk's length
      for (size_t chunk = at + 8; chunk + 8 <= at + Get32(object, entry + 8);) {
        fields.push_back({chunk, -4});
        chunk += 12 + (object[chunk] << 24 | object[chunk + 1] << 16 | object[chunk + 2] << 8 |
                       object[chunk + 3]);
      }
    } else {
      for (size_t f : {0, 4, 8, 16, 32}) fields.push_back({at + f, 4});
      for (size_t f : {12, 14}) fields.push_back({at + f, 2});
    }
  }
  return fields;
}

struct Case {
  Bytes stream;
  bool pictureOnly;  // the damage stays inside the picture object
  std::string what;
};

// One damaged copy of the saved stream, from the seed and the case index alone.
Case MakeCase(const Bytes& saved, const ObjectSpan& span, uint32_t seed, uint32_t index) {
  std::mt19937 rng(seed * 2654435761u + index * 40503u + static_cast<uint32_t>(saved.size()));
  auto pick = [&](size_t n) { return static_cast<size_t>(rng() % n); };
  const Bytes object(saved.begin() + static_cast<std::ptrdiff_t>(span.start),
                     saved.begin() + static_cast<std::ptrdiff_t>(span.start + span.length));
  Bytes damaged = object;
  std::ostringstream what;
  switch (pick(10)) {
    case 0:
    case 1: {  // bit flips inside the picture
      const size_t flips = 1 + pick(8);
      what << flips << " bit flips at";
      for (size_t i = 0; i < flips; ++i) {
        const size_t at = kClassIdBytes + pick(object.size() - kClassIdBytes);
        damaged[at] ^= static_cast<uint8_t>(1u << pick(8));
        what << ' ' << at;
      }
      break;
    }
    case 2:
    case 3:
    case 4: {  // a size or offset set to 0, 1, one past the end, large or random
      const auto fields = SizeFields(object);
      const auto [at, width] = fields[pick(fields.size())];
      const uint32_t values[] = {0,          1,          static_cast<uint32_t>(object.size()),
                                 0x7FFFFFFF, 0xFFFFFFFF, static_cast<uint32_t>(rng())};
      const uint32_t value = values[pick(6)];
      what << "field at " << at << " set to " << value;
      for (int i = 0; i < std::abs(width); ++i) {
        damaged[at + i] =
            static_cast<uint8_t>(width > 0 ? value >> (8 * i) : value >> (8 * (-width - 1 - i)));
      }
      break;
    }
    case 5:
    case 6: {  // the object cut short
      const size_t keep = pick(object.size());
      damaged.resize(keep);
      what << "object cut to " << keep << " bytes";
      break;
    }
    case 7: {  // random bytes over a stretch of the picture
      const size_t at = kClassIdBytes + pick(object.size() - kClassIdBytes);
      const size_t n = 1 + pick(std::min<size_t>(16, object.size() - at));
      for (size_t i = 0; i < n; ++i) damaged[at + i] = static_cast<uint8_t>(rng());
      what << n << " random bytes at " << at;
      break;
    }
    case 8: {  // anywhere in the stream: bit flips
      Bytes stream = saved;
      const size_t flips = 1 + pick(4);
      what << flips << " bit flips in the stream at";
      for (size_t i = 0; i < flips; ++i) {
        const size_t at = pick(stream.size());
        stream[at] ^= static_cast<uint8_t>(1u << pick(8));
        what << ' ' << at;
      }
      return {stream, false, what.str()};
    }
    default: {  // the stream cut short
      const size_t keep = pick(saved.size());
      what << "stream cut to " << keep << " bytes";
      return {Bytes(saved.begin(), saved.begin() + static_cast<std::ptrdiff_t>(keep)), false,
              what.str()};
    }
  }
  return {ReplaceObject(saved, span, damaged), true, what.str()};
}

class Fuzz : public testing::Test {
 protected:
  void Run(const Bytes& saved, const char* corpus) {
    ASSERT_TRUE(server_.ready()) << "Kestrow.ocx beside the test";
    ObjectSpan span{};
    ASSERT_TRUE(FindSavedObject(saved, L"TrayIcon", &span));
    ASSERT_GT(span.length, kClassIdBytes + 8);
    const SIZE defaultSize = [&] {
      ComPtr<IPictureDisp> icon;
      server_.New()->get_TrayIcon(&icon);
      return PictureSize(icon.Get());
    }();
    const uint32_t cases = FromEnvironment("KESTROW_FUZZ_CASES", 5000);
    const uint32_t seed = FromEnvironment("KESTROW_FUZZ_SEED", 15);
    uint32_t loaded = 0, decoded = 0, absent = 0, refusedStreams = 0;
    for (uint32_t i = 0; i < cases; ++i) {
      const Case c = MakeCase(saved, span, seed, i);
      const std::string name = std::string(corpus) + ", seed " + std::to_string(seed) + ", case " +
                               std::to_string(i) + ": " + c.what;
      auto control = server_.New();
      ASSERT_NE(control, nullptr) << name;
      const HRESULT hr = LoadStreamBytes(control.Get(), c.stream);
      ComPtr<IPictureDisp> icon;
      ASSERT_HRESULT_SUCCEEDED(control->get_TrayIcon(&icon)) << name;
      if (c.pictureOnly) {
        ASSERT_EQ(hr, S_OK) << name << ": a damaged picture fails no load";
        ASSERT_EQ(TipOf(control.Get()), kTip) << name << ": what follows the picture is read";
        VARIANT_BOOL inTray = VARIANT_TRUE;
        ASSERT_HRESULT_SUCCEEDED(control->get_InTray(&inTray));
        ASSERT_EQ(inTray, VARIANT_FALSE) << name;
        ObjectSpan damaged{};
        ASSERT_TRUE(FindSavedObject(c.stream, L"TrayIcon", &damaged)) << name;
        const PictureKind kind = ExpectedKind(
            Bytes(c.stream.begin() + static_cast<std::ptrdiff_t>(damaged.start),
                  c.stream.begin() + static_cast<std::ptrdiff_t>(damaged.start + damaged.length)));
        const SIZE size = PictureSize(icon.Get());
        const bool isDefault = icon && PictureType(icon.Get()) == PICTYPE_ICON &&
                               size.cx == defaultSize.cx && size.cy == defaultSize.cy;
        if (kind == PictureKind::Rejected) {
          ASSERT_TRUE(isDefault) << name << ": rejected, so the default icon";
        } else if (kind == PictureKind::Icon) {
          ASSERT_NE(icon, nullptr) << name;
          ASSERT_EQ(PictureType(icon.Get()), PICTYPE_ICON) << name;
        } else {
          ASSERT_TRUE(!icon || isDefault) << name << ": a bitmap is no TrayIcon";
        }
        ++(kind == PictureKind::Rejected ? absent : loaded);
        if (kind != PictureKind::Rejected && !isDefault) ++decoded;
      } else if (SUCCEEDED(hr)) {
        ASSERT_TRUE(!icon || PictureType(icon.Get()) == PICTYPE_ICON) << name;
      } else {
        ++refusedStreams;
      }
      icon.Reset();
      ASSERT_EQ(control.Reset(), 0u) << name << ": released";
    }
    std::cout << corpus << ": " << cases << " cases, seed " << seed << ": " << loaded
              << " pictures passed the check (" << decoded << " decoded), " << absent
              << " counted as absent, " << refusedStreams << " damaged streams refused\n";
    if (cases >= 1000) {
      EXPECT_GT(loaded, 0u) << "the corpus keeps some pictures whole";
      EXPECT_GT(absent, cases / 4) << "the corpus damages most pictures";
    }
    EXPECT_EQ(server_.ReleaseFactoryAndAskToUnload(), S_OK) << "every instance was released";
  }

  // The control's own saved stream, showing `icon`.
  Bytes SaveWith(IPictureDisp* icon) {
    auto control = server_.New();
    if (!control) return {};
    EXPECT_HRESULT_SUCCEEDED(control->putref_TrayIcon(icon));
    BSTR tip = SysAllocString(kTip);
    EXPECT_HRESULT_SUCCEEDED(control->put_TrayTip(tip));
    SysFreeString(tip);
    return SavedStream(control.Get());
  }

  Server server_;
};

// Two sizes and a PNG image: directory, headers, tables, masks and chunks to damage.
Bytes SampleIcon() {
  return Persisted(IconFile({{16, 4, false}, {48, 32, false}, {24, 32, true}}));
}

TEST_F(Fuzz, TheSavedStreamWithAnIcon) {
  auto icon = PictureFromPersisted(SampleIcon());
  ASSERT_NE(icon, nullptr);
  ASSERT_TRUE(server_.ready());
  Run(SaveWith(icon.Get()), "icon");
}

TEST_F(Fuzz, TheSavedStreamWithABitmap) {
  auto icon = PictureFromPersisted(SampleIcon());
  auto bitmap = PictureFromPersisted(Persisted(picture_samples::BitmapFile(13, 7, 8)));
  ASSERT_NE(icon, nullptr);
  ASSERT_NE(bitmap, nullptr);
  ASSERT_TRUE(server_.ready());
  // The control keeps icons only; its stream holds a bitmap where another control's would.
  const Bytes saved = SaveWith(icon.Get());
  ObjectSpan span{};
  ASSERT_TRUE(FindSavedObject(saved, L"TrayIcon", &span));
  Run(ReplaceObject(saved, span, SavedObject(bitmap.Get())), "bitmap");
}

}  // namespace
}  // namespace kestrow_test
