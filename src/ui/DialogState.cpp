#include "ui/DialogState.h"

HINSTANCE appInstance;
SkinSurface* skinSurface;
char pathScratch[kPathCapacity];
char commandLineFolder[kPathCapacity];
int installed;
Widget* widgetSlots[kWidgetSlots];
HFONT captionFont;
DWORD dialogError;
