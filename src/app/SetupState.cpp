#include "app/SetupState.h"

HINSTANCE appInstance;
SkinSurface* skinSurface;
char targetFolder[kPathCapacity];
char pathScratch[kPathCapacity];
int installed;
Widget* widgetSlots[kWidgetSlots];
