// The shell's callback message on the hooked window: which events it raises, and that the
// window's previous procedure still receives every message.
#include "ControlFixture.h"
#include "usercontrol/Module.h"

namespace kestrow_test {
namespace {

constexpr UINT kCallback = 1125;

// Stands in for the window's own procedure before the hook: records what reaches it and
// answers with a value of its own.
struct PreviousProcedure {
  struct Call {
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    size_t eventsBefore;  // events the sink had seen when the message arrived
  };
  static constexpr LRESULT kResult = 0x5EED;
  std::vector<Call> calls;
  WNDPROC original = nullptr;
  EventSink* sink = nullptr;

  static PreviousProcedure*& Of(HWND hwnd) {
    static std::vector<std::pair<HWND, PreviousProcedure*>> table;
    for (auto& [w, p] : table) {
      if (w == hwnd) return p;
    }
    table.emplace_back(hwnd, nullptr);
    return table.back().second;
  }

  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    PreviousProcedure* self = Of(hwnd);
    if (self && (msg == kCallback || msg >= WM_USER + 500)) {
      self->calls.push_back({msg, wParam, lParam, self->sink ? self->sink->events.size() : 0});
      return kResult;
    }
    return CallWindowProcW(self ? self->original : DefWindowProcW, hwnd, msg, wParam, lParam);
  }

  void Attach(HWND hwnd, EventSink* s) {
    sink = s;
    Of(hwnd) = this;
    original = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Proc)));
  }
};

class Callbacks : public ControlTest {
 protected:
  void Show(const ComPtr<_cKestrow>& control, EventSink& sink, PreviousProcedure& previous) {
    HWND hwnd = WindowOf(control.Get());
    previous.Attach(hwnd, &sink);
    cookie_ = AdviseThroughClassInfo(control.Get(), &sink);
    ASSERT_NE(cookie_, 0u);
    ASSERT_HRESULT_SUCCEEDED(control->put_InTray(VARIANT_TRUE));
    ASSERT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(hwnd, GWLP_WNDPROC)),
              &mKestrow::TrayWindowProc);
  }
  DWORD cookie_ = 0;
};

TEST_F(Callbacks, EachMouseMessageRaisesItsOneEvent) {
  auto control = NewControl();
  EventSink sink;
  PreviousProcedure previous;
  Show(control, sink, previous);
  HWND hwnd = WindowOf(control.Get());

  struct Expected {
    LPARAM message;
    DISPID dispid;
    int args;
    SHORT button;
  };
  const Expected table[] = {
      {512, 1, 1, 0}, {513, 2, 2, 1}, {514, 3, 2, 1}, {515, 4, 2, 1},
      {516, 2, 2, 2}, {517, 3, 2, 2}, {518, 4, 2, 2},
  };
  for (const auto& e : table) {
    sink.events.clear();
    EXPECT_EQ(SendMessageA(hwnd, kCallback, 0, e.message), PreviousProcedure::kResult);
    ASSERT_EQ(sink.events.size(), 1u) << "lParam " << e.message;
    EXPECT_EQ(sink.events[0].dispid, e.dispid) << "lParam " << e.message;
    EXPECT_EQ(sink.events[0].argCount, e.args) << "lParam " << e.message;
    EXPECT_EQ(sink.events[0].button, e.button) << "lParam " << e.message;
    EXPECT_EQ(sink.events[0].id, 0) << "lParam " << e.message;
  }
}

TEST_F(Callbacks, OtherMessagesRaiseNothingAndStillReachThePreviousProcedure) {
  auto control = NewControl();
  EventSink sink;
  PreviousProcedure previous;
  Show(control, sink, previous);
  HWND hwnd = WindowOf(control.Get());

  for (LPARAM message : {511, 519, 520, 521, 0x020A, 0, -1, 0x7FFFFFFF}) {
    EXPECT_EQ(SendMessageA(hwnd, kCallback, 3, message), PreviousProcedure::kResult);
  }
  EXPECT_EQ(SendMessageA(hwnd, WM_USER + 600, 11, 22), PreviousProcedure::kResult);
  EXPECT_TRUE(sink.events.empty());
  ASSERT_EQ(previous.calls.size(), 9u);
  EXPECT_EQ(previous.calls[1].lParam, 519);
  EXPECT_EQ(previous.calls[1].wParam, 3u);
  EXPECT_EQ(previous.calls[8].msg, static_cast<UINT>(WM_USER + 600));
  EXPECT_EQ(previous.calls[8].wParam, 11u);
  EXPECT_EQ(previous.calls[8].lParam, 22);
}

TEST_F(Callbacks, ThePreviousProcedureGetsTheCallbackAfterTheEventsWithTheHandlersId) {
  auto control = NewControl();
  EventSink sink;
  sink.onEvent = [](SHORT* button, LONG* id) {
    *id = 42;
    if (button) *button = 9;  // lost: Button is a temporary
  };
  PreviousProcedure previous;
  Show(control, sink, previous);
  HWND hwnd = WindowOf(control.Get());

  EXPECT_EQ(SendMessageA(hwnd, kCallback, 0, 515), PreviousProcedure::kResult);
  ASSERT_EQ(previous.calls.size(), 1u);
  EXPECT_EQ(previous.calls[0].eventsBefore, 1u);
  EXPECT_EQ(previous.calls[0].wParam, 42u);
  EXPECT_EQ(previous.calls[0].lParam, 515);
  // Each message starts from its own wParam.
  sink.onEvent = nullptr;
  SendMessageA(hwnd, kCallback, 0, 513);
  ASSERT_EQ(sink.events.size(), 2u);
  EXPECT_EQ(sink.events[1].id, 0);
  EXPECT_EQ(sink.events[1].button, 1);
}

