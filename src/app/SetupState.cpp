#include "app/SetupState.h"

HINSTANCE appInstance;
SkinSurface* skinSurface;
char targetFolder[kPathCapacity];
char pathScratch[kPathCapacity];
char commandLineFolder[kPathCapacity];
int installed;
Widget* widgetSlots[kWidgetSlots];
