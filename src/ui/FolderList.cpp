#include "ui/FolderList.h"

#include "base/PathText.h"
#include "base/Texts.h"
#include "discovery/FolderTable.h"
#include "ui/DialogState.h"
#include "ui/ShellApi.h"

namespace {
LRESULT ListMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam = 0) {
  return SendDlgItemMessageW(dialog, IDC_FOLDER_LIST, message, wParam, lParam);
}

// Lists the folder (which fits the folder text) as the browsed one before the browse entry, in place
// of an earlier one, and selects it.
void ListBrowsed(HWND dialog, DialogState* state, const wchar_t* folder) {
  if (state->browsedListed) ListMessage(dialog, CB_DELETESTRING, state->candidateCount);
  state->browsed.Assign(folder);
  ListMessage(dialog, CB_INSERTSTRING, state->candidateCount, reinterpret_cast<LPARAM>(state->browsed.get()));
  ListMessage(dialog, CB_SETCURSEL, state->candidateCount);
  state->browsedListed = 1;
}
}  // namespace

void FillFolderList(HWND dialog) {
  DialogState* state = StateOf(dialog);
  state->candidateCount = 0;
  FolderPath folder;
  for (int candidate = 0; candidate < state->candidates.count; ++candidate) {
    // An entry that would not fit the folder text is left out rather than cut into another path.
    if (!InstallFolderOf(state->candidates.rows[candidate], &folder)) continue;
    ListMessage(dialog, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(folder.get()));
    state->listedCandidates[state->candidateCount++] = candidate;
  }
  ListMessage(dialog, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Text(kTextBrowseEntry)));
  state->browsedListed = 0;
  ListMessage(dialog, CB_SETCURSEL, 0);
  // The folder of the command line is listed as a browsed one, and chosen.
  if (state->commandLineFolder[0] && folder.Assign(state->commandLineFolder) && folder.EnsureTrailingBackslash()) {
    ListBrowsed(dialog, state, folder);
  }
}

namespace {
using PickedPath = BoundedText<MAX_PATH + 1>;  // what a picker gives, and room for the backslash behind it

// The folder picker of Windows Vista and later. False when the user cancels; *missing says that the
// system has no such picker.
bool PickFolder(HWND dialog, const ShellApi& shell, PickedPath* path, bool* missing) {
  ScopedComPtr<IFileOpenDialog> picker;
  *missing = FAILED(shell.coCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_IFileOpenDialog,
                                           picker.receiveVoid()));
  FILEOPENDIALOGOPTIONS options = 0;
  ScopedComPtr<IShellItem> chosen;
  CoTaskMemory name;
  if (*missing || FAILED(picker->GetOptions(&options)) ||
      FAILED(picker->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST)) ||
      FAILED(picker->SetTitle(Text(kTextBrowseTitle))) || FAILED(picker->Show(dialog)) ||
      FAILED(picker->GetResult(chosen.receive())) || FAILED(chosen->GetDisplayName(SIGDN_FILESYSPATH, reinterpret_cast<LPWSTR*>(name.receive())))) {
    return false;
  }
  return path->Assign(static_cast<const wchar_t*>(name.get()));  // a longer one is refused, never cut
}

// The older folder browser, where the system has no picker.
bool BrowseOldStyle(HWND dialog, const ShellApi& shell, PickedPath* path) {
  ShortPath displayName;
  BROWSEINFOW browseInfo = {};
  browseInfo.hwndOwner = dialog;
  browseInfo.pszDisplayName = displayName.buffer();
  browseInfo.lpszTitle = Text(kTextBrowseTitle);
  browseInfo.ulFlags = BIF_RETURNONLYFSDIRS;
  CoTaskMemory chosen(shell.browseForFolder(&browseInfo));
  // The shell writes at most MAX_PATH characters.
  return chosen.valid() && shell.pathFromIdList(static_cast<LPITEMIDLIST>(chosen.get()), path->buffer()) &&
         !path->empty();
}
}  // namespace

bool BrowseForFolder(HWND dialog) {
  const ShellApi* shell = SystemShell();
  bool listed = false;
  if (shell) {
    // The pickers need COM on this thread.
    ComApartment com = EnterComApartment(*shell);
    PickedPath path;
    bool missing = false;
    bool chosen = PickFolder(dialog, *shell, &path, &missing) || (missing && BrowseOldStyle(dialog, *shell, &path));
    if (chosen && IsFolder(path) && path.EnsureTrailingBackslash()) {
      ListBrowsed(dialog, StateOf(dialog), path);
      listed = true;
    }
  }
  if (!listed) ListMessage(dialog, CB_SETCURSEL, 0);
  return listed;
}

bool BrowseEntrySelected(HWND dialog) {
  const DialogState* state = StateOf(dialog);
  return ListMessage(dialog, CB_GETCURSEL, 0) == state->candidateCount + state->browsedListed;
}

bool SelectedFolder(HWND dialog, FolderPath* folder) {
  const DialogState& state = *StateOf(dialog);
  LRESULT selected = ListMessage(dialog, CB_GETCURSEL, 0);
  if (selected >= 0 && selected < state.candidateCount) {
    return InstallFolderOf(state.candidates.rows[state.listedCandidates[selected]], folder);
  }
  if (selected != state.candidateCount || !state.browsedListed) return false;
  *folder = state.browsed;
  return true;
}
