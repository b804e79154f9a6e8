#include "app/SetupState.h"

HINSTANCE appInstance;
char targetFolder[kPathCapacity];
char pathScratch[kPathCapacity];
