#include "app/SetupDialog.h"

#include <new>
#include <string.h>

#include "app/Branding.h"
#include "app/ShellApi.h"
#include "app/SetupState.h"
#include "discovery/FolderTable.h"
#include "discovery/HostProbes.h"
#include "discovery/PathText.h"
#include "skin/FrameSelector.h"
#include "skin/HyperLink.h"
#include "skin/PushButton.h"
#include "skin/SkinSurface.h"

namespace {

enum {
  kBackgroundId = 117,
  kToggleId = 128,
  kHandCursorId = 120,
  kExitId = 203,
  kBannerId = 213,
  kBeginId = 219,
  kFinishId = 220,
  kLeftMargin = 16,
  kLinkX = 300,
  kLinkY = 20,
  kComponentTexts = 1000,  // string table: keyword, caption and status text of each component
};

enum Command {
  kCommandExit = 2,
  kCommandHelp = 215,
  kCommandBegin = 219,
  kCommandLink = 1029,
  kCommandComponents = 2000,
};

const char kBrowseEntry[] = "******** BROWSE ********";

int candidateCount;
int browsedListed;
int promptX, promptY;
BROWSEINFOA browseInfo;
bool ready;  // the widgets exist: handlers may use the slots

FrameSelector* Toggle(int slot) { return static_cast<FrameSelector*>(widgetSlots[slot]); }

// Every widget the dialog makes goes through here: one that cannot be made, or that the skin had
// no room for, ends the dialog as a dialog that cannot be created.
template <typename W, typename... Args>
W* MakeWidget(int slot, Args&&... args) {
  W* widget = new (std::nothrow) W(skinSurface->skin, args...);
  if (widget && !widget->registered()) {
    delete widget;
    widget = nullptr;
  }
  widgetSlots[slot] = widget;
  return widget;
}

RECT At(int x, int y) {
  RECT rect;
  MakeRect(&rect, x, y, 0, 0);
  return rect;
}

bool CreateWidgets(int width, int height) {
  for (Widget*& slot : widgetSlots) slot = nullptr;
  if (!MakeWidget<PushButton>(kExitSlot, At(width - 63, height - 21), kExitId, kExitId, kCommandExit,
                              "Click to exit", nullptr, nullptr)) {
    return false;
  }
  if (!MakeWidget<PushButton>(kBeginSlot, At(width - 125, height - 21), kBeginId, kBeginId, kCommandBegin,
                              "Click to begin the installation", nullptr, nullptr)) {
    return false;
  }
  PushButton* finish = MakeWidget<PushButton>(kFinishSlot, At(width - 65, height - 21), kFinishId, kFinishId,
                                              kCommandExit, "Click to finish the installation", nullptr, nullptr);
  if (!finish) return false;
  finish->Show(0);
  RECT link = {kLinkX, kLinkY, 0, 0};
  if (!MakeWidget<HyperLink>(kLinkSlot, link, VELMORAN_WEB_HOST, static_cast<int>(kCommandLink),
                             "Visit Velmoran Plugins Home Page")) {
    return false;
  }
  RECT bannerAt = {6, 6, 0, 0};
  PushButton* banner = MakeWidget<PushButton>(kBannerSlot, bannerAt, kBannerId, kBannerId, 1, "", nullptr, nullptr);
  if (!banner) return false;
  banner->enabled = 0;
  banner->visible = 0;
  // One toggle per component the setup carries, in its order: seven under the first, then a
  // second column.
  for (int component = 0; kFirstComponentSlot + component <= kLastComponentSlot; ++component) {
    char keyword[kSelectorTextCapacity], caption[kSelectorTextCapacity], status[kStatusTextCapacity];
    UINT id = kComponentTexts + 3 * component;
    if (!LoadStringA(appInstance, id, keyword, sizeof keyword) || !LoadStringA(appInstance, id + 1, caption, sizeof caption) ||
        !LoadStringA(appInstance, id + 2, status, sizeof status)) {
      return component > 0;
    }
    RECT toggleAt = {250 + 125 * (component / 7), 80 + 18 * (component % 7), 0, 0};
    FrameSelector* toggle =
        MakeWidget<FrameSelector>(kFirstComponentSlot + component, toggleAt, kToggleId, 0x80148000UL, caption, 0, -3,
                                  status, static_cast<int>(kCommandComponents), 0, keyword);
    if (!toggle) return false;
    toggle->value = 2;
  }
  return true;
}

void FillFolderList(HWND dialog) {
  candidateCount = 0;
  for (const FolderEntry& row : FolderTable) {
    if (!row.path[0]) break;
    lstrcpyA(pathScratch, row.path);
    // An entry that would not fit the folder text is left out rather than cut into another path.
    if (row.addMakerSubfolder && !JoinPath(pathScratch, sizeof pathScratch, "Velmoran\\")) continue;
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

void CentreOnBackground(HWND dialog, int width, int height) {
  RECT window, client;
  GetWindowRect(dialog, &window);
  GetClientRect(dialog, &client);
  int frameX = (window.right - window.left) - client.right;
  int frameY = (window.bottom - window.top) - client.bottom;
  int x = (window.left + window.right - frameX - width) / 2;
  int y = (window.top + window.bottom - frameY - height) / 2;
  MoveWindow(dialog, x, y, width + frameX, height + frameY, TRUE);
}

void OnInitDialog(HWND dialog) {
  installed = 0;
  ready = false;
  skinSurface->skin->paintDC = GetDC(dialog);
  RECT status;
  SetRect(&status, 0, 0, 100, 20);
  skinSurface->Attach(dialog, kBackgroundId, kHandCursorId, &status);
  statusTextColour = 0xFFFFFF;
  // Without its background the dialog has no size and no layout: it cannot be shown.
  BitmapStrip* background = skinSurface->skin->background;
  if (!background || !background->bitmap || background->width <= 0 || background->height <= 0) {
    ReleaseDC(dialog, skinSurface->skin->paintDC);
    skinSurface->skin->paintDC = nullptr;
    EndDialog(dialog, -1);
    return;
  }
  int width = skinSurface->skin->background->width;
  int height = skinSurface->skin->background->height;
  promptX = 4 + kLeftMargin;
  promptY = -26 + height - 60;
  SetRect(&skinSurface->skin->statusRect, promptX, height - 19, width - kLeftMargin - 129, height + 1);

  bool made = CreateWidgets(width, height);
  if (made) {
    browseInfo = BROWSEINFOA();
    browseInfo.hwndOwner = dialog;
    browseInfo.pszDisplayName = pathScratch;
    browseInfo.lpszTitle = "Please Select Your Plug-Ins Folder";
    browseInfo.ulFlags = BIF_RETURNONLYFSDIRS;
    RunDiscovery();
    FillFolderList(dialog);
    SendDlgItemMessageA(dialog, IDC_FOCUS_SINK, BM_CLICK, 0, 0);
  }
  ReleaseDC(dialog, skinSurface->skin->paintDC);
  skinSurface->skin->paintDC = nullptr;
  if (!made) {
    EndDialog(dialog, -1);
    return;
  }
  ready = true;
  SetWindowTextA(dialog, "Velmoran Plugins : Installation");
  MoveWindow(GetDlgItem(dialog, IDC_FOLDER_LIST), kLeftMargin, height - 60, width - 2 * kLeftMargin + 1, 10, TRUE);
  CentreOnBackground(dialog, width, height);
}

void OnPaint() {
  skinSurface->BeginPaintCycle();
  skinSurface->PaintAll();
  if (installed) {
    for (int line = 0; line < kCompletedLineCount; ++line) {
      skinSurface->TextAt(kCompletedTextX, 100 + 16 * line, kCompletedLines[line]);
    }
  } else {
    skinSurface->TextAt(promptX, promptY, "Select folder where setup will install files:");
  }
  skinSurface->EndPaintCycle();
}

}  // namespace

bool BrowseForFolder(HWND dialog) {
  const ShellApi* shell = SystemShell();
  if (!shell) {
    SendDlgItemMessageA(dialog, IDC_FOLDER_LIST, CB_SETCURSEL, 0, 0);
    return false;
  }
  // The browser needs COM on this thread.
  HRESULT com = shell->coInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
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

namespace {

void OnFolderList(HWND dialog, int notification) {
  if (installed) return;  // the list is gone with the choice it offered
  if (notification == CBN_SELCHANGE || notification == CBN_SELENDCANCEL) {
    SendDlgItemMessageA(dialog, IDC_FOCUS_SINK, BM_CLICK, 0, 0);
  }
  if (notification == CBN_SELCHANGE && BrowseEntrySelected(dialog)) BrowseForFolder(dialog);
}

INT_PTR OnCommand(HWND dialog, WPARAM wParam) {
  switch (LOWORD(wParam)) {
    case IDOK:
      return RunInstallation(dialog);
    case IDCANCEL:
      EndDialog(dialog, 0);
      return 1;
    case IDC_FOLDER_LIST:
      OnFolderList(dialog, HIWORD(wParam));
      return 0;
    default:
      return 0;
  }
}

void OnComponentsChanged(HWND dialog) {
  Widget* begin = widgetSlots[kBeginSlot];
  if (SelectedComponentsTotal() == 0) {
    if (begin->visible) begin->Show(0);
    InvalidateRect(dialog, &static_cast<PushButton*>(begin)->bounds, TRUE);
  } else if (!begin->visible) {
    begin->Show(1);
  }
}

void OnSkinCommand(HWND dialog, WPARAM command) {
  switch (command) {
    case kCommandExit:
      SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
      break;
    case kCommandBegin:
      SendMessageA(dialog, WM_COMMAND, IDOK, 0);
      break;
    case kCommandLink:
      OpenPageAsUser(dialog, VELMORAN_HELP_PAGE);
      break;
    case kCommandComponents:
      OnComponentsChanged(dialog);
      break;
    default:  // help (F1) and the banner: nothing
      break;
  }
}

}  // namespace

const char* const kCompletedLines[kCompletedLineCount] = {
    "   Installation completed. Please", "restart your image editor to", "activate the plug-ins installed.",
    "The filter category name is \"Velmoran\"."};

int SelectedComponentsTotal() {
  int total = 0;
  for (int slot = kFirstComponentSlot; slot <= kLastComponentSlot; ++slot) {
    if (widgetSlots[slot]) total += Toggle(slot)->value;
  }
  return total;
}

INT_PTR CALLBACK SetupDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (skinSurface->DispatchMouse(dialog, message, wParam, lParam)) return 0;
  UINT kind = message & 0xFFFF;
  if (kind == WM_INITDIALOG) {
    OnInitDialog(dialog);
    return 0;
  }
  if (!ready) return 0;
  switch (kind) {
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_HELP:
      SendMessageA(dialog, WM_SKINCOMMAND, kCommandHelp, 0);
      return 0;
    case WM_COMMAND:
      return OnCommand(dialog, wParam);
    case WM_SKINCOMMAND:
      OnSkinCommand(dialog, wParam);
      return 0;
    default:
      return 0;
  }
}
