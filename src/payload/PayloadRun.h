#pragma once
// What every step that writes the payload is handed: where the files go, what is left out, what
// was written and what failed, and the journals from which a failed run is taken back.
#include "base/FileReplacement.h"
#include "base/TrustedFolder.h"
#include "payload/InstallFailures.h"
#include "payload/PresetValues.h"
#include "payload/SkipList.h"
#include "payload/WrittenItems.h"

// How far a run has come, shared with the thread that shows it, which may ask the run to stop.
// Whole kilobytes, so that each count is read and written in one step on every processor.
struct RunProgress {
  volatile LONG totalKilobytes;
  volatile LONG writtenKilobytes;
  volatile LONG stopAsked;  // 1: the user asked the run to stop; it takes back what it wrote
  volatile LONG paused;     // 1: the user is asked whether to stop; the run waits for the answer
};

struct PayloadRun {
  TrustedFolder folder;  // the chosen folder, open for writing
  SkipList skipped;      // keywords of the components left out
  WrittenItems written;
  InstallFailures failures;
  Replacements files;   // files put in place, with the old ones moved aside
  ValueJournal values;  // preset values as they were
  RunProgress* progress = nullptr;  // null: nobody watches (an unattended run)
  DWORD unreported = 0;             // bytes written since the last whole kilobyte counted
  SRWLOCK shared = SRWLOCK_INIT;    // held by a stream decoded beside others while it touches the above
};

// While it lives, the thread that made it alone touches the run's lists and journals: streams that
// are decoded side by side take turns at them.
class SharedRunLock {
 public:
  explicit SharedRunLock(PayloadRun* run) : lock_(&run->shared) { AcquireSRWLockExclusive(lock_); }
  ~SharedRunLock() { ReleaseSRWLockExclusive(lock_); }
  SharedRunLock(const SharedRunLock&) = delete;
  SharedRunLock& operator=(const SharedRunLock&) = delete;

 private:
  SRWLOCK* lock_;
};

// Counts bytes the run wrote, and waits while the run is paused. False when the run is to stop: its
// failure is then recorded, once.
bool GoOn(PayloadRun* run, DWORD bytes);
