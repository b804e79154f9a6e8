#include "ui/DialogElements.h"

#include "base/GdiScope.h"
#include "base/PathText.h"
#include "base/Texts.h"
#include "skin/FrameSelector.h"
#include "skin/HyperLink.h"
#include "skin/PushButton.h"
#include "ui/CompletedState.h"

namespace {
const TextId kButtonWords[] = {kTextInstallWord, kTextCancelWord, kTextFinishWord};
}  // namespace

Widget* WidgetOf(const DialogState& state, DialogElement element) {
  switch (element.kind) {
    case kLinkElement:
      return state.widgetSlots[kLinkSlot];
    case kToggleElement:
      return state.widgetSlots[kFirstComponentSlot + element.index];
    case kInstallElement:
      return state.widgetSlots[kBeginSlot];
    case kCancelElement:
      return state.widgetSlots[kExitSlot];
    case kFinishElement:
      return state.widgetSlots[kFinishSlot];
    default:
      return nullptr;
  }
}

namespace {
// The width of the text in the font, in the dialog's DC.
LONG TextWidth(HWND dialog, HFONT font, const wchar_t* text) {
  WindowDC dc(dialog);
  SelectedObject selected(dc.get(), font);
  SIZE extent = {};
  GetTextExtentPoint32W(dc.get(), text, lstrlenW(text), &extent);
  return extent.cx;
}

RECT TextRect(HWND dialog, int x, int y, const wchar_t* text) {
  RECT rect = {x, y, x + TextWidth(dialog, mainFont, text), y + Scaled(StateOf(dialog)->surface->skin, 13)};
  return rect;
}
}  // namespace

int ListElements(HWND dialog, DialogElement* elements) {
  const DialogState& state = *StateOf(dialog);
  int count = 0;
  auto add = [&](ElementKind kind, int index) { elements[count++] = DialogElement{kind, index}; };
  add(kLinkElement, 0);
  if (state.installed) {
    for (int line = 0; line < CompletedLineCount(state); ++line) add(kCompletedLineElement, line);
    add(kFinishElement, 0);
  } else {
    for (int component = 0; component < state.componentCount; ++component) add(kToggleElement, component);
    add(kPromptElement, 0);
    add(kListElement, 0);
    if (state.widgetSlots[kBeginSlot]->visible) add(kInstallElement, 0);
    add(kCancelElement, 0);
  }
  add(kStatusElement, 0);
  return count;
}

LONG ChildIdOf(HWND dialog, DialogElement element) {
  DialogElement elements[kMaxElements];
  int count = ListElements(dialog, elements);
  for (int i = 0; i < count; ++i) {
    if (SameElement(elements[i], element)) return i + 1;
  }
  return 0;
}

bool SameElement(DialogElement a, DialogElement b) { return a.kind == b.kind && a.index == b.index; }

bool IsFocusable(DialogElement element) {
  return element.kind != kPromptElement && element.kind != kStatusElement && element.kind != kCompletedLineElement;
}

RECT ElementRect(HWND dialog, DialogElement element) {
  const DialogState& state = *StateOf(dialog);
  RECT rect = {};
  switch (element.kind) {
    case kLinkElement:
      return static_cast<HyperLink*>(WidgetOf(state, element))->bounds;
    case kToggleElement: {
      // The box and its caption, as drawn.
      const FrameSelector* toggle = static_cast<FrameSelector*>(WidgetOf(state, element));
      rect = toggle->bounds;
      HFONT font = toggle->captionFont ? toggle->captionFont : mainFont;
      LONG captionRight = toggle->bounds.left + toggle->labelDx + TextWidth(dialog, font, toggle->caption);
      if (captionRight > rect.right) rect.right = captionRight;
      return rect;
    }
    case kInstallElement:
    case kCancelElement:
    case kFinishElement:
      return static_cast<PushButton*>(WidgetOf(state, element))->bounds;
    case kListElement:
      GetWindowRect(GetDlgItem(dialog, IDC_FOLDER_LIST), &rect);
      MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
      return rect;
    case kPromptElement:
      return TextRect(dialog, state.promptX, state.promptY, Text(kTextPrompt));
    case kStatusElement: {  // the text it shows, or the empty line
      const SkinState& skin = *state.surface->skin;
      return skin.statusShown[0] ? TextRect(dialog, skin.statusRect.left, skin.statusRect.top, skin.statusShown)
                                 : skin.statusRect;
    }
    default:
    {
      POINT at = CompletedLineAt(state.surface->skin, element.index);
      return TextRect(dialog, at.x, at.y, CompletedLine(element.index));
    }
  }
}

void ElementName(HWND dialog, DialogElement element, wchar_t* name, size_t capacity) {
  const DialogState& state = *StateOf(dialog);
  const wchar_t* text = L"";
  CompletedLineText line;
  switch (element.kind) {
    case kLinkElement:
      text = static_cast<HyperLink*>(WidgetOf(state, element))->label;
      break;
    case kToggleElement:
      text = state.components[element.index].caption;
      break;
    case kInstallElement:
    case kCancelElement:
    case kFinishElement:
      text = Text(kButtonWords[element.kind - kInstallElement]);
      break;
    case kListElement:
    case kPromptElement:
      text = Text(kTextPrompt);
      break;
    case kStatusElement:
      text = state.surface->skin->statusShown;
      break;
    default:
      line = CompletedLine(element.index);
      text = line;
      while (*text == L' ') ++text;
  }
  lstrcpynW(name, text, static_cast<int>(capacity));
}

void PressElement(HWND dialog, DialogElement element) {
  DialogState& state = *StateOf(dialog);
  if (state.running && element.kind != kCancelElement && element.kind != kLinkElement) return;  // the choice is held
  Widget* widget = WidgetOf(state, element);
  switch (element.kind) {
    case kLinkElement:
      static_cast<HyperLink*>(widget)->Follow(dialog);
      break;
    case kToggleElement: {
      SkinDrawing drawing(state.surface->skin);
      static_cast<FrameSelector*>(widget)->Step(dialog);
      break;
    }
    case kInstallElement:
    case kCancelElement:
    case kFinishElement:
      static_cast<PushButton*>(widget)->Press(dialog);
      break;
    case kListElement:
      SendDlgItemMessageW(dialog, IDC_FOLDER_LIST, CB_SHOWDROPDOWN, TRUE, 0);
      break;
    default:
      break;
  }
}
