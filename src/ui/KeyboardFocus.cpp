#include "ui/KeyboardFocus.h"

#include "skin/Widget.h"
#include "ui/DialogElements.h"
#include "ui/ToggleLayout.h"

namespace {
const wchar_t kSinkClass[] = L"VelmoranSetupKeys";

HWND SinkOf(HWND dialog) { return GetDlgItem(dialog, IDC_FOCUS_SINK); }

// Where the cue of a skinned element goes: just around it. The list draws its own.
bool HasCue(DialogElement element) { return IsFocusable(element) && element.kind != kListElement; }

RECT CueRect(HWND dialog, DialogElement element) {
  RECT rect = ElementRect(dialog, element);
  int gap = Scaled(StateOf(dialog)->surface->skin, 2);
  InflateRect(&rect, gap, gap);
  return rect;
}

void Invalidate(HWND dialog, DialogElement element) {
  if (!HasCue(element)) return;
  RECT rect = CueRect(dialog, element);
  InflateRect(&rect, 1, 1);
  InvalidateRect(dialog, &rect, TRUE);
}

// The next element the keyboard reaches from the one given, in the step's direction, round.
DialogElement NextFocus(HWND dialog, DialogElement from, int step) {
  DialogElement elements[kMaxElements];
  int count = ListElements(dialog, elements);
  int at = step > 0 ? -1 : count;
  for (int i = 0; i < count; ++i) {
    if (SameElement(elements[i], from)) at = i;
  }
  for (int tries = 0; tries < count; ++tries) {
    at = (at + step + count) % count;
    if (IsFocusable(elements[at])) return elements[at];
  }
  return from;
}

void MoveFocus(HWND dialog, DialogState* state, int step) {
  DialogElement next = NextFocus(dialog, state->focus, step);
  state->focusShown = true;
  if (next.kind == kListElement) {
    SetFocus(GetDlgItem(dialog, IDC_FOLDER_LIST));  // its CBN_SETFOCUS makes it the focused element
  } else {
    FocusElement(dialog, next, true);
  }
}

// Up and down the columns: the toggles' order; left and right: the same row of the other column.
void MoveAmongToggles(HWND dialog, const DialogState& state, int step) {
  int component = state.focus.index + step;
  if (component >= 0 && component < state.componentCount) FocusElement(dialog, {kToggleElement, component}, true);
}

void OnKey(HWND dialog, DialogState* state, WPARAM key, LPARAM flags) {
  bool onToggle = state->focus.kind == kToggleElement;
  // A key held down acts once: a toggle must not flicker, nor a second Enter finish what the first installed.
  bool repeated = (flags & 0x40000000) != 0;
  if (repeated && (key == VK_SPACE || key == VK_RETURN || key == VK_ESCAPE)) return;
  switch (key) {
    case VK_TAB:
      MoveFocus(dialog, state, GetKeyState(VK_SHIFT) < 0 ? -1 : 1);
      return;
    case VK_SPACE:
      PressElement(dialog, state->focus);
      break;
    case VK_RETURN:
      if (onToggle) {
        SendMessageW(dialog, WM_COMMAND, IDOK, 0);
      } else {
        PressElement(dialog, state->focus);
      }
      break;
    case VK_ESCAPE:
      SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
      break;
    case VK_UP:
    case VK_DOWN:
      if (onToggle) MoveAmongToggles(dialog, *state, key == VK_UP ? -1 : 1);
      break;
    case VK_LEFT:
    case VK_RIGHT:
      if (onToggle) MoveAmongToggles(dialog, *state, key == VK_LEFT ? -kTogglesPerColumn : kTogglesPerColumn);
      break;
    default:
      return;
  }
  if (!state->focusShown) {
    state->focusShown = true;
    Invalidate(dialog, state->focus);
  }
}

// The focus comes back from the list: by Tab to the next element, otherwise (the mouse picked a
// folder) to INSTALL, as it starts.
void ReturnFromList(HWND dialog) {
  bool tabbed = GetKeyState(VK_TAB) < 0;
  DialogElement target = {kInstallElement, 0};
  if (tabbed) target = NextFocus(dialog, {kListElement, 0}, GetKeyState(VK_SHIFT) < 0 ? -1 : 1);
  if (!ChildIdOf(dialog, target)) target = {kCancelElement, 0};  // INSTALL hides while nothing is ticked
  FocusElement(dialog, target, tabbed);
}

LRESULT CALLBACK KeySinkProc(HWND sink, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND dialog = GetParent(sink);
  DialogState* state = dialog ? StateOf(dialog) : nullptr;
  if (!state || !state->ready) return DefWindowProcW(sink, message, wParam, lParam);
  switch (message) {
    case WM_GETDLGCODE:
      return DLGC_WANTALLKEYS | DLGC_WANTARROWS | DLGC_WANTTAB | DLGC_WANTCHARS;
    case WM_KEYDOWN:
      OnKey(dialog, state, wParam, lParam);
      return 0;
    case WM_CHAR:
      return 0;
    case WM_SETFOCUS:
      if (state->focus.kind == kListElement) {
        ReturnFromList(dialog);
      } else {
        Invalidate(dialog, state->focus);
      }
      return 0;
    case WM_KILLFOCUS:
      Invalidate(dialog, state->focus);
      return 0;
    default:
      return DefWindowProcW(sink, message, wParam, lParam);
  }
}
}  // namespace

