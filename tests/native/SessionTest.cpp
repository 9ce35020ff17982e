// Whether the session has its desktop, from the system's notifications in the order a
// working day sends them.
#include <gtest/gtest.h>

#include "core/Session.h"

namespace {

TEST(SessionTest, LockedOrDisconnectedHoldsUntilBothAreOver) {
  enum : unsigned { Connect = 1, Disconnect = 2, RemoteConnect = 3, RemoteDisconnect = 4 };
  enum : unsigned { Logon = 5, Lock = 7, Unlock = 8 };
  const struct {
    unsigned code;
    bool held;
  } day[] = {
      {Lock, true},
      {Unlock, false},  // lunch
      {Disconnect, true},
      {RemoteConnect, false},  // the session taken over remotely
      {Lock, true},
      {RemoteDisconnect, true},
      {Unlock, true},  // unlocked, but nobody is connected yet
      {Connect, false},
      {Logon, false},
      {RemoteDisconnect, true},
      {RemoteConnect, false},
  };
  core::SessionState state;
  for (const auto& step : day) {
    state = core::AfterSessionChange(state, step.code);
    EXPECT_EQ(step.held, state.Held()) << "after code " << step.code;
  }
}

}  // namespace
