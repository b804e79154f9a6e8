#pragma once
// A list on the process heap that grows as it is filled, doubling from 16 items up to a limit: what
// a run wrote, the journals that take a run back. The block moves as it grows, its bytes copied:
// an item may hold a handle, never a pointer into itself. Items that go are destroyed.
#include <windows.h>

#include <new>

#include "base/ScopedHandle.h"

template <typename Item, int kLimit>
class GrowableArray {
 public:
  GrowableArray() = default;
  ~GrowableArray() { Clear(); }
  GrowableArray(const GrowableArray&) = delete;
  GrowableArray& operator=(const GrowableArray&) = delete;

  // Room for one more item. False, nothing changed, when no memory is left or the limit is reached.
  bool Reserve() {
    if (count_ < capacity_) return true;
    int grown = capacity_ ? capacity_ * 2 : 16;
    if (grown > kLimit) return false;
    SIZE_T bytes = static_cast<SIZE_T>(grown) * sizeof(Item);
    void* moved = block_.valid() ? HeapReAlloc(GetProcessHeap(), 0, block_.get(), bytes)
                                 : HeapAlloc(GetProcessHeap(), 0, bytes);
    if (!moved) return false;
    block_.release();  // moved, or the same block grown
    block_.reset(moved);
    capacity_ = grown;
    return true;
  }
  // The new item at the end, as its default constructor makes it; null when there is no room (see
  // Reserve).
  Item* Append() { return Reserve() ? new (&items()[count_++]) Item() : nullptr; }
  int count() const { return count_; }
  Item& operator[](int index) { return items()[index]; }
  const Item& operator[](int index) const { return static_cast<const Item*>(block_.get())[index]; }
  // Keeps the first count items.
  void Truncate(int count) {
    while (count_ > count && count_ > 0) items()[--count_].~Item();
  }
  void Clear() { Truncate(0); }

 private:
  Item* items() { return static_cast<Item*>(block_.get()); }
  ScopedHeapBlock block_;
  int count_ = 0, capacity_ = 0;
};
