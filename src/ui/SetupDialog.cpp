#include "ui/SetupDialog.h"

#include <new>

#include "base/InstallLog.h"
#include "base/Outcome.h"
#include "base/Product.h"
#include "base/Texts.h"
#include "discovery/HostProbes.h"
#include "install/InstallRun.h"
#include "skin/FrameSelector.h"
#include "base/GdiScope.h"
#include "skin/HyperLink.h"
#include "skin/PushButton.h"
#include "skin/SkinSurface.h"
#include "ui/AccessibleDialog.h"
#include "ui/CompletedState.h"
#include "ui/DialogElements.h"
#include "ui/DialogState.h"
#include "ui/FailureMessage.h"
#include "ui/FolderList.h"
#include "ui/KeyboardFocus.h"
#include "ui/LanguageFont.h"
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

FrameSelector* Toggle(const DialogState& state, int slot) { return static_cast<FrameSelector*>(state.widgetSlots[slot]); }

// Every widget the dialog makes goes through here: one that cannot be made, or that the skin had
// no room for, ends the dialog as a dialog that cannot be created.
template <typename W, typename... Args>
W* MakeWidget(DialogState* state, int slot, Args&&... args) {
  W* widget = new (std::nothrow) W(state->surface->skin, args...);
  if (widget && !widget->registered()) {
    delete widget;
    widget = nullptr;
  }
  state->widgetSlots[slot] = widget;
  return widget;
}

RECT At(int x, int y) {
  RECT rect;
  MakeRect(&rect, x, y, 0, 0);
  return rect;
}

// The skin's fonts for every text the dialog shows: its own words in the user's language and the
// components' captions and status texts, the maker's default ones and those in that language.
void ChooseFont(HDC dc, HINSTANCE instance) {
  static wchar_t shown[4096];
  size_t used = 0;
  auto add = [&](const wchar_t* text) {
    size_t length = wcslen(text);
    if (used + length + 1 >= 4096) return;
    wmemcpy(shown + used, text, length);
    used += length;
    shown[used++] = L' ';
  };
  const TextId kShown[] = {kTextPrompt, kTextBrowseEntry, kTextInstallWord, kTextCancelWord, kTextFinishWord,
                           kTextCancelStatus, kTextInstallStatus, kTextFinishStatus, kTextLinkStatus, kTextCompleted};
  for (TextId id : kShown) add(Text(id));
  for (int component = 0; component < kComponents; ++component) {
    for (int field = 0; field < 2; ++field) {
      wchar_t text[kStatusTextCapacity];
      if (LoadStringW(instance, kComponentTexts + 3 * component + 1 + field, text, kStatusTextCapacity)) add(text);
      if (const wchar_t* translated = ComponentText(component, field)) add(translated);
    }
  }
  shown[used] = L'\0';
  ChooseSkinFontFor(dc, shown);
}

