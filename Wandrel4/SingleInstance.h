// One Wandrel per user session. The first start takes the session's claim (a named mutex it
// owns) and lets it go as soon as it begins to end; a later start that finds the claim
// taken asks the holder's forms to show themselves, and if the holder has no shown window
// yet (still starting) or any more (ending), waits a little for one or for the claim.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "Handles.h"
#include "core/SecondStart.h"

class SingleInstance {
 public:
  // The program's own name for the mutex; tests give one of their own.
  static constexpr wchar_t kMutexName[] = L"Local\\Wandrel4.SingleInstance";

  // Takes the claim if it is free.
  explicit SingleInstance(const wchar_t* mutexName = kMutexName);
  ~SingleInstance() { Release(); }
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  // True while this start holds the claim (also when the mutex cannot be made at all: a
  // program that cannot tell is better running than gone). A claim this start may not even
  // open belongs to another instance (one that runs as administrator).
  bool IsFirst() const { return held_; }
  // Waits up to waitMs for the claim; true once this start holds it. A holder that ended
  // without letting go (its process died) counts as gone.
  bool TryClaim(uint32_t waitMs);
  // Lets the claim go, so that a start from now on runs as the only one. Only the thread
  // that took the claim can let it go.
  void Release();

 private:
  std::wstring name_;
  UniqueKernelHandle mutex_;
  bool held_ = false;
};

// Asks another instance to bring its shown window to the front. Returns whether one of its
// forms answered that it did.
bool BringFirstInstanceForward();

// A start whose claim is taken: waits for the holder's window (brought forward) or its end,
// and tells the user when it gets neither. Returns true when this start now holds the claim
// and goes on as the only instance.
bool SettleWithFirstInstance(SingleInstance& instance);
// The same wait on a probe of the caller's.
bool SettleWithFirstInstance(core::InstanceProbe& probe);
