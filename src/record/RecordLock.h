#pragma once
// One installation or removal at a time on the machine: the single-instance mutex exists per
// session, and installs of two signed-in users, or of a deployment service beside a user, would
// otherwise interleave on the one install record. The lock lives in a private namespace whose
// boundary admits only the Administrators group, so that no program without those rights can
// take it first and stop every install. Systems without private namespaces (Wine) get a name in
// the Global namespace instead.
#include "base/ScopedHandle.h"

class RecordLock {
 public:
  RecordLock() = default;
  ~RecordLock();
  RecordLock(const RecordLock&) = delete;
  RecordLock& operator=(const RecordLock&) = delete;

  // Takes the lock, waiting a few seconds for a run that holds it. False when another run still
  // holds it, or the lock cannot be made.
  bool Take();

 private:
  ScopedNamespace namespace_;
  ScopedHandle mutex_;
  bool held_ = false;
};