// One toggle per component the setup carries, in its order, laid out by the widths of their
// captions.
bool CreateToggles(DialogState* state, int width) {
  const wchar_t* captionTexts[kComponents];
  int count = 0;
  HINSTANCE instance = state->source.module;
  for (; count < kComponents; ++count) {
    UINT id = kComponentTexts + 3 * count;
    ComponentTexts& texts = state->components[count];
    if (!LoadStringW(instance, id, texts.keyword, kSelectorTextCapacity) ||
        !LoadStringW(instance, id + 1, texts.caption, kSelectorTextCapacity) ||
        !LoadStringW(instance, id + 2, texts.status, kStatusTextCapacity)) {
      break;
    }
    // The maker's texts in the user's language, where the maker gave them.
    if (const wchar_t* caption = ComponentText(count, 0)) lstrcpynW(texts.caption, caption, kSelectorTextCapacity);
    if (const wchar_t* status = ComponentText(count, 1)) lstrcpynW(texts.status, status, kStatusTextCapacity);
    captionTexts[count] = texts.caption;
  }
  state->componentCount = count;
  if (count == 0) {
    state->dialogError = ERROR_RESOURCE_NAME_NOT_FOUND;
    return false;
  }
  HDC dc = state->surface->skin->paintDC;
  ToggleLayout layout = LayOutToggles(dc, captionTexts, count, width);
  if (layout.fontHeight != kCaptionFontLargest) {
    state->captionFont = CreateSkinFont(layout.fontHeight, 0);
  }
  SelectedObject font(dc, state->captionFont ? state->captionFont : mainFont);
  // Centred on the toggle when smaller than the toggle's 13 pixels.
  DWORD labelOffset = (32768UL + kCaptionOffset) << 16 | (32768UL - (kCaptionFontLargest - layout.fontHeight) / 2);
  for (int component = 0; component < count; ++component) {
    POINT at = ToggleAt(layout, component);
    // A caption cut to its column shows whole in the status line.
    const ComponentTexts& texts = state->components[component];
    wchar_t shown[kSelectorTextCapacity];
    lstrcpynW(shown, texts.caption, kSelectorTextCapacity);
    bool cut = FitCaption(dc, shown, at.x + kCaptionOffset, layout.textRight[component / kTogglesPerColumn]);
    RECT toggleAt = {at.x, at.y, 0, 0};
    FrameSelector* toggle = MakeWidget<FrameSelector>(
        state, kFirstComponentSlot + component, toggleAt, kToggleId, labelOffset, shown, 0, -3,
        cut ? texts.caption : texts.status, static_cast<int>(kCommandComponents), 0, texts.keyword);
    if (!toggle) return false;
    toggle->value = 2;
    toggle->captionFont = state->captionFont;
  }
  return true;
}

// A button at the bottom edge, its word on it; at right, the x where its right edge is to end.
PushButton* MakeButton(DialogState* state, int slot, BitmapId picture, int command, TextId status, TextId word,
                       int right, int height) {
  PushButton* button = MakeWidget<PushButton>(state, slot, At(0, 0), picture, picture, command, Text(status), nullptr,
                                              nullptr);
  if (!button) return nullptr;
  button->SetWord(Text(word), state->wordFont);
  button->MoveTo(right - button->width(), height - 21);
  return button;
}

