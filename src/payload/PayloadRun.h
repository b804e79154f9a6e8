#pragma once
// What every step that writes the payload is handed: where the files go, what is left out, what
// was written and what failed, and the journals from which a failed run is taken back.
#include "base/FileReplacement.h"
#include "base/TrustedFolder.h"
#include "payload/InstallFailures.h"
#include "payload/PresetValues.h"
#include "payload/SkipList.h"
#include "payload/WrittenItems.h"

struct PayloadRun {
  TrustedFolder folder;  // the chosen folder, open for writing
  SkipList skipped;      // keywords of the components left out
  WrittenItems written;
  InstallFailures failures;
  Replacements files;   // files put in place, with the old ones moved aside
  ValueJournal values;  // preset values as they were
};
