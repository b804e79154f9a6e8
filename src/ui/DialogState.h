#pragma once
// Process-wide state of the dialog, shared by start-up and the dialog's parts.
#include <windows.h>

#include "base/PathText.h"

class SkinSurface;
class Widget;

// The module whose resources the dialog shows and installs; set once at start-up.
extern HINSTANCE appInstance;

// The one drawing surface of the dialog; owned by start-up.
extern SkinSurface* skinSurface;

// Scratch text for discovery probes, list entries and browsed folders.
extern char pathScratch[kPathCapacity];

// The folder of /D=, listed and preselected as a browsed folder; empty without it.
extern char commandLineFolder[kPathCapacity];

// 1 once the installation run has written the payload.
extern int installed;

enum {
  IDC_FOLDER_LIST = 1033,
  IDC_FOCUS_SINK = 1034,  // takes the focus away from the list
};

enum {
  kWidgetSlots = 20,
  kExitSlot = 0,
  kBeginSlot = 1,
  kFinishSlot = 2,
  kLinkSlot = 3,
  kBannerSlot = 4,
  kFirstComponentSlot = 5,  // component toggles: slots 5 to 18
  kLastComponentSlot = 18,
};
extern Widget* widgetSlots[kWidgetSlots];
enum { kComponents = kLastComponentSlot - kFirstComponentSlot + 1 };

// Why the dialog ended itself while it was being created (0: it did not).
extern DWORD dialogError;

// The component captions' font when they are drawn smaller than the dialog's; owned by the dialog.
extern HFONT captionFont;
