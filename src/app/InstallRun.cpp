// The installation run: the dialog's IDOK branch.
#include <string.h>

#include "app/CommandLine.h"
#include "app/InstallLog.h"
#include "app/SetupDialog.h"
#include "app/SetupState.h"
#include "app/Uninstall.h"
#include "discovery/HostProbes.h"
#include "discovery/PathText.h"
#include "payload/InstallFailures.h"
#include "payload/PayloadWriter.h"
#include "payload/SkipList.h"
#include "payload/WrittenItems.h"
#include "skin/FrameSelector.h"
#include "skin/PushButton.h"
#include "skin/SkinSurface.h"

namespace {

const char kTitle[] = "Velmoran Plugins : Installation";

// Appends as much of text as fits; a message may be cut, it is only read.
void Append(char* buffer, size_t capacity, const char* text) {
  size_t used = strnlen(buffer, capacity);
  if (used + 1 >= capacity) return;
  size_t length = strnlen(text, capacity - used - 1);
  memcpy(buffer + used, text, length);
  buffer[used + length] = '\0';
}

const char* WhatFailed(InstallFailureKind kind) {
  switch (kind) {
    case kFileNotWritten:
      return "This file could not be written:\n";
    case kRegistryNotWritten:
      return "This registry value could not be written:\n";
    case kNameTooLong:
      return "The file name would be too long in this folder:\n";
    case kPresetTooShort:
      return "These presets in the setup program are damaged:\n";
    case kFolderNotMade:
      return "This folder could not be opened or made:\n";
    case kUninstallNotRecorded:
      return "The setup could not record how to remove the plug-ins again:\n";
    default:
      return "This part of the setup program could not be read:\n";
  }
}

void ShowInstallFailure(HWND dialog) {
  const InstallFailure* failure = GetInstallFailure(0);
  if (!failure) return;
  char message[2048] = "The plug-ins were not installed completely.\n\n";
  Append(message, sizeof message, WhatFailed(failure->kind));
  Append(message, sizeof message, failure->subject);
  Append(message, sizeof message, "\n\n");
  char reason[512] = "";
  DescribeError(failure->error, reason, sizeof reason);
  Append(message, sizeof message, reason);
  int others = InstallFailureCount() - 1;
  if (others > 0) {
    char more[64];
    wsprintfA(more, "\n(%d more problem%s.)", others, others == 1 ? "" : "s");
    Append(message, sizeof message, more);
  }
  Append(message, sizeof message,
         "\n\nClose your image editor, or choose another folder, then click INSTALL again.");
  MessageBoxA(dialog, message, kTitle, MB_OK | MB_ICONWARNING);
}

void ShowCompletedState(HWND dialog) {
  installed = 1;
  for (int slot = 0; slot <= kLastComponentSlot; ++slot) {
    if (!widgetSlots[slot]) continue;
    widgetSlots[slot]->enabled = 0;
    widgetSlots[slot]->visible = 0;
  }
  widgetSlots[kLinkSlot]->enabled = 1;
  widgetSlots[kLinkSlot]->visible = 1;
  widgetSlots[kFinishSlot]->enabled = 1;
  widgetSlots[kFinishSlot]->visible = 1;
  widgetSlots[kBannerSlot]->visible = 1;
  // Out of sight, and out of reach of the keyboard and of its own notifications.
  HWND list = GetDlgItem(dialog, IDC_FOLDER_LIST);
  MoveWindow(list, 16, 1000, 50, 10, TRUE);
  EnableWindow(list, FALSE);

  // The larger font, as large as lets every line end inside the window: the font that stands in
  // for the specified one may be wider. The new font goes into the buffer before the old one is
  // deleted: a selected font stays alive. Without a new font the old one stays in use.
  HDC buffer = skinSurface->skin->bufferDC;
  RECT client;
  GetClientRect(dialog, &client);
  for (int height = 16; height >= 10; --height) {
    HFONT larger = CreateSkinFont("ms sans serif", height, 0);
    if (!larger) break;
    HFONT previous = mainFont;
    mainFont = larger;
    if (buffer) SelectObject(buffer, mainFont);
    if (previous) DeleteObject(previous);
    int widest = 0;
    for (int line = 0; buffer && line < kCompletedLineCount; ++line) {
      SIZE extent = {};
      GetTextExtentPoint32A(buffer, kCompletedLines[line], lstrlenA(kCompletedLines[line]), &extent);
      if (extent.cx > widest) widest = extent.cx;
    }
    if (kCompletedTextX + widest <= client.right - 4) break;
  }
  InvalidateRect(dialog, nullptr, TRUE);
}

// Writes every resource not skipped into targetFolder; logs and records what it wrote.
void InstallIntoTarget() {
  ClearInstallFailures();
  ClearWritten();
  LogLine("Folder: %s", targetFolder);
  if (!EnterOrMakeFolder(targetFolder)) {
    RecordInstallFailure(kFolderNotMade, targetFolder, GetLastError());
  } else if (!EnumResourceNamesA(appInstance, MAKEINTRESOURCEA(kPayloadResourceType), InstallResource,
                                 reinterpret_cast<LONG_PTR>(targetFolder)) &&
             InstallFailureCount() == 0) {
    // Nothing was installed and nothing stopped the enumeration: the setup carries no payload.
    RecordInstallFailure(kResourceNotFound, "the plug-in files", GetLastError());
  }
  for (int i = 0; const WrittenItem* item = GetWritten(i); ++i) {
    LogLine("Wrote %s: %s", item->isValue ? "registry value" : "file", item->subject);
  }
  if (WrittenCount() > 0 && !RecordInstallation(targetFolder)) {
    RecordInstallFailure(kUninstallNotRecorded, "the entry in the list of installed programs", GetLastError());
  }
  for (int i = 0; const InstallFailure* failure = GetInstallFailure(i); ++i) {
    LogFailure(WhatFailed(failure->kind), failure->subject, failure->error);
  }
}

}  // namespace

