#pragma once
// The state of the setup dialog, made by start-up and handed to the dialog as it is created; every
// part of the dialog reaches it through the window.
#include <windows.h>

#include <unknwn.h>
#include <shobjidl.h>

#include "base/GdiScope.h"
#include "base/ScopedHandle.h"
#include "base/SystemError.h"
#include "install/InstallRun.h"
#include "discovery/FolderTable.h"
#include "install/RunState.h"
#include "ui/ShellApi.h"

class SkinSurface;
class Widget;

enum {
  IDC_FOLDER_LIST = 1033,
  IDC_FOCUS_SINK = 1034,  // the key sink: the keyboard's window for the skinned widgets
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
enum { kComponents = kLastComponentSlot - kFirstComponentSlot + 1 };

// A component's texts as the build gave them: its caption whole, even where the toggle shows it cut.
struct ComponentTexts {
  wchar_t keyword[40], caption[40], status[80];
};

// The parts of the dialog as the keyboard and screen readers know them.
enum ElementKind { kLinkElement, kToggleElement, kListElement, kInstallElement, kCancelElement, kFinishElement,
                   kPromptElement, kStatusElement, kCompletedLineElement };
struct DialogElement {
  ElementKind kind;
  int index;  // the component of a toggle, the line of the completed text; 0 otherwise
};

struct DialogState {
  InstallSource source;                // the program: its resources and its own file
  const wchar_t* commandLineFolder;    // /D=, listed and preselected as a browsed folder; empty without it
  SkinSurface* surface;                // the one drawing surface of the dialog; owned by start-up
  Widget* widgetSlots[kWidgetSlots];
  ScopedFont captionFont;  // the component captions' font when smaller than the dialog's
  ScopedFont wordFont;     // the buttons' words
  ScopedFont listFont;     // the folder list's, when the scale or the language needs another
  int installed;      // 1 once the installation run has written the payload
  SystemError dialogError;  // why the dialog ended itself while it was being created (0: it did not)
  bool ready;         // the widgets exist: handlers may use the slots
  int promptX, promptY;
  int windowDpi;  // the display's scale the window is on; the layout's may be larger (SystemLook.h)
  FolderCandidates candidates;       // what discovery found
  int candidateCount;                // list entries before the browsed one and the browse entry
  int listedCandidates[kFolderRows];  // the candidate each of those entries lists
  int browsedListed;                 // 1 while a browsed folder is listed
  FolderPath browsed;                // the folder it lists
  ComponentTexts components[kComponents];
  int componentCount;
  DialogElement focus;  // what the keyboard acts on
  bool focusShown;      // the focus cue shows: the keyboard has been used
  ScopedComPtr<IUnknown> accessible;  // the dialog's object for screen readers, made on the first request
  RunState run;                       // the last installation run; its thread's while it goes on
  // A run going on (BackgroundRun.h): what it installs, how far it has come, its thread, the taskbar.
  bool running;
  bool askingToStop;
  InstallPlan runPlan;
  RunProgress progress;
  ScopedHandle runThread;
  LONG shownPercent;
  ScopedComPtr<ITaskbarList3> taskbar;
  ComApartment taskbarApartment;  // this thread's, entered for the taskbar
};

// The state of the dialog window.
inline DialogState* StateOf(HWND dialog) {
  return reinterpret_cast<DialogState*>(GetWindowLongPtrW(dialog, DWLP_USER));
}
