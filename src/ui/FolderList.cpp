#include "ui/FolderList.h"

#include "base/Product.h"
#include "discovery/FolderTable.h"
#include "ui/DialogState.h"
#include "ui/ShellApi.h"

namespace {
const char kBrowseEntry[] = "******** BROWSE ********";
int candidateCount;  // entries before the browsed one and the browse entry
int browsedListed;   // 1 while a browsed folder is listed
}  // namespace

void FillFolderList(HWND dialog) {
  candidateCount = 0;
  for (const FolderEntry& row : FolderTable) {
    if (!row.path[0]) break;
    lstrcpyA(pathScratch, row.path);
    // An entry that would not fit the folder text is left out rather than cut into another path.
    if (row.addMakerSubfolder && !JoinPath(pathScratch, sizeof pathScratch, MAKER_FOLDER)) continue;
    SendDlgItemMessageA(dialog, IDC_FOLDER_LIST, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(pathScratch));
    ++candidateCount;
  }
  SendDlgItemMessageA(dialog, IDC_FOLDER_LIST, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(kBrowseEntry));
  browsedListed = 0;
  SendDlgItemMessageA(dialog, IDC_FOLDER_LIST, CB_SETCURSEL, 0, 0);
  // The folder of the command line is listed as a browsed one, and chosen.
  if (commandLineFolder[0]) {
    lstrcpyA(pathScratch, commandLineFolder);
    if (!EnsureTrailingBackslash(pathScratch, sizeof pathScratch)) return;
    SendDlgItemMessageA(dialog, IDC_FOLDER_LIST, CB_INSERTSTRING, candidateCount, reinterpret_cast<LPARAM>(pathScratch));
    SendDlgItemMessageA(dialog, IDC_FOLDER_LIST, CB_SETCURSEL, candidateCount, 0);
    browsedListed = 1;
  }
}

bool BrowseForFolder(HWND dialog) {
  const ShellApi* shell = SystemShell();
  if (!shell) {
    SendDlgItemMessageA(dialog, IDC_FOLDER_LIST, CB_SETCURSEL, 0, 0);
    return false;
  }
  // The browser needs COM on this thread.
  HRESULT com = shell->coInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  BROWSEINFOA browseInfo = {};
  browseInfo.hwndOwner = dialog;
  browseInfo.pszDisplayName = pathScratch;
  browseInfo.lpszTitle = "Please Select Your Plug-Ins Folder";
  browseInfo.ulFlags = BIF_RETURNONLYFSDIRS;
  LPITEMIDLIST chosen = shell->browseForFolder(&browseInfo);
  bool listed = false;
  if (chosen) {
    char path[MAX_PATH] = "";
    bool named = shell->pathFromIdList(chosen, path) && path[0];
    shell->coTaskMemFree(chosen);
    if (named && EnsureTrailingBackslash(path, sizeof path) && SetCurrentDirectoryA(path)) {
      lstrcpyA(pathScratch, path);
      if (browsedListed) SendDlgItemMessageA(dialog, IDC_FOLDER_LIST, CB_DELETESTRING, candidateCount, 0);
      SendDlgItemMessageA(dialog, IDC_FOLDER_LIST, CB_INSERTSTRING, candidateCount,
                          reinterpret_cast<LPARAM>(pathScratch));
      SendDlgItemMessageA(dialog, IDC_FOLDER_LIST, CB_SETCURSEL, candidateCount, 0);
      browsedListed = 1;
      listed = true;
    }
  }
  if (!listed) SendDlgItemMessageA(dialog, IDC_FOLDER_LIST, CB_SETCURSEL, 0, 0);
  if (SUCCEEDED(com)) shell->coUninitialize();
  return listed;
}

bool BrowseEntrySelected(HWND dialog) {
  return SendDlgItemMessageA(dialog, IDC_FOLDER_LIST, CB_GETCURSEL, 0, 0) == candidateCount + browsedListed;
}
