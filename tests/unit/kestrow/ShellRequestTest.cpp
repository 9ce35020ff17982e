// The requests as the shell receives them: record layout, flags, the tip field.
#include "ControlFixture.h"

namespace kestrow_test {
namespace {

using Records = ControlTest;

constexpr UINT kCallback = 1125;

TEST_F(Records, AddWithoutTipOrPictureCarriesOnlyTheCallback) {
  auto control = NewControl();
  // Saved data with an empty picture and an empty tip: no tip, no picture.
  RecordingBag bag;
  VARIANT nothing = ObjectValue(nullptr);
  bag.Set(L"TrayIcon", nothing);
  VARIANT empty = TextValue(L"");
  bag.Set(L"TrayTip", empty);
  VariantClear(&empty);
  ASSERT_HRESULT_SUCCEEDED(LoadFrom(control.Get(), bag));
  ASSERT_HRESULT_SUCCEEDED(control->put_InTray(VARIANT_TRUE));
  ASSERT_EQ(Requests().size(), 1u);
  const auto& r = Requests()[0];
  EXPECT_EQ(r.message, static_cast<DWORD>(NIM_ADD));
  EXPECT_EQ(r.record.cbSize, sizeof(mKestrow::NotifyIconRecord));
  EXPECT_EQ(r.record.cbSize, static_cast<DWORD>(NOTIFYICONDATAA_V1_SIZE));
  EXPECT_EQ(r.record.hWnd, WindowOf(control.Get()));
  EXPECT_EQ(r.record.uID, 0u);
  EXPECT_EQ(r.record.uFlags, 1u);
  EXPECT_EQ(r.record.uCallbackMessage, kCallback);
  EXPECT_EQ(r.record.hIcon, nullptr);
  EXPECT_EQ(r.Tip(), std::string(64, '\0'));
}

TEST_F(Records, AddWithTipAndPictureCarriesAllThree) {
  auto control = NewControl();
  auto icon = NewIconPicture();
  ASSERT_HRESULT_SUCCEEDED(control->putref_TrayIcon(icon.Get()));
  SetTip(control.Get(), L"Wandrel4");
  ASSERT_TRUE(Requests().empty()) << "nothing is sent while the icon is not shown";
  ASSERT_HRESULT_SUCCEEDED(control->put_InTray(VARIANT_TRUE));
  ASSERT_EQ(Requests().size(), 1u);
  const auto& r = Requests()[0];
  EXPECT_EQ(r.record.uFlags, 7u);
  EXPECT_EQ(r.record.hIcon, PictureHandle(icon.Get()));
  EXPECT_EQ(r.Tip(), std::string("Wandrel4") + '\0' + std::string(55, ' '));
}

TEST_F(Records, TipsAreCutToSixtyFourBytes) {
  auto control = NewControl();
  ASSERT_HRESULT_SUCCEEDED(control->put_InTray(VARIANT_TRUE));
  const std::string tip63(63, 'a');
  SetTip(control.Get(), std::wstring(63, L'a'));
  SetTip(control.Get(), std::wstring(64, L'b'));
  SetTip(control.Get(), std::wstring(40, L'c') + std::wstring(40, L'd'));
  ASSERT_EQ(Requests().size(), 4u);
  EXPECT_EQ(Requests()[1].Tip(), tip63 + '\0');
  EXPECT_EQ(Requests()[2].Tip(), std::string(64, 'b'));
  EXPECT_EQ(Requests()[3].Tip(), std::string(40, 'c') + std::string(24, 'd'));
  // The control keeps the whole text: only the request cuts it.
  EXPECT_EQ(TipOf(control.Get()).size(), 80u);
}

TEST_F(Records, ModificationsCarryOnlyTheirOwnFlag) {
  auto control = NewControl();
  ASSERT_HRESULT_SUCCEEDED(control->put_InTray(VARIANT_TRUE));
  auto icon = NewIconPicture();
  ASSERT_HRESULT_SUCCEEDED(control->putref_TrayIcon(icon.Get()));
  SetTip(control.Get(), L"tip");
  SetTip(control.Get(), L"tip");  // an unchanged text is sent again
  SetTip(control.Get(), L"");     // and the empty text clears the tooltip
  ASSERT_EQ(Requests().size(), 5u);

  const auto& iconRequest = Requests()[1];
  EXPECT_EQ(iconRequest.message, static_cast<DWORD>(NIM_MODIFY));
  EXPECT_EQ(iconRequest.record.uFlags, static_cast<UINT>(NIF_ICON));
  EXPECT_EQ(iconRequest.record.hIcon, PictureHandle(icon.Get()));
  EXPECT_EQ(iconRequest.record.uCallbackMessage, 0u);
  EXPECT_EQ(iconRequest.Tip(), std::string(64, '\0'));

  for (size_t i = 2; i < 4; ++i) {
    EXPECT_EQ(Requests()[i].message, static_cast<DWORD>(NIM_MODIFY));
    EXPECT_EQ(Requests()[i].record.uFlags, static_cast<UINT>(NIF_TIP));
    EXPECT_EQ(Requests()[i].record.hIcon, nullptr);
    EXPECT_EQ(Requests()[i].record.uCallbackMessage, 0u);
    EXPECT_EQ(Requests()[i].Tip(), std::string("tip") + '\0' + std::string(60, ' '));
  }
  EXPECT_EQ(Requests()[4].Tip(), std::string(1, '\0') + std::string(63, ' '));
}

TEST_F(Records, DeleteCarriesNoFlags) {
  auto control = NewControl();
  SetTip(control.Get(), L"tip");
  ASSERT_HRESULT_SUCCEEDED(control->putref_TrayIcon(NewIconPicture().Get()));
  ASSERT_HRESULT_SUCCEEDED(control->put_InTray(VARIANT_TRUE));
  ASSERT_HRESULT_SUCCEEDED(control->put_InTray(VARIANT_FALSE));
  ASSERT_EQ(Requests().size(), 2u);
  const auto& r = Requests()[1];
  EXPECT_EQ(r.message, static_cast<DWORD>(NIM_DELETE));
  EXPECT_EQ(r.record.uFlags, 0u);
  EXPECT_EQ(r.record.hWnd, WindowOf(control.Get()));
  EXPECT_EQ(r.record.uCallbackMessage, 0u);
  EXPECT_EQ(r.record.hIcon, nullptr);
  EXPECT_EQ(r.Tip(), std::string(64, '\0'));
  // Nothing is sent for a hidden icon.
  ASSERT_HRESULT_SUCCEEDED(control->putref_TrayIcon(NewIconPicture().Get()));
  SetTip(control.Get(), L"other");
  EXPECT_EQ(Requests().size(), 2u);
}

TEST_F(Records, ShellRestartAddsTheShownIconAgain) {
  auto control = NewControl();
  ASSERT_HRESULT_SUCCEEDED(control->put_InTray(VARIANT_TRUE));
  auto icon = NewIconPicture();
  ASSERT_HRESULT_SUCCEEDED(control->putref_TrayIcon(icon.Get()));
  SetTip(control.Get(), L"after restart");
  Requests().clear();
  HWND hwnd = WindowOf(control.Get());
  SendMessageA(hwnd, mKestrow::TaskbarCreatedMessage(), 0, 0);
  ASSERT_EQ(Requests().size(), 1u);
  EXPECT_EQ(Requests()[0].message, static_cast<DWORD>(NIM_ADD));
  EXPECT_EQ(Requests()[0].record.uFlags, 7u);
  EXPECT_EQ(Requests()[0].record.hIcon, PictureHandle(icon.Get()));
  EXPECT_EQ(Requests()[0].Tip().substr(0, 14), std::string("after restart") + '\0');

  // A hidden icon stays hidden.
  ASSERT_HRESULT_SUCCEEDED(control->put_InTray(VARIANT_FALSE));
  Requests().clear();
  SendMessageA(hwnd, mKestrow::TaskbarCreatedMessage(), 0, 0);
  EXPECT_TRUE(Requests().empty());
}

TEST_F(Records, ShellRestartReachesAControlOnItsHostWindow) {
  TestSite site(Ambient::Running);
  auto control = NewControl();
  SiteAndActivate(control.Get(), &site);
  ASSERT_EQ(GetParent(WindowOf(control.Get())), site.window());
  ASSERT_HRESULT_SUCCEEDED(control->put_InTray(VARIANT_TRUE));
  Requests().clear();
  // The shell tells top-level windows only; the control's window is a child now.
  DWORD_PTR result = 0;
  SendMessageTimeoutA(HWND_BROADCAST, mKestrow::TaskbarCreatedMessage(), 0, 0, SMTO_ABORTIFHUNG,
                      5000, &result);
  ASSERT_EQ(Requests().size(), 1u);
  EXPECT_EQ(Requests()[0].message, static_cast<DWORD>(NIM_ADD));
  ComPtr<IOleInPlaceObject> inPlace;
  ASSERT_HRESULT_SUCCEEDED(control.As(&inPlace));
  inPlace->InPlaceDeactivate();
  ComPtr<IOleObject> object;
  ASSERT_HRESULT_SUCCEEDED(control.As(&object));
  object->Close(OLECLOSE_NOSAVE);
  object->SetClientSite(nullptr);
}

// Windows drops Explorer's messages to an elevated host's window unless they are let through.
TEST_F(Records, AnElevatedHostStillHearsTheShell) {
  static HWND allowedFor;
  struct Filter {
    static BOOL WINAPI Change(HWND hwnd, UINT message, DWORD action, void*) {
      if (message == kCallback && action == 1 /* MSGFLT_ALLOW */) allowedFor = hwnd;
      return TRUE;
    }
  };
  const auto system = mKestrow::SetMessageFilterFunction(&Filter::Change);
  auto control = NewControl();
  ASSERT_HRESULT_SUCCEEDED(control->put_InTray(VARIANT_TRUE));
  mKestrow::SetMessageFilterFunction(system);
  EXPECT_EQ(allowedFor, WindowOf(control.Get()));
}

// What was let through for the icon is taken back with it.
TEST_F(Records, TheShellsWayInClosesWithTheIcon) {
  static std::vector<std::pair<HWND, UINT>> closed;
  struct Filter {
    static BOOL WINAPI Change(HWND hwnd, UINT message, DWORD action, void*) {
      if (action == 2 /* MSGFLT_DISALLOW */) closed.push_back({hwnd, message});
      return TRUE;
    }
  };
  const auto system = mKestrow::SetMessageFilterFunction(&Filter::Change);
  auto control = NewControl();
  const HWND hwnd = WindowOf(control.Get());
  ASSERT_HRESULT_SUCCEEDED(control->put_InTray(VARIANT_TRUE));
  EXPECT_TRUE(closed.empty());
  ASSERT_HRESULT_SUCCEEDED(control->put_InTray(VARIANT_FALSE));
  mKestrow::SetMessageFilterFunction(system);
  EXPECT_EQ(closed, (std::vector<std::pair<HWND, UINT>>{{hwnd, mKestrow::TaskbarCreatedMessage()},
                                                        {hwnd, kCallback}}));
}

TEST(TipField, BlanksFollowTheNul) {
  CHAR tip[64];
  mKestrow::FillTip(tip, L"ab");
  EXPECT_EQ(std::string(tip, 64), std::string("ab") + '\0' + std::string(61, ' '));
  mKestrow::FillTip(tip, L"");
  EXPECT_EQ(std::string(tip, 64), std::string(1, '\0') + std::string(63, ' '));
}

}  // namespace
}  // namespace kestrow_test
