// The one way this code base implements IUnknown.
//
// ComObject: a heap object with one reference count (RefCount), QueryInterface by table (a
// QITAB, one static_cast per entry, so no wrong vtable can be handed out) and the module lock held
// from construction to destruction. The derived class names its interfaces in
//     static const QITAB* Interfaces() noexcept;   // the first entry answers IUnknown
// and may answer an interface known only at run time (an event interface that is its
// IDispatch) by hiding Alias(). Its destructor may be private: Release deletes through the
// template's virtual destructor.
//
// ComPart: an interface object that lives inside another (a connection point inside its
// control) and shares the owner's life: AddRef and Release go to the owner.
//
// Adopt and QueryFresh create without MinGW's ComPtr::Attach, which adds a reference of its
// own and would leak the new object.
#pragma once

#include <windows.h>

#include <shlwapi.h>
#include <unknwn.h>
#include <wrl/client.h>

#include <type_traits>
#include <utility>

namespace common {

// The module's count of live objects and server locks, which DllCanUnloadNow reads. An inline
// variable exists once per binary, so the program and the control library count apart.
inline LONG g_moduleLocks = 0;
inline void ModuleLock() noexcept { InterlockedIncrement(&g_moduleLocks); }
inline void ModuleUnlock() noexcept { InterlockedDecrement(&g_moduleLocks); }
inline LONG ModuleLocks() noexcept { return InterlockedCompareExchange(&g_moduleLocks, 0, 0); }

// QISearch's rule without linking shlwapi into the program: the first entry answers IUnknown,
// so every interface leads back to one identity; the table ends with a null IID. One copy per
// binary rather than one inside every class's QueryInterface.
[[gnu::noinline]] inline HRESULT SearchInterfaces(void* base, const QITAB* table, REFIID riid,
                                                  void** ppv) noexcept {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  const bool identity = IsEqualIID(riid, IID_IUnknown);
  for (const QITAB* entry = table; entry->piid; ++entry) {
    if (identity || IsEqualIID(riid, *entry->piid)) {
      auto* found = reinterpret_cast<IUnknown*>(static_cast<char*>(base) + entry->dwOffset);
      found->AddRef();
      *ppv = found;
      return S_OK;
    }
  }
  return E_NOINTERFACE;
}

// One reference count: the creator's reference to start with, and once it reached 0 it is
// never revived, so an object is destroyed exactly once.
class RefCount {
 public:
  RefCount(const RefCount&) = delete;
  RefCount& operator=(const RefCount&) = delete;

  // A reference for a caller that is not a COM client (a window message): never taken on an
  // object whose count already reached 0, which is being destroyed.
  bool TryAddRef() noexcept {
    for (LONG refs = refs_; refs > 0; refs = refs_) {
      if (InterlockedCompareExchange(&refs_, refs + 1, refs) == refs) return true;
    }
    return false;
  }
  // The last reference is gone: the object is being destroyed and must not reach out.
  bool Going() const noexcept { return refs_ == 0; }

 protected:
  RefCount() noexcept = default;
  ~RefCount() = default;

 private:
  template <class, class, class...>
  friend class ComObject;
  ULONG Increment() noexcept { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
  ULONG Decrement() noexcept { return static_cast<ULONG>(InterlockedDecrement(&refs_)); }

  LONG refs_ = 1;
};

namespace detail {
struct OwnRefCount : RefCount {};
struct NoRefCount {};
}  // namespace detail

// The count lives in the object itself, or, where the first base is a RefCount, in that base:
// then it outlives the base's own destructor, in which a control's teardown still asks
// whether it is going.
template <class Derived, class First, class... Rest>
class ComObject : public First, public Rest... {
  static constexpr bool kCountInFirst = std::is_base_of_v<RefCount, First>;

 public:
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;

  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) noexcept override {
    auto* self = static_cast<Derived*>(this);
    return SearchInterfaces(self, Derived::Interfaces(), self->Alias(riid), ppv);
  }
  STDMETHODIMP_(ULONG) AddRef() noexcept override { return Count().Increment(); }
  STDMETHODIMP_(ULONG) Release() noexcept override {
    const ULONG refs = Count().Decrement();
    if (refs == 0) delete this;
    return refs;
  }

 protected:
  // The arguments go to the first base, which may be a class of state rather than an interface.
  template <class... Args>
  explicit ComObject(Args&&... args) noexcept : First(std::forward<Args>(args)...) {
    ModuleLock();
  }
  virtual ~ComObject() { ModuleUnlock(); }

  const IID& Alias(REFIID riid) const noexcept { return riid; }

 private:
  RefCount& Count() noexcept {
    if constexpr (kCountInFirst) {
      return *static_cast<First*>(this);
    } else {
      return own_;
    }
  }

  [[no_unique_address]] std::conditional_t<kCountInFirst, detail::NoRefCount, detail::OwnRefCount>
      own_;
};

template <class Derived, class... Bases>
class ComPart : public Bases... {
 public:
  ComPart(const ComPart&) = delete;
  ComPart& operator=(const ComPart&) = delete;

  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) noexcept override {
    return SearchInterfaces(static_cast<Derived*>(this), Derived::Interfaces(), riid, ppv);
  }
  STDMETHODIMP_(ULONG) AddRef() noexcept override { return owner_->AddRef(); }
  STDMETHODIMP_(ULONG) Release() noexcept override { return owner_->Release(); }

 protected:
  explicit ComPart(IUnknown* owner) noexcept : owner_(owner) {}
  ~ComPart() = default;

 private:
  IUnknown* owner_;
};

// Takes over the creator's reference of a freshly made object (nullptr stays nullptr).
template <class T>
Microsoft::WRL::ComPtr<T> Adopt(T* fresh) noexcept {
  Microsoft::WRL::ComPtr<T> held;
  *held.GetAddressOf() = fresh;
  return held;
}

// Hands out a freshly made object as the interface asked for and drops the creator's
// reference; nullptr means the allocation failed.
template <class T>
HRESULT QueryFresh(T* fresh, REFIID riid, void** ppv) noexcept {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (!fresh) return E_OUTOFMEMORY;
  const HRESULT hr = fresh->QueryInterface(riid, ppv);
  fresh->Release();
  return hr;
}

}  // namespace common
