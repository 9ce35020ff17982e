#include "Session.h"

namespace core {

SessionState AfterSessionChange(SessionState state, unsigned code) {
  switch (code) {
    case 1:  // WTS_CONSOLE_CONNECT
    case 3:  // WTS_REMOTE_CONNECT
      state.disconnected = false;
      break;
    case 2:  // WTS_CONSOLE_DISCONNECT
    case 4:  // WTS_REMOTE_DISCONNECT
      state.disconnected = true;
      break;
    case 7:  // WTS_SESSION_LOCK
      state.locked = true;
      break;
    case 8:  // WTS_SESSION_UNLOCK
      state.locked = false;
      break;
    default:
      break;
  }
  return state;
}

}  // namespace core
