// A COM enumerator over a snapshot of items (IEnumConnectionPoints, IEnumConnections): the
// items are copied when it is made, so later changes to the source do not disturb it.
#pragma once

#include <ocidl.h>

#include <new>
#include <vector>

#include "ComObject.h"

namespace usercontrol {

// How an item is handed out: an interface pointer, or a CONNECTDATA whose pUnk is counted.
inline void AddRefItem(IConnectionPoint* item) noexcept { item->AddRef(); }
inline void ReleaseItem(IConnectionPoint* item) noexcept { item->Release(); }
inline void AddRefItem(const CONNECTDATA& item) noexcept {
  if (item.pUnk) item.pUnk->AddRef();
}
inline void ReleaseItem(const CONNECTDATA& item) noexcept {
  if (item.pUnk) item.pUnk->Release();
}

template <class IEnum, class Item>
class Enumerator final : public common::ComObject<Enumerator<IEnum, Item>, IEnum> {
 public:
  static const QITAB* Interfaces() noexcept {
    static const QITAB table[] = {
        {&__uuidof(IEnum), static_cast<int>(OFFSETOFCLASS(IEnum, Enumerator))}, {}};
    return table;
  }

  static HRESULT Create(const std::vector<Item>& items, IEnum** out) noexcept try {
    auto* e = new (std::nothrow) Enumerator(items, 0);
    if (!e) return E_OUTOFMEMORY;
    *out = e;
    return S_OK;
  } catch (...) {
    return E_OUTOFMEMORY;
  }

  STDMETHODIMP Next(ULONG count, Item* out, ULONG* fetched) noexcept override {
    if (!out || (count > 1 && !fetched)) return E_POINTER;
    ULONG n = 0;
    for (; n < count && next_ < items_.size(); ++n, ++next_) {
      out[n] = items_[next_];
      AddRefItem(out[n]);
    }
    if (fetched) *fetched = n;
    return n == count ? S_OK : S_FALSE;
  }
  STDMETHODIMP Skip(ULONG count) noexcept override {
    const size_t left = items_.size() - next_;
    next_ += count < left ? count : left;
    return count <= left ? S_OK : S_FALSE;
  }
  STDMETHODIMP Reset() noexcept override {
    next_ = 0;
    return S_OK;
  }
  STDMETHODIMP Clone(IEnum** out) noexcept override try {
    if (!out) return E_POINTER;
    *out = nullptr;
    auto* e = new (std::nothrow) Enumerator(items_, next_);
    if (!e) return E_OUTOFMEMORY;
    *out = e;
    return S_OK;
  } catch (...) {
    return E_OUTOFMEMORY;
  }

 private:
  Enumerator(const std::vector<Item>& items, size_t next) : items_(items), next_(next) {
    for (const auto& item : items_) AddRefItem(item);
  }
  ~Enumerator() override {
    for (const auto& item : items_) ReleaseItem(item);
  }

  std::vector<Item> items_;
  size_t next_;
};

}  // namespace usercontrol
