#pragma once
// A named mutex that no program without administrator rights can create first. Such a program
// could otherwise squat on the name and stop every run of the setup, deployment services'
// included. The mutex lives in a private namespace whose boundary admits only the Administrators
// group; only a system without private namespaces at all (Wine) gets the fallback name instead.
#include "base/ScopedHandle.h"

class AdminMutex {
 public:
  // Creates the mutex, or opens the one that exists: name inside the namespace, fallbackName only
  // where the system has no private namespaces. False when it cannot be made, the namespace
  // refused included: never the fallback then, which any program could have taken first.
  bool Create(const wchar_t* name, const wchar_t* fallbackName, bool initialOwner);
  HANDLE get() const { return mutex_.get(); }
  // After Create: another process had made it first.
  bool existed() const { return existed_; }

 private:
  ScopedBoundary boundary_;
  ScopedPrivateNamespace namespace_;  // closed before its boundary goes
  ScopedHandle mutex_;
  bool existed_ = false;
};
