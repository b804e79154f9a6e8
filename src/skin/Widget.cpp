#include "skin/Widget.h"

#include <wchar.h>

Widget::Widget(SkinState* skinState, const wchar_t* text)
    : statusText(), enabled(1), visible(1), erased(0), hoverState(0), commandId(0), skin(skinState),
      registered_(false) {
  if (skin->widgetCount >= 0 && skin->widgetCount < kMaxWidgets) {
    skin->widgets[skin->widgetCount++].reset(this);  // the skin deletes it
    registered_ = true;
  }
  if (text) lstrcpynW(statusText, text, kStatusTextCapacity);
}

void Widget::Show(int show) {
  if (show) {
    erased = 0;
    visible = 1;
    enabled = 1;
  } else {
    visible = 0;
    enabled = 0;
  }
  Redraw();
}

void Widget::Redraw() {
  if (erased) return;
  if (skin->paintDC) {
    Paint(skin->paintDC);
  } else {
    SkinDrawing drawing(skin);
    Paint(drawing.dc());
  }
  if (!visible) erased = 1;
}

void ShowStatusLine(SkinState* skin, const wchar_t* text, const Widget* owner) {
  TileBackground(skin, skin->bufferDC, skin->statusRect);
  SetTextColor(skin->bufferDC, skin->colours.contrast ? skin->colours.text : statusTextColour);
  // A text longer than the line ends in an ellipsis rather than in the middle of a letter.
  RECT line = skin->statusRect;
  if (text[0]) DrawTextW(skin->bufferDC, text, -1, &line, DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
  if (skin->paintDC) {
    BlitRect(skin->paintDC, skin->bufferDC, &skin->statusRect);
  } else {
    SkinDrawing drawing(skin);
    BlitRect(drawing.dc(), skin->bufferDC, &skin->statusRect);
  }
  // A screen reader speaks the status line as it changes.
  lstrcpynW(skin->statusShown, text, kStatusTextCapacity);
  skin->statusShownBy = text[0] ? owner : nullptr;
  if (skin->statusChildId) NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, skin->window, OBJID_CLIENT, skin->statusChildId);
}

void Widget::ShowStatus(int state) {
  if (state == hoverState) return;
  if (!statusText[0] || skin->statusHeld) return;
  // Left: the line goes blank only while it shows this widget's text. The mouse can move straight
  // onto the next widget, which shows its own first (it comes earlier in the dispatch).
  if (state == 0 && skin->statusShownBy != this) {
    hoverState = 0;
    return;
  }
  wchar_t shown[kStatusTextCapacity] = L"";
  const wchar_t* separator = wcschr(statusText, L'@');
  if (state == 1) {
    size_t length = separator ? static_cast<size_t>(separator - statusText) : wcslen(statusText);
    wmemcpy(shown, statusText, length);
    shown[length] = L'\0';
  } else if (state == 2 && separator) {
    lstrcpynW(shown, separator + 1, kStatusTextCapacity);
  }
  ShowStatusLine(skin, shown, this);
  hoverState = state;
}
