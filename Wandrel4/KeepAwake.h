// While the movement cycle is ON the system and the display stay awake, so that neither the
// screen saver nor sleep stops the cycle halfway. Every request goes through one function,
// which tests can replace to see each request and its release.
#pragma once

#include <windows.h>

namespace basDecs {

using ExecutionStateFn = EXECUTION_STATE(WINAPI*)(EXECUTION_STATE flags);

// Replaces the function the requests go through (nullptr restores SetThreadExecutionState)
// and returns the previous one.
ExecutionStateFn SetExecutionStateFn(ExecutionStateFn fn);

// Asks the system to stay awake (true) or drops that request (false).
void KeepAwake(bool awake);

}  // namespace basDecs
