#pragma once
// The texts a user can meet, one id each. What each says, in every built-in language, is written
// once, in resources/languages/<tag>.txt under the id's name without its "kText", behind the
// language's own name and tag; the build checks that every file has exactly these, in this order.
enum TextId {
  kTextTitle,
  kTextPrompt,
  kTextBrowseEntry,
  kTextBrowseTitle,
  kTextInstallWord,
  kTextCancelWord,
  kTextFinishWord,
  kTextCancelStatus,
  kTextInstallStatus,
  kTextFinishStatus,
  kTextLinkStatus,
  kTextCompleted,  // four lines
  kTextOthersCanChange,  // a line below them where ordinary users can change the folder
  kTextActionOpen,
  kTextActionCheck,
  kTextActionUncheck,
  kTextActionPress,
  kTextInstalling,      // the status line while a run writes; {1}: the percent done
  kTextCancelQuestion,  // the exit button pressed during a run
  kTextCancelled,
  kTextShutdownReason,  // why the setup holds back signing off while it installs
  kTextNothingInstalled,
  kTextNotAllTakenBack,
  kTextFileNotWritten,
  kTextRegistryNotWritten,
  kTextNameTooLong,
  kTextNameNotPlain,
  kTextPresetTooShort,
  kTextFolderNotMade,
  kTextUninstallNotRecorded,
  kTextRecordUnreadable,
  kTextAnotherRunActive,
  kTextOldPlugInStranded,
  kTextNotTakenBack,
  kTextResourceDamaged,
  kTextMoreProblems,
  kTextRetryAfterOtherRun,
  kTextRetryAfterClosing,
  kTextYourImageEditor,
  kTextSystemError,
  kTextWindowNotCreated,
  kTextOutOfMemory,
  kTextFileReplaced,
  kTextOwnFileUnreadable,
  kTextUsage,
  kTextNotInstalled,
  kTextRemoveQuestion,
  kTextUninstallBusy,
  kTextUninstallDriveMissing,
  kTextUninstallHeld,
  kTextUninstallChangedKept,
  kTextRemoved,
  kTextRecordUnreadableRemoving,
  kTextOutOfMemoryRemoving,
  kTextCount
};
