#include "ui/SystemLook.h"

#include <stdlib.h>

#include "base/GdiScope.h"

namespace {
enum { kLargestTextPercent = 225, kDesignWidth = 500, kDesignHeight = 292 };

// The size the user chose for text, in percent of Windows' own: Windows scales the message font
// with it, which is 9 points (12 pixels at 100 %) as it comes.
int TextSizePercent() {
  NONCLIENTMETRICSW metrics = {};
  metrics.cbSize = sizeof metrics;
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return 100;
  WindowDC screen(nullptr);
  int percent = MulDiv(abs(metrics.lfMessageFont.lfHeight), 96 * 100, 12 * GetDeviceCaps(screen.get(), LOGPIXELSY));
  return percent < 100 ? 100 : percent > kLargestTextPercent ? kLargestTextPercent : percent;
}
}  // namespace

bool ReadSystemColours(SkinState* skin) {
  SkinColours read = {};
  read.contrast = ContrastThemeOn();
  if (read.contrast) {
    read.window = GetSysColor(COLOR_WINDOW);
    read.text = GetSysColor(COLOR_WINDOWTEXT);
    read.buttonFace = GetSysColor(COLOR_BTNFACE);
    read.buttonText = GetSysColor(COLOR_BTNTEXT);
    read.link = GetSysColor(COLOR_HOTLIGHT);
    read.highlight = GetSysColor(COLOR_HIGHLIGHT);
    read.highlightText = GetSysColor(COLOR_HIGHLIGHTTEXT);
  }
  const SkinColours& was = skin->colours;
  bool changed = read.contrast != was.contrast || read.window != was.window || read.text != was.text ||
                 read.buttonFace != was.buttonFace || read.buttonText != was.buttonText || read.link != was.link ||
                 read.highlight != was.highlight || read.highlightText != was.highlightText;
  skin->colours = read;
  return changed;
}

int LayoutScale(HWND dialog, int windowDpi, const RECT* area) {
  int scale = MulDiv(windowDpi, TextSizePercent(), 100);
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof monitor;
  HMONITOR shown = area ? MonitorFromRect(area, MONITOR_DEFAULTTONEAREST) : MonitorFromWindow(dialog, MONITOR_DEFAULTTONEAREST);
  if (scale > windowDpi && GetMonitorInfoW(shown, &monitor)) {
    const RECT& work = monitor.rcWork;
    int fits = MulDiv(work.right - work.left, 96, kDesignWidth), fitsHigh = MulDiv(work.bottom - work.top, 96, kDesignHeight);
    if (fitsHigh < fits) fits = fitsHigh;
    if (scale > fits) scale = fits > windowDpi ? fits : windowDpi;
  }
  return scale;
}
