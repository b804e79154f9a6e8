#include "ui/CompletedState.h"

#include <wchar.h>

#include "base/Texts.h"
#include "skin/SkinSurface.h"
#include "skin/Widget.h"
#include "ui/DialogState.h"

int CompletedLineCount(const DialogState& state) {
  return state.run.folder.othersCanChange() ? kMostCompletedLines : kCompletedMessageLines;
}

CompletedLineText CompletedLine(int line) {
  // A line that would not fit is shown as far as it goes: it is a text to read, not a path.
  CompletedLineText text;
  const wchar_t* at = line >= kCompletedMessageLines ? Text(kTextOthersCanChange) : Text(kTextCompleted);
  if (line >= kCompletedMessageLines) line = 0;
  for (int i = 0;; ++i) {
    size_t length = wcscspn(at, L"\n");
    if (i == line) {
      text.AssignPart(at, length < text.capacity() - 1 ? length : text.capacity() - 1);
      return text;
    }
    at += length + (at[length] ? 1 : 0);
  }
}

POINT CompletedLineAt(const SkinState* skin, int line) {
  POINT at = {Scaled(skin, 234), Scaled(skin, 100 + 16 * line)};
  return at;
}

void ShowCompletedState(HWND dialog) {
  DialogState* state = StateOf(dialog);
  Widget** widgetSlots = state->widgetSlots;
  state->installed = 1;
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
  MoveWindow(list, 16, 10000, 50, 10, TRUE);
  EnableWindow(list, FALSE);

  // The larger font, as large as lets every line end inside the window: the font that stands in
  // for the face asked for may be wider. Without a new font the old one stays in use.
  SkinSurface* surface = state->surface;
  const SkinState* skin = surface->skin;
  HDC buffer = skin->bufferDC;
  for (int height = 16; height >= 10; --height) {
    HFONT larger = CreateSkinFont(skin, Scaled(skin, height), 0);
    if (!larger) break;
    surface->SetMainFont(larger);
    int widest = 0;
    for (int line = 0; buffer && line < CompletedLineCount(*state); ++line) {
      SIZE extent = {};
      CompletedLineText text = CompletedLine(line);
      GetTextExtentPoint32W(buffer, text, static_cast<int>(text.length()), &extent);
      if (extent.cx > widest) widest = extent.cx;
    }
    if (CompletedLineAt(skin, 0).x + widest <= skin->background->width - Scaled(skin, 4)) break;
  }
  InvalidateRect(dialog, nullptr, TRUE);
}
