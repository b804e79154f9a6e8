#pragma once
// Writes the payload resources (type 3000) of a module into a folder.
#include <windows.h>

#include "base/Product.h"

enum {
  kPayloadResourceType = 3000,
  kFileNameCapacity = 500,  // folder plus installed name, NUL included
};

// Enumeration callback: installs one resource of module into the folder that folderText points
// to (a folder text ending in a backslash). Answers FALSE, which ends the enumeration, only when
// the resource cannot be found, is empty or cannot be loaded. Every failure is recorded.
BOOL CALLBACK InstallResource(HMODULE module, LPCSTR type, LPSTR name, LONG_PTR folderText);

// Replaces fileName with the bytes through a temporary file in folder, so that the old file stays
// whole unless the new one was written completely. Returns 0 or the system error code.
DWORD WriteFileReplacing(const char* folder, const char* fileName, const void* data, DWORD size);

// Moves the complete temporary file over fileName. When the old file is held by a program that
// loaded it, it is renamed aside in its folder (a name ending in kAsideSuffix, recorded as moved
// aside and deleted at the next start) and the new one takes its name; should that fail, the old
// one is put back. Returns 0 or the system error code of the first failed move.
DWORD MoveIntoPlace(const char* tempName, const char* fileName);

// The errors of a file that a program holds open or loaded.
bool IsHeldError(DWORD error);

// Files moved aside end so: no editor loads them, and later runs know them as the setup's own.
const char kAsideSuffix[] = "." MAKER_SCAN_WORD "-old";
bool IsAsideName(const char* name);
// fileName + "." + a number of this process + kAsideSuffix; false when it would not fit.
bool MakeAsideName(const char* fileName, char* aside);
