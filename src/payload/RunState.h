#pragma once
// The state of one installation run, made by the run and handed down to every step that writes:
// where the files go, what is left out, what was written and what failed, and what the run can
// still take back.
#include "base/FileReplacement.h"
#include "base/TrustedFolder.h"
#include "payload/InstallFailures.h"
#include "payload/PresetValues.h"
#include "payload/SkipList.h"
#include "payload/WrittenItems.h"

struct RunState {
  TrustedFolder folder;         // the chosen folder, open for writing
  TrustedFolder keptFolder;     // where the uninstaller is kept, open for writing
  SkipList skipped;      // keywords of the components left out
  WrittenItems written;
  InstallFailures failures;
  Replacements files;   // files put in place, with the old ones moved aside
  ValueJournal values;  // preset values as they were

  // Ready for a new run: nothing of an earlier try is this one's to record or take back.
  void Begin() {
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
      DWORD error = made->TakeBackMade();
      if (error && error != ERROR_DIR_NOT_EMPTY) failures.Record(kNotTakenBack, made->path(), error);
    }
  }
};
