// Whether the user's session has its desktop: while it is locked or disconnected the
// cursor cannot be read, and moves and clicks reach nothing, so the movement cycle holds
// still.
#pragma once

namespace core {

struct SessionState {
  bool locked = false;
  bool disconnected = false;  // from the console or from a remote client
  bool Held() const { return locked || disconnected; }
  friend bool operator==(const SessionState&, const SessionState&) = default;
};

// The state after a session notification (the system's WTS_* code: 1 console connect, 2
// console disconnect, 3 remote connect, 4 remote disconnect, 7 lock, 8 unlock). Other codes
// change nothing.
SessionState AfterSessionChange(SessionState state, unsigned code);

}  // namespace core
