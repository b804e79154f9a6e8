#include "ui/FolderList.h"

#include "base/PathText.h"
#include "base/Product.h"
#include "base/Texts.h"
#include "discovery/FolderTable.h"
#include "ui/DialogState.h"
#include "ui/ShellApi.h"

namespace {
LRESULT ListMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam = 0) {
  return SendDlgItemMessageW(dialog, IDC_FOLDER_LIST, message, wParam, lParam);
}

// Lists the folder as the browsed one before the browse entry, in place of an earlier one, and selects it.
void ListBrowsed(HWND dialog, DialogState* state, const wchar_t* folder) {
  if (state->browsedListed) ListMessage(dialog, CB_DELETESTRING, state->candidateCount);
  ListMessage(dialog, CB_INSERTSTRING, state->candidateCount, reinterpret_cast<LPARAM>(folder));
  ListMessage(dialog, CB_SETCURSEL, state->candidateCount);
  state->browsedListed = 1;
}
}  // namespace

void FillFolderList(HWND dialog) {
  DialogState* state = StateOf(dialog);
  state->candidateCount = 0;
  wchar_t folder[kPathCapacity];
  for (const FolderEntry& row : FolderTable) {
    if (!row.path[0]) break;
    wmemcpy(folder, row.path, wcslen(row.path) + 1);
    // An entry that would not fit the folder text is left out rather than cut into another path.
    if (row.addMakerSubfolder && !JoinPath(folder, kPathCapacity, L"" MAKER_FOLDER)) continue;
    ListMessage(dialog, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(folder));
    ++state->candidateCount;
  }
  ListMessage(dialog, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Text(kTextBrowseEntry)));
  state->browsedListed = 0;
  ListMessage(dialog, CB_SETCURSEL, 0);
  // The folder of the command line is listed as a browsed one, and chosen.
  if (state->commandLineFolder[0] && CopyText(folder, kPathCapacity, state->commandLineFolder) &&
      EnsureTrailingBackslash(folder, kPathCapacity)) {
    ListBrowsed(dialog, state, folder);
  }
}

bool BrowseForFolder(HWND dialog) {
  const ShellApi* shell = SystemShell();
  bool listed = false;
  if (shell) {
    // The browser needs COM on this thread.
    HRESULT com = EnterComApartment(*shell);
    wchar_t displayName[MAX_PATH];
    BROWSEINFOW browseInfo = {};
    browseInfo.hwndOwner = dialog;
    browseInfo.pszDisplayName = displayName;
    browseInfo.lpszTitle = Text(kTextBrowseTitle);
    browseInfo.ulFlags = BIF_RETURNONLYFSDIRS;
    LPITEMIDLIST chosen = shell->browseForFolder(&browseInfo);
    if (chosen) {
      wchar_t path[MAX_PATH + 1] = L"";
      bool named = shell->pathFromIdList(chosen, path) && path[0];
      shell->coTaskMemFree(chosen);
      if (named && IsFolder(path) && EnsureTrailingBackslash(path, MAX_PATH + 1)) {
        ListBrowsed(dialog, StateOf(dialog), path);
        listed = true;
      }
    }
    if (SUCCEEDED(com)) shell->coUninitialize();
  }
  if (!listed) ListMessage(dialog, CB_SETCURSEL, 0);
  return listed;
}

bool BrowseEntrySelected(HWND dialog) {
  const DialogState* state = StateOf(dialog);
  return ListMessage(dialog, CB_GETCURSEL, 0) == state->candidateCount + state->browsedListed;
}

bool SelectedFolder(HWND dialog, wchar_t* folder) {
  LRESULT selected = ListMessage(dialog, CB_GETCURSEL, 0);
  LRESULT length = ListMessage(dialog, CB_GETLBTEXTLEN, selected);
  if (selected == CB_ERR || length == CB_ERR || length >= kPathCapacity) return false;
  return ListMessage(dialog, CB_GETLBTEXT, selected, reinterpret_cast<LPARAM>(folder)) != CB_ERR;
}
