#include "ui/SetupDialog.h"

#include <utility>

#include "base/Allocation.h"
#include "base/GdiScope.h"
#include "base/InstallLog.h"
#include "base/MakerValues.h"
#include "base/Messages.h"
#include "base/SystemLibrary.h"
#include "base/Texts.h"
#include "discovery/HostProbes.h"
#include "format/SetupFormat.h"
#include "install/InstallRun.h"
#include "skin/FrameSelector.h"
#include "skin/HyperLink.h"
#include "skin/PushButton.h"
#include "skin/SkinSurface.h"
#include "ui/AccessibleDialog.h"
#include "ui/BackgroundRun.h"
#include "ui/CompletedState.h"
#include "ui/DialogElements.h"
#include "ui/DialogState.h"
#include "ui/FailureMessage.h"
#include "ui/FolderList.h"
#include "ui/KeyboardFocus.h"
#include "ui/LanguageFont.h"
#include "ui/ShellApi.h"
#include "ui/SystemLook.h"
#include "ui/ToggleLayout.h"

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0  // newer than the headers' minimum system
#endif

namespace {

enum {
  kBackgroundId = setup_format::kBackgroundPicture,
  kToggleId = setup_format::kTogglePicture,
  kHandCursorId = setup_format::kHandCursorId,
  kExitId = setup_format::kExitPicture,
  kBannerId = setup_format::kBannerPicture,
  kBeginId = setup_format::kBeginPicture,
  kFinishId = setup_format::kFinishPicture,
  kLeftMargin = 16,
  kLinkX = 300,
  kLinkY = 20,
  kComponentTexts = setup_format::kComponentStringBase,  // keyword, caption and status text of each component
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
  ScopedObject<W> made(new (kNoThrow) W(state->surface->skin, args...));
  // A registered widget belongs to the skin, which deletes it as it detaches.
  W* widget = made && made->registered() ? made.release() : nullptr;
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
void ChooseFont(HDC dc, HINSTANCE instance, SkinFace* face) {
  wchar_t shown[4096];
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
  ChooseSkinFontFor(dc, shown, face);
}

// The components the setup carries, in its order, with their texts in the user's language where the
// maker gave them.
void ReadComponents(DialogState* state) {
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
  }
  state->componentCount = count;
}

// One toggle per component, laid out by the widths of their captions; each shows the value given.
bool CreateToggles(DialogState* state, int width, const int* values) {
  const wchar_t* captionTexts[kComponents];
  int count = state->componentCount;
  for (int component = 0; component < count; ++component) captionTexts[component] = state->components[component].caption;
  SkinState* skin = state->surface->skin;
  HDC dc = skin->paintDC;
  ToggleLayout layout = LayOutToggles(dc, captionTexts, count, width, skin);
  if (layout.fontHeight != kCaptionFontLargest) {
    state->captionFont.reset(CreateSkinFont(skin, Scaled(skin, layout.fontHeight), 0));
  }
  SelectedObject font(dc, state->captionFont.valid() ? state->captionFont.get() : mainFont);
  // Centred on the toggle when smaller than the toggle's 13 pixels.
  int captionOffset = Scaled(skin, kCaptionOffset);
  int rise = (Scaled(skin, kCaptionFontLargest) - Scaled(skin, layout.fontHeight)) / 2;
  DWORD labelOffset = (32768UL + captionOffset) << 16 | (32768UL - rise);
  for (int component = 0; component < count; ++component) {
    POINT at = ToggleAt(layout, component);
    // A caption cut to its column shows whole in the status line.
    const ComponentTexts& texts = state->components[component];
    wchar_t shown[kSelectorTextCapacity];
    lstrcpynW(shown, texts.caption, kSelectorTextCapacity);
    bool cut = FitCaption(dc, shown, at.x + captionOffset, layout.textRight[component / kTogglesPerColumn]);
    RECT toggleAt = {at.x, at.y, 0, 0};
    FrameSelector* toggle = MakeWidget<FrameSelector>(
        state, kFirstComponentSlot + component, toggleAt, kToggleId, labelOffset, shown, 0, -3,
        cut ? texts.caption : texts.status, static_cast<int>(kCommandComponents), 0, texts.keyword);
    if (!toggle) return false;
    toggle->value = values[component];
    toggle->captionFont = state->captionFont.get();
  }
  return true;
}

// A button at the bottom edge, its word on it; at right, the x where its right edge is to end.
PushButton* MakeButton(DialogState* state, int slot, BitmapId picture, int command, TextId status, TextId word,
                       int right, int top) {
  PushButton* button = MakeWidget<PushButton>(state, slot, At(0, 0), picture, picture, command, Text(status), nullptr,
                                              nullptr);
  if (!button) return nullptr;
  button->SetWord(Text(word), state->wordFont.get());
  button->MoveTo(right - button->width(), top);
  return button;
}

// The widgets at the skin's scale, in the window's width x height pixels (500 x 292 at 100 %). The
// buttons stand at the bottom right, each as wide as its word needs: CANCEL at the edge, INSTALL
// beside it, FINISH in CANCEL's place. values: the toggles'.
bool CreateWidgets(DialogState* state, int width, int height, const int* values) {
  SkinState* skin = state->surface->skin;
  auto scaled = [skin](int length) { return Scaled(skin, length); };
  // Places of the 100 % layout, from the window's edges as the pictures drew them.
  int right = width - scaled(4), bottom = scaled(MulDiv(height, 96, skin->dpi) - 21);
  for (Widget*& slot : state->widgetSlots) slot = nullptr;
  state->wordFont.reset(CreateSkinFont(skin, scaled(11), 0));
  PushButton* cancel =
      MakeButton(state, kExitSlot, kExitId, kCommandExit, kTextCancelStatus, kTextCancelWord, right, bottom);
  if (!cancel) return false;
  PushButton* begin = MakeButton(state, kBeginSlot, kBeginId, kCommandBegin, kTextInstallStatus, kTextInstallWord,
                                 cancel->originX - scaled(1), bottom);
  if (!begin) return false;
  PushButton* finish =
      MakeButton(state, kFinishSlot, kFinishId, kCommandExit, kTextFinishStatus, kTextFinishWord, right, bottom);
  if (!finish) return false;
  finish->Show(0);
  RECT link = {scaled(kLinkX), scaled(kLinkY), 0, 0};
  if (!MakeWidget<HyperLink>(state, kLinkSlot, link, WebsiteHost(), static_cast<int>(kCommandLink),
                             Text(kTextLinkStatus))) {
    return false;
  }
  RECT bannerAt = {scaled(6), scaled(6), 0, 0};
  PushButton* banner = MakeWidget<PushButton>(state, kBannerSlot, bannerAt, kBannerId, kBannerId, 1, L"", nullptr, nullptr);
  if (!banner) return false;
  banner->enabled = 0;
  banner->visible = 0;
  // The status line, on the bottom strip, ends short of the buttons.
  SetRect(&skin->statusRect, state->promptX, height - scaled(19), begin->originX - scaled(20), height + 1);
  return CreateToggles(state, width, values);
}

// The window as large as its background, in the middle of its monitor's work area.
void CentreOnBackground(HWND dialog, int width, int height) {
  RECT window, client;
  GetWindowRect(dialog, &window);
  GetClientRect(dialog, &client);
  int frameX = (window.right - window.left) - client.right;
  int frameY = (window.bottom - window.top) - client.bottom;
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof monitor;
  if (!GetMonitorInfoW(MonitorFromWindow(dialog, MONITOR_DEFAULTTONEAREST), &monitor)) {
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &monitor.rcWork, 0);
  }
  const RECT& work = monitor.rcWork;
  int x = (work.left + work.right - width - frameX) / 2;
  int y = (work.top + work.bottom - height - frameY) / 2;
  MoveWindow(dialog, x, y, width + frameX, height + frameY, TRUE);
}