TEST_F(Callbacks, NoEventsAfterTheHookIsRemoved) {
  auto control = NewControl();
  EventSink sink;
  PreviousProcedure previous;
  Show(control, sink, previous);
  HWND hwnd = WindowOf(control.Get());
  ASSERT_HRESULT_SUCCEEDED(control->put_InTray(VARIANT_FALSE));

  EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_WNDPROC)),
            &PreviousProcedure::Proc);
  EXPECT_EQ(SendMessageA(hwnd, kCallback, 0, 513), PreviousProcedure::kResult);
  EXPECT_TRUE(sink.events.empty());
  EXPECT_EQ(previous.calls.size(), 1u);
}

// A subclass made after the hook stays when the icon goes, and when it leaves again the
// window's end still reaches the control.
TEST_F(Callbacks, RemovingTheIconKeepsALaterSubclass) {
  auto control = NewControl();
  ASSERT_HRESULT_SUCCEEDED(control->put_InTray(VARIANT_TRUE));
  HWND hwnd = WindowOf(control.Get());
  PreviousProcedure later;
  later.Attach(hwnd, nullptr);
  ASSERT_HRESULT_SUCCEEDED(control->put_InTray(VARIANT_FALSE));
  EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_WNDPROC)),
            &PreviousProcedure::Proc);
  SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(later.original));
  const LONG held = usercontrol::ModuleRefCount();
  EXPECT_EQ(control.Reset(), 0u);
  EXPECT_EQ(usercontrol::ModuleRefCount(), held - 2) << "the object's and its window's";
}

TEST_F(Callbacks, ASinkMayUnadviseOrReleaseTheControlInsideItsHandler) {
  auto control = NewControl();
  EventSink sink;
  PreviousProcedure previous;
  Show(control, sink, previous);
  HWND hwnd = WindowOf(control.Get());
  _cKestrow* raw = control.Detach();  // the handler holds the last reference
  DWORD cookie = cookie_;
  sink.onEvent = [&](SHORT*, LONG*) {
    Unadvise(raw, cookie);
    raw->Release();
  };
  SendMessageA(hwnd, kCallback, 0, 513);
  EXPECT_EQ(sink.events.size(), 1u);
  // The control is gone with its window, its icon and its hold on the sink.
  EXPECT_FALSE(IsWindow(hwnd));
  ASSERT_FALSE(Requests().empty());
  EXPECT_EQ(Requests().back().message, static_cast<DWORD>(NIM_DELETE));
  EXPECT_EQ(sink.refs(), 1u);
}

TEST_F(Callbacks, TwoInstancesShowTheirIconsAtOnce) {
  auto first = NewControl();
  auto second = NewControl();
  EventSink sink1, sink2;
  PreviousProcedure previous1, previous2;
  Show(first, sink1, previous1);
  Show(second, sink2, previous2);
  HWND hwnd1 = WindowOf(first.Get());
  HWND hwnd2 = WindowOf(second.Get());
  ASSERT_NE(hwnd1, hwnd2);
  ASSERT_EQ(Requests().size(), 2u);
  EXPECT_EQ(Requests()[0].record.hWnd, hwnd1);
  EXPECT_EQ(Requests()[1].record.hWnd, hwnd2);

  SendMessageA(hwnd1, kCallback, 0, 513);
  SendMessageA(hwnd2, kCallback, 0, 518);
  ASSERT_EQ(sink1.events.size(), 1u);
  ASSERT_EQ(sink2.events.size(), 1u);
  EXPECT_EQ(sink1.events[0].dispid, 2);
  EXPECT_EQ(sink2.events[0].dispid, 4);
  EXPECT_EQ(previous1.calls.size(), 1u);
  EXPECT_EQ(previous2.calls.size(), 1u);

  // Hiding the first restores its own procedure and leaves the second hooked.
  ASSERT_HRESULT_SUCCEEDED(first->put_InTray(VARIANT_FALSE));
  EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd1, GWLP_WNDPROC)),
            &PreviousProcedure::Proc);
  EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(hwnd2, GWLP_WNDPROC)),
            &mKestrow::TrayWindowProc);
  SendMessageA(hwnd2, kCallback, 0, 514);
  EXPECT_EQ(sink2.events.size(), 2u);
  EXPECT_EQ(previous2.calls.size(), 2u);
  EXPECT_EQ(previous1.calls.size(), 1u);
  ASSERT_HRESULT_SUCCEEDED(second->put_InTray(VARIANT_FALSE));
  EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd2, GWLP_WNDPROC)),
            &PreviousProcedure::Proc);
}

}  // namespace
}  // namespace kestrow_test