void CreateKeySink(HWND dialog) {
  DialogState* state = StateOf(dialog);
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = KeySinkProc;
  windowClass.hInstance = state->source.module;
  windowClass.lpszClassName = kSinkClass;
  RegisterClassW(&windowClass);  // fails harmlessly when a dialog before this one registered it
  // Visible, so that the dialog's Tab from the list reaches it; without size, so that it shows nothing.
  HWND sink = CreateWindowExW(0, kSinkClass, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0, 0, 0, dialog,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_FOCUS_SINK)), state->source.module,
                              nullptr);
  state->focus = {kInstallElement, 0};
  state->focusShown = false;
  SetFocus(sink);
}

void FocusElement(HWND dialog, DialogElement element, bool byKeyboard) {
  DialogState* state = StateOf(dialog);
  Widget* before = WidgetOf(*state, state->focus);
  Invalidate(dialog, state->focus);
  state->focus = element;
  if (byKeyboard) state->focusShown = true;
  Invalidate(dialog, element);
  Widget* now = WidgetOf(*state, element);
  if (state->focusShown && before != now) {
    SkinDrawing drawing(state->surface->skin);
    if (before) before->ShowStatus(0);
    if (now) now->ShowStatus(1);
  }
  if (element.kind != kListElement && GetFocus() != SinkOf(dialog)) SetFocus(SinkOf(dialog));
  if (LONG child = ChildIdOf(dialog, element)) NotifyWinEvent(EVENT_OBJECT_FOCUS, dialog, OBJID_CLIENT, child);
}

void OnListFocus(HWND dialog) { FocusElement(dialog, {kListElement, 0}, false); }

void DrawFocusCue(HWND dialog, HDC dc) {
  const DialogState& state = *StateOf(dialog);
  if (!state.focusShown || GetFocus() != SinkOf(dialog) || !HasCue(state.focus) || !ChildIdOf(dialog, state.focus)) {
    return;
  }
  RECT rect = CueRect(dialog, state.focus);
  const SkinState* skin = state.surface->skin;
  if (skin->colours.contrast) {  // solid, in the selection's colour: a dotted line may be lost
    DrawFrame(skin, dc, rect, skin->colours.highlight);
    InflateRect(&rect, -Scaled(skin, 1), -Scaled(skin, 1));
    DrawFrame(skin, dc, rect, skin->colours.highlight);
  } else {
    DrawFocusRect(dc, &rect);
  }
}
