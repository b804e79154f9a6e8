#pragma once
// Writes the payload resources (type 3000) of a module into a folder.
#include <windows.h>

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