int RunSilentInstall(const char* folder) {
  if (folder[0]) {
    lstrcpynA(targetFolder, folder, kPathCapacity);
  } else {
    RunDiscovery();
    // What the dialog would preselect: the first candidate, with the maker folder where it belongs.
    lstrcpyA(targetFolder, FolderTable[0].path);
    if (FolderTable[0].addMakerSubfolder && !JoinPath(targetFolder, kPathCapacity, "Velmoran\\")) targetFolder[0] = '\0';
  }
  if (!targetFolder[0] || !EnsureTrailingBackslash(targetFolder, kPathCapacity)) {
    LogLine("Outcome: no plug-in folder was found; name one with /D=.");
    return kExitNowhereToInstall;
  }
  InstallIntoTarget();
  LogLine("Outcome: %s", InstallFailureCount() ? "not installed completely" : "installed");
  return InstallFailureCount() ? kExitNotWritten : kExitSuccess;
}

INT_PTR RunInstallation(HWND dialog) {
  if (installed) {
    EndDialog(dialog, 0);
    return 1;
  }
  if (!widgetSlots[kBeginSlot]->visible) return 0;
  if (SelectedComponentsTotal() == 0) return 0;

  // The browse entry asks for the folder first: on a machine where nothing was found it is the only one.
  if (BrowseEntrySelected(dialog) && !BrowseForFolder(dialog)) return 0;
  LRESULT selected = SendDlgItemMessageA(dialog, IDC_FOLDER_LIST, CB_GETCURSEL, 0, 0);
  LRESULT length = SendDlgItemMessageA(dialog, IDC_FOLDER_LIST, CB_GETLBTEXTLEN, selected, 0);
  // An entry longer than the folder text is not installed into: cut, it would be another folder.
  if (selected == CB_ERR || length == CB_ERR || length >= kPathCapacity) return 0;
  SendDlgItemMessageA(dialog, IDC_FOLDER_LIST, CB_GETLBTEXT, selected, reinterpret_cast<LPARAM>(targetFolder));
  // A retry after a failure starts from the same selection, not from what earlier tries added.
  ClearSkipList();
  for (int slot = kFirstComponentSlot; slot <= kLastComponentSlot; ++slot) {
    FrameSelector* toggle = static_cast<FrameSelector*>(widgetSlots[slot]);
    if (toggle && toggle->value == 0) AddSkipNeedle(toggle->keyword);
  }
  InstallIntoTarget();
  if (InstallFailureCount() > 0) {
    // Nothing may look installed that is not: the choosing state stays, with the reason.
    LogLine("Outcome: not installed completely");
    ShowInstallFailure(dialog);
    return 0;
  }
  LogLine("Outcome: installed");
  ShowCompletedState(dialog);
  return 0;
}
