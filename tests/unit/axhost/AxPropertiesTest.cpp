// The saved design properties as a control reads them through its property bag.
#include <gtest/gtest.h>
#include <olectl.h>

#include <string>

#include "forms/AxHost.h"

using forms::AxProperties;
using Microsoft::WRL::ComPtr;

namespace {

struct ReadResult {
  HRESULT hr;
  UniqueVariant value;
};

ReadResult Read(IPropertyBag* bag, const wchar_t* name, VARTYPE want = VT_EMPTY) {
  ReadResult r;
  r.value->vt = want;
  r.hr = bag->Read(name, r.value.get(), nullptr);
  return r;
}

ComPtr<IPropertyBag> BagOf(const AxProperties& props) {
  ComPtr<IPropertyBag> bag;
  EXPECT_EQ(props.CreateBag(&bag), S_OK);
  return bag;
}

// A small icon of our own, so the test can destroy it and see whether the picture kept it.
HICON MakeIcon() {
  BYTE andMask[32 * 4];
  BYTE xorMask[32 * 4];
  memset(andMask, 0x00, sizeof andMask);
  memset(xorMask, 0xA5, sizeof xorMask);
  return CreateIcon(GetModuleHandleW(nullptr), 32, 32, 1, 1, andMask, xorMask);
}

LONG PictureLong(IDispatch* picture, DISPID id) {
  DISPPARAMS none = {};
  UniqueVariant result;
  EXPECT_EQ(
      picture->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, result.put(), nullptr, nullptr),
      S_OK);
  UniqueVariant asLong;
  EXPECT_EQ(VariantChangeType(asLong.put(), result.get(), 0, VT_I4), S_OK);
  return asLong->lVal;
}

}  // namespace

TEST(AxProperties, ValuesReadBackWithTheirTypesAndNamesIgnoreCase) {
  AxProperties props;
  ASSERT_EQ(props.SetBool(L"InTray", true), S_OK);
  ASSERT_EQ(props.SetText(L"TrayTip", L"Wandrel4"), S_OK);
  ASSERT_EQ(props.SetInt(L"_ExtentX", 900), S_OK);
  ComPtr<IPropertyBag> bag = BagOf(props);

  ReadResult inTray = Read(bag.Get(), L"intray");
  ASSERT_EQ(inTray.hr, S_OK);
  EXPECT_EQ(inTray.value->vt, VT_BOOL);
  EXPECT_EQ(inTray.value->boolVal, VARIANT_TRUE);

  ReadResult tip = Read(bag.Get(), L"TRAYTIP");
  ASSERT_EQ(tip.hr, S_OK);
  ASSERT_EQ(tip.value->vt, VT_BSTR);
  EXPECT_STREQ(tip.value->bstrVal, L"Wandrel4");

  ReadResult extent = Read(bag.Get(), L"_ExtentX");
  ASSERT_EQ(extent.hr, S_OK);
  EXPECT_EQ(extent.value->vt, VT_I4);
  EXPECT_EQ(extent.value->lVal, 900);
}

TEST(AxProperties, SettingANameAgainReplacesItsValue) {
  AxProperties props;
  ASSERT_EQ(props.SetText(L"TrayTip", L"first"), S_OK);
  ASSERT_EQ(props.SetText(L"traytip", L"second"), S_OK);
  ComPtr<IPropertyBag> bag = BagOf(props);
  ReadResult tip = Read(bag.Get(), L"TrayTip");
  ASSERT_EQ(tip.hr, S_OK);
  EXPECT_STREQ(tip.value->bstrVal, L"second");
}

TEST(AxProperties, AReadConvertsToTheTypeAskedForOrFailsWithoutTouchingTheValue) {
  AxProperties props;
  ASSERT_EQ(props.SetInt(L"Count", 900), S_OK);
  ASSERT_EQ(props.SetText(L"Tip", L"not a number"), S_OK);
  ComPtr<IPropertyBag> bag = BagOf(props);

  ReadResult asText = Read(bag.Get(), L"Count", VT_BSTR);
  ASSERT_EQ(asText.hr, S_OK);
  ASSERT_EQ(asText.value->vt, VT_BSTR);
  EXPECT_STREQ(asText.value->bstrVal, L"900");

  ReadResult asShort = Read(bag.Get(), L"Count", VT_I2);
  ASSERT_EQ(asShort.hr, S_OK);
  EXPECT_EQ(asShort.value->vt, VT_I2);
  EXPECT_EQ(asShort.value->iVal, 900);

  ReadResult mismatch = Read(bag.Get(), L"Tip", VT_I4);
  EXPECT_EQ(mismatch.hr, DISP_E_TYPEMISMATCH);
  EXPECT_EQ(mismatch.value->vt, VT_I4);  // left as the caller set it
}