// The buttons stand at the bottom right, each as wide as its word needs: CANCEL at the edge, INSTALL
// beside it, FINISH in CANCEL's place.
bool CreateWidgets(DialogState* state, int width, int height) {
  for (Widget*& slot : state->widgetSlots) slot = nullptr;
  state->wordFont = CreateSkinFont(11, 0);
  PushButton* cancel =
      MakeButton(state, kExitSlot, kExitId, kCommandExit, kTextCancelStatus, kTextCancelWord, width - 4, height);
  if (!cancel) return false;
  PushButton* begin = MakeButton(state, kBeginSlot, kBeginId, kCommandBegin, kTextInstallStatus, kTextInstallWord,
                                 cancel->originX - 1, height);
  if (!begin) return false;
  PushButton* finish =
      MakeButton(state, kFinishSlot, kFinishId, kCommandExit, kTextFinishStatus, kTextFinishWord, width - 4, height);
  if (!finish) return false;
  finish->Show(0);
  RECT link = {kLinkX, kLinkY, 0, 0};
  if (!MakeWidget<HyperLink>(state, kLinkSlot, link, L"" MAKER_WEB_HOST, static_cast<int>(kCommandLink),
                             Text(kTextLinkStatus))) {
    return false;
  }
  RECT bannerAt = {6, 6, 0, 0};
  PushButton* banner = MakeWidget<PushButton>(state, kBannerSlot, bannerAt, kBannerId, kBannerId, 1, L"", nullptr, nullptr);
  if (!banner) return false;
  banner->enabled = 0;
  banner->visible = 0;
  // The status line ends short of the buttons.
  state->surface->skin->statusRect.right = begin->originX - 20;
  return CreateToggles(state, width);
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

void OnInitDialog(HWND dialog, DialogState* state) {
  SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(state));
  state->installed = 0;
  state->ready = false;
  SkinSurface* skinSurface = state->surface;
  skinSurface->skin->paintDC = GetDC(dialog);
  ChooseFont(skinSurface->skin->paintDC, state->source.module);
  RECT status;
  SetRect(&status, 0, 0, 100, 20);
  skinSurface->Attach(dialog, kBackgroundId, kHandCursorId, &status);
  statusTextColour = 0xFFFFFF;
  // Without its background the dialog has no size and no layout: it cannot be shown.
  BitmapStrip* background = skinSurface->skin->background;
  if (!background || !background->bitmap || background->width <= 0 || background->height <= 0) {
    ReleaseDC(dialog, skinSurface->skin->paintDC);
    skinSurface->skin->paintDC = nullptr;
    state->dialogError = ERROR_RESOURCE_NAME_NOT_FOUND;
    EndDialog(dialog, -1);
    return;
  }
  int width = skinSurface->skin->background->width;
  int height = skinSurface->skin->background->height;
  state->promptX = 4 + kLeftMargin;
  state->promptY = -26 + height - 60;
  SetRect(&skinSurface->skin->statusRect, state->promptX, height - 19, width - kLeftMargin - 129, height + 1);

  bool made = CreateWidgets(state, width, height);
  if (made) {
    RunDiscovery();
    FillFolderList(dialog);
  }
  ReleaseDC(dialog, skinSurface->skin->paintDC);
  skinSurface->skin->paintDC = nullptr;
  if (!made) {
    if (!state->dialogError) state->dialogError = ERROR_NOT_ENOUGH_MEMORY;  // a widget could not be made
    EndDialog(dialog, -1);
    return;
  }
  state->ready = true;
  CreateKeySink(dialog);
  SetWindowTextW(dialog, WindowTitle());
  // The list in the skin's face where the language needed another one, at the dialog font's size.
  if (lstrcmpiW(skinFontFace, L"MS Sans Serif") != 0) {
    state->listFont = CreateSkinFont(-11, 0);
    SendDlgItemMessageW(dialog, IDC_FOLDER_LIST, WM_SETFONT, reinterpret_cast<WPARAM>(state->listFont), FALSE);
  }
  MoveWindow(GetDlgItem(dialog, IDC_FOLDER_LIST), kLeftMargin, height - 60, width - 2 * kLeftMargin + 1, 10, TRUE);
  CentreOnBackground(dialog, width, height);
}

void OnPaint(HWND dialog, const DialogState& state) {
  SkinSurface* skinSurface = state.surface;
  skinSurface->BeginPaintCycle();
  skinSurface->PaintAll();
  if (state.installed) {
    for (int line = 0; line < kCompletedLineCount; ++line) {
      skinSurface->TextAt(kCompletedTextX, 100 + 16 * line, CompletedLine(line));
    }
  } else {
    skinSurface->TextAt(state.promptX, state.promptY, Text(kTextPrompt));
  }
  DrawFocusCue(dialog, skinSurface->skin->paintDC);
  skinSurface->EndPaintCycle();
}

// Sum of the component toggles' values (0: nothing selected).
int SelectedComponentsTotal(const DialogState& state) {
  int total = 0;
  for (int slot = kFirstComponentSlot; slot <= kLastComponentSlot; ++slot) {
    if (state.widgetSlots[slot]) total += Toggle(state, slot)->value;
  }
  return total;
}

