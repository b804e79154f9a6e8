#pragma once
// One installation or removal at a time on the machine: the single-instance mutex exists per
// session, and installs of two signed-in users, or of a deployment service beside a user, would
// otherwise interleave on the one install record. Only administrators can make the lock (where
// the system has no private namespaces, Wine, it is a name in the Global namespace).
#include "base/AdminMutex.h"

class RecordLock {
 public:
  // Takes the lock, waiting a few seconds for a run that holds it. False when another run still
  // holds it, or the lock cannot be made.
  bool Take();
  // Lets go of the lock before the object goes.
  void Release() { held_.reset(); }

 private:
  AdminMutex mutex_;
  HeldMutex held_;  // let go before the mutex closes
};
