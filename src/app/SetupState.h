#pragma once
// Process-wide state of the setup run that other subsystems read.
#include <windows.h>

#include "discovery/FolderTable.h"

// The module whose type-3000 resources are installed; set once at start-up.
extern HINSTANCE appInstance;

// The folder chosen for installation; always ends in a backslash while a run uses it.
extern char targetFolder[kPathCapacity];

// Scratch text for discovery probes and list entries.
extern char pathScratch[kPathCapacity];