// The IDOK branch: installs the selected components into the selected folder. 1 when it ended
// the dialog.
INT_PTR RunInstallation(HWND dialog, DialogState* state) {
  if (state->installed) {
    EndDialog(dialog, 0);
    return 1;
  }
  if (!state->widgetSlots[kBeginSlot]->visible) return 0;
  if (SelectedComponentsTotal(*state) == 0) return 0;

  // The browse entry asks for the folder first: on a machine where nothing was found it is the only one.
  if (BrowseEntrySelected(dialog) && !BrowseForFolder(dialog)) return 0;
  wchar_t folder[kPathCapacity];
  if (!SelectedFolder(dialog, folder)) return 0;
  // A retry after a failure starts from the same selection, not from what earlier tries added.
  RunState& run = state->run;
  run.skipped.Clear();
  for (int slot = kFirstComponentSlot; slot <= kLastComponentSlot; ++slot) {
    FrameSelector* toggle = Toggle(*state, slot);
    if (toggle && toggle->value == 0) run.skipped.Add(toggle->keyword);
  }
  InstallIntoFolder(state->source, folder, &run);
  if (run.failures.count() > 0) {
    // Nothing may look installed that is not: the choosing state stays, with the reason.
    LogOutcome(run.failures);
    ShowInstallFailure(dialog, run.failures);
    return 0;
  }
  LogOutcome(run.failures);
  ShowCompletedState(dialog);
  FocusElement(dialog, {kFinishElement, 0}, false);
  NotifyStateChange(dialog);
  return 0;
}

void OnFolderList(HWND dialog, int notification) {
  const DialogState& state = *StateOf(dialog);
  if (state.installed) return;  // the list is gone with the choice it offered
  if (notification == CBN_SETFOCUS) OnListFocus(dialog);
  // A folder picked with the mouse: the focus leaves the list, which would show its choice marked.
  // The keyboard's focus stays where the keyboard put it.
  if ((notification == CBN_SELCHANGE || notification == CBN_SELENDCANCEL) && !state.focusShown) {
    SetFocus(GetDlgItem(dialog, IDC_FOCUS_SINK));
  }
  if (notification == CBN_SELCHANGE && BrowseEntrySelected(dialog)) BrowseForFolder(dialog);
}

INT_PTR OnCommand(HWND dialog, WPARAM wParam) {
  switch (LOWORD(wParam)) {
    case IDOK:
      return RunInstallation(dialog, StateOf(dialog));
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
  const DialogState& state = *StateOf(dialog);
  Widget* begin = state.widgetSlots[kBeginSlot];
  if (SelectedComponentsTotal(state) == 0) {
    if (begin->visible) begin->Show(0);
    InvalidateRect(dialog, &static_cast<PushButton*>(begin)->bounds, TRUE);
  } else if (!begin->visible) {
    begin->Show(1);
  }
  NotifyStateChange(dialog);
}

void OnSkinCommand(HWND dialog, WPARAM command) {
  switch (command) {
    case kCommandExit:
      SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
      break;
    case kCommandBegin:
      SendMessageW(dialog, WM_COMMAND, IDOK, 0);
      break;
    case kCommandLink:
      OpenPageAsUser(dialog, L"" MAKER_HELP_PAGE);
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
  UINT kind = message & 0xFFFF;
  if (kind == WM_INITDIALOG) {
    OnInitDialog(dialog, reinterpret_cast<DialogState*>(lParam));
    return 0;
  }
  DialogState* state = StateOf(dialog);
  if (!state) return 0;
  if (state->surface->DispatchMouse(dialog, message, wParam, lParam)) return 0;
  if (!state->ready) return 0;
  switch (kind) {
    case WM_PAINT:
      OnPaint(dialog, *state);
      return 0;
    case WM_DESTROY:  // no toggle paints any more, no screen reader asks any more
      state->ready = false;
      DisconnectAccessibleObject(dialog);
      if (state->captionFont) DeleteObject(state->captionFont);
      if (state->wordFont) DeleteObject(state->wordFont);
      if (state->listFont) DeleteObject(state->listFont);
      state->captionFont = nullptr;
      state->wordFont = nullptr;
      state->listFont = nullptr;
      return 0;
    case WM_GETOBJECT:
      SetWindowLongPtrW(dialog, DWLP_MSGRESULT, AnswerGetObject(dialog, wParam, lParam));
      return 1;
    case WM_HELP:
      SendMessageW(dialog, WM_SKINCOMMAND, kCommandHelp, 0);
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