TEST(AxProperties, AnAbsentNameTellsTheControlToTakeItsDefault) {
  AxProperties props;
  ASSERT_EQ(props.SetText(L"TrayTip", L"Wandrel4"), S_OK);
  ComPtr<IPropertyBag> bag = BagOf(props);
  ReadResult missing = Read(bag.Get(), L"TrayIcon");
  EXPECT_EQ(missing.hr, E_INVALIDARG);
  EXPECT_EQ(missing.value->vt, VT_EMPTY);
  EXPECT_EQ(props.Find(L"TrayIcon"), nullptr);

  VARIANT v;
  VariantInit(&v);
  EXPECT_EQ(bag->Read(nullptr, &v, nullptr), E_POINTER);
  EXPECT_EQ(bag->Read(L"TrayTip", nullptr, nullptr), E_POINTER);
}

TEST(AxProperties, TheBagIsACopyThatOutlivesAndIgnoresLaterChanges) {
  ComPtr<IPropertyBag> bag;
  {
    AxProperties props;
    ASSERT_EQ(props.SetText(L"TrayTip", L"before"), S_OK);
    ASSERT_EQ(props.CreateBag(&bag), S_OK);
    ASSERT_EQ(props.SetText(L"TrayTip", L"after"), S_OK);

    // What a control writes into the bag stays in the bag.
    UniqueVariant written;
    written->vt = VT_I4;
    written->lVal = 7;
    ASSERT_EQ(bag->Write(L"Written", written.get()), S_OK);
    EXPECT_EQ(props.Find(L"Written"), nullptr);
    ReadResult back = Read(bag.Get(), L"written");
    ASSERT_EQ(back.hr, S_OK);
    EXPECT_EQ(back.value->lVal, 7);
  }
  ReadResult tip = Read(bag.Get(), L"TrayTip");
  ASSERT_EQ(tip.hr, S_OK);
  EXPECT_STREQ(tip.value->bstrVal, L"before");
}

TEST(AxProperties, APictureIsAnIconPictureThatOwnsItsOwnCopy) {
  HICON icon = MakeIcon();
  ASSERT_NE(icon, nullptr);
  ComPtr<IDispatch> picture;
  {
    AxProperties props;
    ASSERT_EQ(props.SetPicture(L"TrayIcon", icon), S_OK);
    ReadResult read = Read(BagOf(props).Get(), L"TrayIcon");
    ASSERT_EQ(read.hr, S_OK);
    ASSERT_EQ(read.value->vt, VT_DISPATCH);
    picture = read.value->pdispVal;
  }
  ASSERT_TRUE(picture);
  ASSERT_TRUE(DestroyIcon(icon));

  // The caller's icon is gone and the properties too; the picture still holds a live icon.
  EXPECT_EQ(PictureLong(picture.Get(), DISPID_PICT_TYPE), PICTYPE_ICON);
  // A 32-bit handle value, widened the way LongToHandle does.
  auto handle = reinterpret_cast<HICON>(
      static_cast<LONG_PTR>(PictureLong(picture.Get(), DISPID_PICT_HANDLE)));
  ICONINFO info = {};
  ASSERT_TRUE(GetIconInfo(handle, &info));
  if (info.hbmMask) DeleteObject(info.hbmMask);
  if (info.hbmColor) DeleteObject(info.hbmColor);
}

TEST(AxProperties, NoIconGivesAnErrorAndStoresNothing) {
  AxProperties props;
  EXPECT_EQ(props.SetPicture(L"TrayIcon", nullptr), E_INVALIDARG);
  EXPECT_EQ(props.Find(L"TrayIcon"), nullptr);
  EXPECT_TRUE(props.Empty());
}
