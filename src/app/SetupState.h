#pragma once
// Process-wide state of the setup run, shared by start-up, the dialog, the installation run and
// the subsystems that read it.
#include <windows.h>

#include "discovery/FolderTable.h"

class SkinSurface;
class Widget;

// The module whose type-3000 resources are installed; set once at start-up.
extern HINSTANCE appInstance;

// The one drawing surface of the dialog; owned by start-up.
extern SkinSurface* skinSurface;

// The folder chosen for installation; always ends in a backslash while a run uses it.
extern char targetFolder[kPathCapacity];

// Scratch text for discovery probes, list entries and browsed folders.
extern char pathScratch[kPathCapacity];

// The folder of /D=, listed and preselected as a browsed folder; empty without it.
extern char commandLineFolder[kPathCapacity];

// 1 once the installation run has written the payload.
extern int installed;

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
