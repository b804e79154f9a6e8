#pragma once
// The texts a user can meet, one id each, in the order every language's texts follow. What each
// says, in every built-in language, is written once, in resources/languages/<tag>.txt under the
// name here, behind the language's own name and tag; the packer checks that every file has exactly
// these, in this order.
#define SETUP_TEXTS(X) \
  X(Title) \
  X(Prompt) \
  X(BrowseEntry) \
  X(BrowseTitle) \
  X(InstallWord) \
  X(CancelWord) \
  X(FinishWord) \
  X(CancelStatus) \
  X(InstallStatus) \
  X(FinishStatus) \
  X(LinkStatus) \
  X(Completed)  /* four lines */ \
  X(OthersCanChange)  /* a line below them where ordinary users can change the folder */ \
  X(ActionOpen) \
  X(ActionCheck) \
  X(ActionUncheck) \
  X(ActionPress) \
  X(Installing)  /* the status line while a run writes; {1}: the percent done */ \
  X(CancelQuestion)  /* the exit button pressed during a run */ \
  X(Cancelled) \
  X(ShutdownReason)  /* why the setup holds back signing off while it installs */ \
  X(NothingInstalled) \
  X(NotAllTakenBack) \
  X(FileNotWritten) \
  X(RegistryNotWritten) \
  X(NameTooLong) \
  X(NameNotPlain) \
  X(PresetTooShort) \
  X(FolderNotMade) \
  X(UninstallNotRecorded) \
  X(RecordUnreadable) \
  X(AnotherRunActive) \
  X(OldPlugInStranded) \
  X(NotTakenBack) \
  X(ResourceDamaged) \
  X(MoreProblems) \
  X(RetryAfterOtherRun) \
  X(RetryAfterClosing) \
  X(YourImageEditor) \
  X(SystemError) \
  X(WindowNotCreated) \
  X(OutOfMemory) \
  X(FileReplaced) \
  X(OwnFileUnreadable) \
  X(Usage) \
  X(NotInstalled) \
  X(RemoveQuestion) \
  X(UninstallBusy) \
  X(UninstallDriveMissing) \
  X(UninstallHeld) \
  X(UninstallChangedKept) \
  X(Removed) \
  X(RecordUnreadableRemoving) \
  X(OutOfMemoryRemoving)