// The display scale the window is on: its monitor's, where the system says (Windows 10), else the
// system's.
int WindowDpi(HWND dialog) {
  typedef UINT(WINAPI * GetDpiForWindowFunction)(HWND);
  GetDpiForWindowFunction getDpi = nullptr;
  HMODULE user = GetModuleHandleW(L"user32.dll");
  UINT dpi = user && FindFunction(user, "GetDpiForWindow", &getDpi) ? getDpi(dialog) : 0;
  if (dpi) return static_cast<int>(dpi);
  WindowDC screen(nullptr);
  return GetDeviceCaps(screen.get(), LOGPIXELSX);
}

// Everything the dialog draws, at the skin's scale: the background and fonts, the widgets (the
// toggles showing values), the prompt, the status line and the folder list. False, with the
// reason in dialogError where it is known, when the dialog cannot be shown.
bool LayOut(HWND dialog, DialogState* state, const int* values) {
  SkinState* skin = state->surface->skin;
  WindowDC dc(dialog);
  skin->paintDC = dc.get();
  RECT noStatusYet = {};
  state->surface->Attach(dialog, kBackgroundId, kHandCursorId, &noStatusYet);
  // Without its background the dialog has no size and no layout: it cannot be shown.
  const BitmapStrip* background = skin->background.get();
  bool made = background && background->bitmap && background->width > 0 && background->height > 0;
  if (!made) state->dialogError = ERROR_RESOURCE_NAME_NOT_FOUND;
  int width = made ? background->width : 0, height = made ? background->height : 0;
  int designHeight = MulDiv(height, 96, skin->dpi);  // 292 at every scale
  state->promptX = Scaled(skin, 20);
  state->promptY = Scaled(skin, designHeight - 86);
  SetRect(&skin->keptPicture, Scaled(skin, 6), Scaled(skin, 6), Scaled(skin, 214), Scaled(skin, 198));
  if (made) made = CreateWidgets(state, width, height, values);
  skin->paintDC = nullptr;
  if (!made) return false;
  // The list in the skin's face and at its scale where either is not the dialog's own.
  ScopedFont listFont(skin->dpi != 96 || skin->face.name[0] ? CreateSkinFont(skin, -Scaled(skin, 11), 0) : nullptr);
  HWND list = GetDlgItem(dialog, IDC_FOLDER_LIST);
  HFONT shown = listFont.valid() ? listFont.get() : reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
  SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(shown), FALSE);
  state->listFont = std::move(listFont);  // the one before goes once the list has let go of it
  MoveWindow(list, Scaled(skin, kLeftMargin), Scaled(skin, designHeight - 60), width - 2 * Scaled(skin, kLeftMargin) + 1,
             Scaled(skin, 10), TRUE);
  return true;
}

