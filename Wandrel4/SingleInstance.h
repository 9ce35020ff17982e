// One Wandrel per user session: the first start holds a session-local named mutex; a later
// start finds it held, asks the first one's forms to show themselves, and ends.
#pragma once

#include <windows.h>

#include "Handles.h"

class SingleInstance {
 public:
  // The program's own name for the mutex; tests give one of their own.
  static constexpr wchar_t kMutexName[] = L"Local\\Wandrel4.SingleInstance";

  explicit SingleInstance(const wchar_t* mutexName = kMutexName);

  // True for the first start in this session (also when the mutex cannot be made at all:
  // a program that cannot tell is better running than gone).
  bool IsFirst() const { return first_; }

 private:
  UniqueKernelHandle mutex_;
  bool first_ = true;
};

// Asks the first instance to bring its shown window to the front. Returns whether a window
// of the first instance was found and told.
bool BringFirstInstanceForward();
