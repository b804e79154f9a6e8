#include "install/InstallRun.h"

#include "base/ExitCode.h"
#include "base/InstallLog.h"
#include "base/PathText.h"
#include "base/SystemError.h"
#include "discovery/FolderTable.h"
#include "discovery/HostProbes.h"
#include "install/RunState.h"
#include "payload/PackedPayload.h"
#include "payload/PayloadWriter.h"
#include "record/InstallRecord.h"
#include "record/KeptUninstaller.h"
#include "record/RecordLock.h"
#include "record/RunJournal.h"

namespace {

void WritePayload(HMODULE module, RunState* run) {
  bool stored = EnumResourceNamesW(module, MAKEINTRESOURCEW(kPayloadResourceType), InstallResource,
                                   reinterpret_cast<LONG_PTR>(run)) != FALSE;
  SystemError error = GetLastError();
  bool packed = GoOn(run, 0) && InstallPackedPayload(run, module);
  // Nothing was installed and nothing stopped the enumeration: the setup carries no payload.
  if (!stored && !packed && run->failures.count() == 0) {
    run->failures.Record(kResourceNotFound, L"the plug-in files", error);
  }
}

// Everything that can be checked before anything is written is checked first: the record, the
// entry, the folder, the kept uninstaller. Then the payload.
void WriteEverything(const InstallSource& source, const wchar_t* folder, RunState* run, ScopedKey* entry,
                     InstallRecord* record, EntrySnapshot* entryBefore, RunJournal* journal, bool* createdEntry,
                     ShortPath* keptPath) {
  SystemError status = OpenInstallRecord(entry, record, createdEntry);
  if (status == ERROR_SUCCESS) status = entryBefore->Take(entry->get());
  // From here on every change is kept in the journal before it is made.
  if (status == ERROR_SUCCESS) status = journal->Begin(entry->get(), *createdEntry);
  run->files.recorder = journal;
  run->values.recorder = journal;
  SystemError error = 0;
  // Old files that earlier runs moved aside go before this run moves any: none of this run's is
  // ever taken for a leftover.
  if (status == ERROR_SUCCESS) RemoveMovedAsideLeftovers(&record->aside);
  FilePath stranded;
  if (status != ERROR_SUCCESS) {
    // The record is read before anything is written: what a damaged record would lose track of is
    // never installed.
    run->failures.Record(entry->get() ? kRecordUnreadable : kUninstallNotRecorded, EntryName(), status);
  } else if (!IsFolderEntry(folder) || (error = run->folder.Open(folder, kMakeFolder)) != 0 ||
             (error = journal->MadeFolders(run->folder, run->folder.made())) != 0) {
    run->failures.Record(kFolderNotMade, folder, error ? error : ERROR_BAD_PATHNAME);
  } else if (!KeptUninstallerPath(keptPath) ||
             (error = KeepUninstaller(&run->keptFolder, &run->files, source.module, source.ownFile, &stranded)) != 0 ||
             (error = journal->MadeFolders(run->keptFolder, run->keptFolder.made())) != 0) {
    run->failures.Record(kUninstallNotRecorded, *keptPath, error ? error : ERROR_PATH_NOT_FOUND);
    // The earlier uninstaller, moved aside, could not get its name back: where it is now.
    if (!stranded.empty()) run->failures.Record(kNotTakenBack, stranded, error);
  } else {
    WritePayload(source.module, run);
  }
}
}  // namespace

void InstallIntoFolder(const InstallSource& source, const InstallPlan& plan, RunState* run) {
  run->Begin(plan.leftOut);
  const wchar_t* folder = plan.folder;
  LogLine("Folder: %s", folder);
  if (run->progress) {
    ULONGLONG total = StoredBytes(source.module, *run) + PackedBytes(source.module, *run);
    run->progress->totalKilobytes = static_cast<LONG>(total / 1024 < 0x7FFFFFFF ? total / 1024 : 0x7FFFFFFF);
  }
  RecordLock lock;
  ScopedKey entry;
  InstallRecord record;
  EntrySnapshot entryBefore;
  RunJournal journal;
  bool createdEntry = false;
  ShortPath keptPath;
  FilePath notTakenBack;
  if (!lock.Take()) {
    run->failures.Record(kAnotherRunActive, L"", ERROR_BUSY);
  } else if (SystemError error = TakeBackInterruptedRun(&notTakenBack)) {
    run->failures.Record(kNotTakenBack, notTakenBack, error);  // an earlier run's: this one writes nothing
  } else {
    WriteEverything(source, folder, run, &entry, &record, &entryBefore, &journal, &createdEntry, &keptPath);
  }
  if (!run->written.complete()) run->failures.Record(kUninstallNotRecorded, EntryName(), ERROR_NOT_ENOUGH_MEMORY);
  if (run->failures.count() == 0 && run->written.count() > 0) {
    SystemError status = RecordInstallation(entry.get(), record, *run, keptPath);
    if (status != ERROR_SUCCESS) run->failures.Record(kUninstallNotRecorded, EntryName(), status);
  }
  if (run->failures.count() == 0 && run->written.count() > 0) {
    journal.End();  // installed and recorded: nothing of this run is ever to be taken back
    for (int i = 0; const WrittenItem* item = run->written.Get(i); ++i) {
      LogLine("Wrote %hs: %s", item->isValue ? "registry value" : "file", item->subject);
    }
    run->files.Commit();
    // The record lists only the old files still there: a name it keeps is never another file's.
    SystemError status = RecordMovedAside(entry.get(), record, run->files);
    if (status != ERROR_SUCCESS) LogFailure("Could not update", L"the list of files moved aside", status);
    run->files.Forget();
    run->values.Forget();
    if (run->folder.othersCanChange()) LogLine("Other users can change what was installed in %s", folder);
  } else {
    run->TakeBack();
    // The entry reads as before the run, its version included: deployment tools detect by it.
    // Whatever stays changed keeps the journal, and the next start tries again.
    SystemError status = entry.get() && !createdEntry ? entryBefore.PutBack(entry.get()) : ERROR_SUCCESS;
    if (!run->failures.LeftChanges() && status == ERROR_SUCCESS) journal.End();
    if (createdEntry && !run->failures.LeftChanges()) {
      entry.reset();
      status = RegDeleteKeyW(HKEY_LOCAL_MACHINE, EntryKey());
    }
    if (status != ERROR_SUCCESS) run->failures.Record(kNotTakenBack, EntryName(), status);
  }
  run->files.recorder = nullptr;
  run->values.recorder = nullptr;
}

ExitCode RunSilentInstall(const InstallSource& source, const FolderPath& folder) {
  // Every component, into the folder named, or what the dialog would preselect: the first candidate.
  InstallPlan plan = {};
  if (!folder.empty()) {
    plan.folder = folder;
  } else {
    FolderCandidates found = RunDiscovery();
    if (found.count == 0 || !InstallFolderOf(found.rows[0], &plan.folder)) plan.folder.Clear();
  }
  if (plan.folder.empty() || !plan.folder.EnsureTrailingBackslash()) {
    LogLine("Outcome: no plug-in folder was found; name one with /D=.");
    return ExitCode::kNowhereToInstall;
  }
  RunState run;
  InstallIntoFolder(source, plan, &run);
  LogOutcome(run.failures);
  return RunExitCode(run.failures);
}

ExitCode RunExitCode(const InstallFailures& failures) { return ExitCodeOf(GravestFailure(failures)); }

void LogOutcome(const InstallFailures& failures) { LogLine("Outcome: %hs", InstallOutcome(GravestFailure(failures))); }