void DeleteLayoutFonts(DialogState* state) {
  state->captionFont.reset();
  state->wordFont.reset();
}

// The layout follows each monitor's scale itself (Windows 10 1703 and later): the dialog manager's
// own resizing of the window, of the list and of the list's font would come on top of it.
void KeepDialogManagerFromRescaling(HWND dialog) {
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  decltype(&SetDialogDpiChangeBehavior) forDialog;
  decltype(&SetDialogControlDpiChangeBehavior) forControl;
  if (FindFunction(user32, "SetDialogDpiChangeBehavior", &forDialog)) {
    forDialog(dialog, DDC_DISABLE_ALL, DDC_DISABLE_ALL);
  }
  if (FindFunction(user32, "SetDialogControlDpiChangeBehavior", &forControl)) {
    const auto kNone = static_cast<DIALOG_CONTROL_DPI_CHANGE_BEHAVIORS>(DCDC_DISABLE_FONT_UPDATE | DCDC_DISABLE_RELAYOUT);
    forControl(GetDlgItem(dialog, IDC_FOLDER_LIST), kNone, kNone);
  }
}

void OnInitDialog(HWND dialog, DialogState* state) {
  SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(state));
  state->installed = 0;
  state->ready = false;
  state->windowDpi = WindowDpi(dialog);
  ReadSystemColours(state->surface->skin);
  state->surface->skin->dpi = LayoutScale(dialog, state->windowDpi);
  KeepDialogManagerFromRescaling(dialog);
  statusTextColour = 0xFFFFFF;
  ReadComponents(state);
  int values[kComponents];
  for (int& value : values) value = 2;  // every component ticked
  {
    WindowDC dc(dialog);
    ChooseFont(dc.get(), state->source.module, &state->surface->skin->face);
  }
  if (state->componentCount == 0) state->dialogError = ERROR_RESOURCE_NAME_NOT_FOUND;
  if (state->componentCount == 0 || !LayOut(dialog, state, values)) {
    if (!state->dialogError) state->dialogError = ERROR_NOT_ENOUGH_MEMORY;  // a widget could not be made
    EndDialog(dialog, -1);
    return;
  }
  state->candidates = RunDiscovery();
  FillFolderList(dialog);
  state->ready = true;
  CreateKeySink(dialog);
  SetWindowTextW(dialog, WindowTitle());
  CentreOnBackground(dialog, state->surface->skin->background->width, state->surface->skin->background->height);
}

int SelectedComponentsTotal(const DialogState& state);

