#include "KeepAwake.h"

namespace basDecs {
namespace {

// Process-wide by nature, like the request it carries.
ExecutionStateFn g_executionState = SetThreadExecutionState;

}  // namespace

ExecutionStateFn SetExecutionStateFn(ExecutionStateFn fn) {
  ExecutionStateFn previous = g_executionState;
  g_executionState = fn ? fn : SetThreadExecutionState;
  return previous;
}

void KeepAwake(bool awake) {
  // ES_CONTINUOUS alone clears what an earlier continuous request asked for.
  g_executionState(awake ? ES_CONTINUOUS | ES_SYSTEM_REQUIRED | ES_DISPLAY_REQUIRED
                         : ES_CONTINUOUS);
}

}  // namespace basDecs
