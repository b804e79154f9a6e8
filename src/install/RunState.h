#pragma once
// The state of one installation run, made by the run and handed down to every step: the payload's
// (where it goes, what is left out, what was written and what failed, the journals) and where the
// uninstaller is kept, with the run's start and its taking back.
#include "base/InstallLog.h"
#include "payload/PayloadRun.h"

struct RunState : PayloadRun {
  TrustedFolder keptFolder;  // where the uninstaller is kept, open for writing

  // Ready for a new run leaving out skipped: nothing of an earlier try is this one's to record or
  // take back.
  void Begin(const SkipList& leftOut) {
    skipped = leftOut;
    unreported = 0;
    failures.Clear();
    written.Clear();
    files.Forget();
    values.Forget();
    folder = TrustedFolder();
    keptFolder = TrustedFolder();
  }

  // Back to what was there before the run, after a failure, the folders it made included. Each
  // thing that stays otherwise is a failure of its own, which says where an old plug-in now is.
  void TakeBack() {
    values.TakeBack(&failures);
    files.TakeBack(&failures);
    // A folder that something left in it keeps is told by what was left.
    TrustedFolder* const madeBy[] = {&folder, &keptFolder};
    for (TrustedFolder* made : madeBy) {
      SystemError error = made->TakeBackMade();
      if (error) LogFailure("Could not take back the folder", made->path(), error);
      if (error && error != ERROR_DIR_NOT_EMPTY) failures.Record(kNotTakenBack, made->path(), error);
    }
  }
};
