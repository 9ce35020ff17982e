// Whether the session has its desktop, through the notifications of a working day.
#include <gtest/gtest.h>

#include "core/Session.h"

TEST(SessionTest, LockedOrDisconnectedHoldsUntilBothAreOver) {
  // Codes: 1/3 console/remote connect, 2/4 their disconnects, 5 logon, 7 lock, 8 unlock.
  const unsigned codes[] = {7, 8, 2, 3, 7, 4, 8, 1, 5, 4, 3};
  const bool held[] = {true, false, true, false, true, true, true, false, false, true, false};
  core::SessionState state;
  for (size_t i = 0; i < std::size(codes); ++i) {
    state = core::AfterSessionChange(state, codes[i]);
    EXPECT_EQ(held[i], state.Held()) << "after notification " << i << ", code " << codes[i];
  }
}
