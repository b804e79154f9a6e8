#include "ui/SetupDialog.h"

#include <new>

#include "base/InstallLog.h"
#include "base/Product.h"
#include "discovery/HostProbes.h"
#include "install/InstallRun.h"
#include "payload/InstallFailures.h"
#include "payload/SkipList.h"
#include "skin/FrameSelector.h"
#include "skin/GdiScope.h"
#include "skin/HyperLink.h"
#include "skin/PushButton.h"
#include "skin/SkinSurface.h"
#include "ui/CompletedState.h"
#include "ui/DialogState.h"
#include "ui/FailureMessage.h"
#include "ui/FolderList.h"
#include "ui/ShellApi.h"
#include "ui/ToggleLayout.h"

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

int promptX, promptY;
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

// One toggle per component the setup carries, in its order, laid out by the widths of their
// captions.
bool CreateToggles(int width) {
  static char keywords[kComponents][kSelectorTextCapacity], captions[kComponents][kSelectorTextCapacity],
      statuses[kComponents][kStatusTextCapacity];
  const char* captionTexts[kComponents];
  int count = 0;
  for (; count < kComponents; ++count) {
    UINT id = kComponentTexts + 3 * count;
    if (!LoadStringA(appInstance, id, keywords[count], kSelectorTextCapacity) ||
        !LoadStringA(appInstance, id + 1, captions[count], kSelectorTextCapacity) ||
        !LoadStringA(appInstance, id + 2, statuses[count], kStatusTextCapacity)) {
      break;
    }
    captionTexts[count] = captions[count];
  }
  if (count == 0) {
    dialogError = ERROR_RESOURCE_NAME_NOT_FOUND;
    return false;
  }
  HDC dc = skinSurface->skin->paintDC;
  ToggleLayout layout = LayOutToggles(dc, captionTexts, count, width);
  if (layout.fontHeight != kCaptionFontLargest) captionFont = CreateSkinFont("MS Sans Serif", layout.fontHeight, 0);
  SelectedObject font(dc, captionFont ? captionFont : mainFont);
  // Centred on the toggle when smaller than the toggle's 13 pixels.
  DWORD labelOffset = (32768UL + kCaptionOffset) << 16 | (32768UL - (kCaptionFontLargest - layout.fontHeight) / 2);
  for (int component = 0; component < count; ++component) {
    POINT at = ToggleAt(layout, component);
    // A caption cut to its column shows whole in the status line.
    char whole[kSelectorTextCapacity];
    lstrcpyA(whole, captions[component]);
    bool cut = FitCaption(dc, captions[component], at.x + kCaptionOffset, layout.textRight[component / kTogglesPerColumn]);
    RECT toggleAt = {at.x, at.y, 0, 0};
    FrameSelector* toggle = MakeWidget<FrameSelector>(
        kFirstComponentSlot + component, toggleAt, kToggleId, labelOffset, captions[component], 0, -3,
        cut ? whole : statuses[component], static_cast<int>(kCommandComponents), 0, keywords[component]);
    if (!toggle) return false;
    toggle->value = 2;
    toggle->captionFont = captionFont;
  }
  return true;
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
  if (!MakeWidget<HyperLink>(kLinkSlot, link, MAKER_WEB_HOST, static_cast<int>(kCommandLink),
                             "Visit " PRODUCT_NAME " Home Page")) {
    return false;
  }
  RECT bannerAt = {6, 6, 0, 0};
  PushButton* banner = MakeWidget<PushButton>(kBannerSlot, bannerAt, kBannerId, kBannerId, 1, "", nullptr, nullptr);
  if (!banner) return false;
  banner->enabled = 0;
  banner->visible = 0;
  return CreateToggles(width);
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
    dialogError = ERROR_RESOURCE_NAME_NOT_FOUND;
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
    RunDiscovery();
    FillFolderList(dialog);
    SendDlgItemMessageA(dialog, IDC_FOCUS_SINK, BM_CLICK, 0, 0);
  }
  ReleaseDC(dialog, skinSurface->skin->paintDC);
  skinSurface->skin->paintDC = nullptr;
  if (!made) {
    if (!dialogError) dialogError = ERROR_NOT_ENOUGH_MEMORY;  // a widget could not be made
    EndDialog(dialog, -1);
    return;
  }
  ready = true;
  SetWindowTextA(dialog, WINDOW_TITLE);
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

// Sum of the component toggles' values (0: nothing selected).
int SelectedComponentsTotal() {
  int total = 0;
  for (int slot = kFirstComponentSlot; slot <= kLastComponentSlot; ++slot) {
    if (widgetSlots[slot]) total += Toggle(slot)->value;
  }
  return total;
}

// The IDOK branch: installs the selected components into the selected folder. 1 when it ended
// the dialog.
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
    if (toggle && toggle->value == 0) AddSkipKeyword(toggle->keyword);
  }
  InstallIntoTarget(appInstance);
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
      OpenPageAsUser(dialog, MAKER_HELP_PAGE);
      break;
    case kCommandComponents:
      OnComponentsChanged(dialog);
      break;
    default:  // help (F1) and the banner: nothing
      break;
  }
}

}  // namespace

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
    case WM_DESTROY:  // no toggle paints any more
      if (captionFont) DeleteObject(captionFont);
      captionFont = nullptr;
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
