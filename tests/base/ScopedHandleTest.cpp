// The one holder: what it owns goes exactly once, when its last holder ends, however it moved; a
// failed acquisition holds nothing.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "base/GrowableArray.h"
#include "base/ScopedHandle.h"

namespace {

// Whether a named event still exists: only while some handle to it is open.
bool EventExists(const std::wstring& name) {
  ScopedHandle opened(OpenEventW(SYNCHRONIZE, FALSE, name.c_str()));
  return opened.valid();
}

std::wstring EventName(int index) {
  return L"Local\\ScopedTest-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(index);
}

TEST(Scoped, MovesHandOverAndTheLastHolderFreesOnce) {
  const std::wstring a = EventName(1), b = EventName(2);
  {
    ScopedHandle first(CreateEventW(nullptr, TRUE, FALSE, a.c_str()));
    ScopedHandle second(CreateEventW(nullptr, TRUE, FALSE, b.c_str()));
    ScopedHandle moved(std::move(first));
    EXPECT_FALSE(first.valid());
    EXPECT_TRUE(EventExists(a));
    moved = std::move(second);  // the one it held goes now
    EXPECT_FALSE(EventExists(a));
    EXPECT_TRUE(EventExists(b));
    HANDLE kept = moved.release();  // handed over: the holder frees nothing
    moved.reset();
    EXPECT_TRUE(EventExists(b));
    moved.reset(kept);
  }
  EXPECT_FALSE(EventExists(b));
  // Failed acquisitions: INVALID_HANDLE_VALUE and null are no handles to close.
  ScopedHandle missing(CreateFileW(L"C:\\no such folder\\no such file", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  EXPECT_FALSE(missing.valid());
  ScopedKey key;
  EXPECT_NE(0u, key.Open(HKEY_CURRENT_USER, L"Software\\No Such Key Of The Setup Tests", KEY_READ));
  EXPECT_FALSE(key.valid());
}

DWORD CALLBACK TryToTake(void* mutex) {
  HeldMutex held(WaitForSingleObject(mutex, 0) == WAIT_OBJECT_0 ? mutex : nullptr);
  return held.valid() ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
}

// Whether another thread can take the mutex at once.
bool TakenElsewhere(HANDLE mutex) {
  ScopedHandle thread(CreateThread(nullptr, 0, TryToTake, mutex, 0, nullptr));
  DWORD code = WAIT_FAILED;
  WaitForSingleObject(thread.get(), 5000);
  GetExitCodeThread(thread.get(), &code);
  return code == WAIT_OBJECT_0;
}

// A mutex this thread holds is given back when its holder ends.
TEST(Scoped, AHeldMutexIsGivenBack) {
  ScopedHandle mutex(CreateMutexW(nullptr, TRUE, nullptr));
  ASSERT_TRUE(mutex.valid());
  {
    HeldMutex held(mutex.get());
    EXPECT_FALSE(TakenElsewhere(mutex.get()));
  }
  EXPECT_TRUE(TakenElsewhere(mutex.get()));
}

// An object of ours is deleted once, by its last holder.
TEST(Scoped, AnOwnedObjectIsDeletedOnce) {
  struct Counted {
    explicit Counted(int* deleted) : deleted_(deleted) {}
    ~Counted() { ++*deleted_; }
    int* deleted_;
  };
  int deleted = 0;
  {
    ScopedObject<Counted> first(new Counted(&deleted));
    ScopedObject<Counted> second(std::move(first));
    EXPECT_FALSE(first);
    EXPECT_EQ(0, deleted);
  }
  EXPECT_EQ(1, deleted);
}

// Handles held in a growing list survive its moves, and go as their items go: truncated, cleared or
// with the list.
TEST(Scoped, AGrowingListClosesTheHandlesOfTheItemsThatGo) {
  struct Item {
    ScopedHandle event;
  };
  const int kItems = 40;  // past two growths of the block
  {
    GrowableArray<Item, 64> list;
    for (int i = 0; i < kItems; ++i) {
      Item* item = list.Append();
      ASSERT_NE(nullptr, item);
      item->event.reset(CreateEventW(nullptr, TRUE, FALSE, EventName(100 + i).c_str()));
    }
    for (int i = 0; i < kItems; ++i) EXPECT_TRUE(EventExists(EventName(100 + i))) << i;
    list.Truncate(30);
    EXPECT_TRUE(EventExists(EventName(129)));
    EXPECT_FALSE(EventExists(EventName(130)));
    list[0] = std::move(list[29]);  // the one it held goes now
    EXPECT_FALSE(EventExists(EventName(100)));
    list.Truncate(29);
    EXPECT_TRUE(EventExists(EventName(129)));
  }
  EXPECT_FALSE(EventExists(EventName(129)));
  EXPECT_FALSE(EventExists(EventName(101)));
}

}  // namespace