// Everything laid out anew at another scale, where the system suggests (else in the middle of the
// monitor); what the user chose stays.
void LayOutAgain(HWND dialog, DialogState* state, int scale, const RECT* suggested) {
  SkinState* skin = state->surface->skin;
  if (scale == skin->dpi) return;
  int values[kComponents];
  for (int component = 0; component < state->componentCount; ++component) {
    values[component] = Toggle(*state, kFirstComponentSlot + component)->value;
  }
  state->ready = false;  // no handler touches a widget while they are made anew
  DeleteLayoutFonts(state);
  state->surface->Detach();
  skin->dpi = scale;
  if (!LayOut(dialog, state, values)) {
    EndDialog(dialog, state->installed ? 0 : -1);  // what was installed stays installed, and says so
    return;
  }
  state->ready = true;
  if (SelectedComponentsTotal(*state) == 0) state->widgetSlots[kBeginSlot]->visible = 0;
  if (state->installed) ShowCompletedState(dialog);
  if (state->running) {
    HoldChoice(dialog, true);
    state->shownPercent = -1;  // the status line shows the progress again at the next tick
  }
  if (suggested) {
    SetWindowPos(dialog, nullptr, suggested->left, suggested->top, skin->background->width, skin->background->height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  } else {
    CentreOnBackground(dialog, skin->background->width, skin->background->height);
  }
  InvalidateRect(dialog, nullptr, TRUE);
  NotifyStateChange(dialog);
}

// Moved to a monitor of another scale.
void OnDpiChanged(HWND dialog, DialogState* state, int dpi, const RECT& suggested) {
  state->windowDpi = dpi;
  LayOutAgain(dialog, state, LayoutScale(dialog, dpi, &suggested), &suggested);
}

// A contrast theme turned on or off, other colours, another size for text: drawn anew at once.
void OnSystemLookChanged(HWND dialog, DialogState* state) {
  bool recoloured = ReadSystemColours(state->surface->skin);
  int scale = LayoutScale(dialog, state->windowDpi);
  if (scale != state->surface->skin->dpi) {
    LayOutAgain(dialog, state, scale, nullptr);
  } else if (recoloured) {
    InvalidateRect(dialog, nullptr, TRUE);
  }
}

void OnPaint(HWND dialog, const DialogState& state) {
  SkinSurface* skinSurface = state.surface;
  skinSurface->BeginPaintCycle();
  skinSurface->PaintAll();
  if (state.installed) {
    for (int line = 0; line < CompletedLineCount(state); ++line) {
      POINT at = CompletedLineAt(skinSurface->skin, line);
      skinSurface->TextAt(at.x, at.y, CompletedLine(line));
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

// The IDOK branch: starts installing the selected components into the selected folder. 1 when it
// ended the dialog.
INT_PTR RunInstallation(HWND dialog, DialogState* state) {
  if (state->running) return 0;
  if (state->installed) {
    EndDialog(dialog, 0);
    return 1;
  }
  if (!state->widgetSlots[kBeginSlot]->visible) return 0;
  if (SelectedComponentsTotal(*state) == 0) return 0;

  // The browse entry asks for the folder first: on a machine where nothing was found it is the only one.
  if (BrowseEntrySelected(dialog) && !BrowseForFolder(dialog)) return 0;
  // The plan, from what the user chose: the folder and the components cleared.
  InstallPlan plan = {};
  if (!SelectedFolder(dialog, &plan.folder)) return 0;
  for (int slot = kFirstComponentSlot; slot <= kLastComponentSlot; ++slot) {
    FrameSelector* toggle = Toggle(*state, slot);
    if (toggle && toggle->value == 0) plan.leftOut.Add(toggle->keyword);
  }
  StartRun(dialog, plan);
  return 0;
}

// The run has ended: the completed state, or the choosing state again with what failed.
void OnRunEnded(HWND dialog, DialogState* state) {
  EndRun(dialog);
  const InstallFailures& failures = state->run.failures;
  LogOutcome(failures);
  if (RunExitCode(failures) == ExitCode::kCancelled) {
    MessageBoxW(dialog, Text(kTextCancelled), WindowTitle(), MB_OK | MB_ICONINFORMATION);
  } else if (failures.count() > 0) {
    // Nothing may look installed that is not: the choosing state stays, with the reason.
    ShowInstallFailure(dialog, failures);
  } else {
    ShowCompletedState(dialog);
    FocusElement(dialog, {kFinishElement, 0}, false);
  }
  NotifyStateChange(dialog);
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
      if (StateOf(dialog)->running) {  // the exit button, Escape, Alt+F4, the taskbar's close
        AskToStopRun(dialog);
        return 1;
      }
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
      OpenPageAsUser(dialog, Maker(kMakerHelpPage));
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
      if (state->running) {  // ended while a run goes on (a layout that failed): it stops first
        InterlockedExchange(&state->progress.stopAsked, 1);
        EndRun(dialog);
      }
      state->ready = false;
      DisconnectAccessibleObject(dialog);
      DeleteLayoutFonts(state);
      SendDlgItemMessageW(dialog, IDC_FOLDER_LIST, WM_SETFONT, 0, FALSE);  // the list outlives this message
      state->listFont.reset();
      return 0;
    case WM_DPICHANGED:  // handled: the dialog manager adds nothing of its own
      OnDpiChanged(dialog, state, LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      return 1;
    case WM_SETTINGCHANGE:
    case WM_SYSCOLORCHANGE:
    case WM_THEMECHANGED:
      OnSystemLookChanged(dialog, state);
      return 0;
    case WM_TIMER:
      ShowRunProgress(dialog);
      return 0;
    case kRunEndedMessage:
      OnRunEnded(dialog, state);
      return 0;
    case WM_QUERYENDSESSION:  // signing off waits for the run, which says why (BackgroundRun.h)
      SetWindowLongPtrW(dialog, DWLP_MSGRESULT, state->running ? FALSE : TRUE);
      return 1;
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
