#pragma once
// Writes the payload resources (type 3000) of a module into a folder.
#include <windows.h>

#include "base/ContentHash.h"
#include "base/Product.h"

enum {
  kPayloadResourceType = 3000,
  kFileNameCapacity = 500,  // folder plus installed name, NUL included
};

// Enumeration callback: installs one resource of module into the folder that folderText points
// to (a folder text ending in a backslash). Answers FALSE, which ends the enumeration, only when
// the resource cannot be found, is empty or cannot be loaded. Every failure is recorded.
BOOL CALLBACK InstallResource(HMODULE module, LPCSTR type, LPSTR name, LONG_PTR folderText);

struct PresetKind;

// Where the payload item of that resource name goes: nowhere (its component is left out), into
// preset values of *kind, or into fileName (kFileNameCapacity characters) in folder. A name that
// would not fit is refused and recorded.
enum ItemTarget { kItemSkipped, kItemPreset, kItemFile, kItemRefused };
ItemTarget TargetOf(const char* name, const char* folder, char* fileName, const PresetKind** kind);

// True when the item's component is left out; TargetOf then says kItemSkipped.
bool IsLeftOut(const char* name);

// Records a file as written (error 0), or its failure, with the program that holds it if known.
void RecordFileOutcome(const char* fileName, DWORD error, DWORD size, ContentHash hash);

// Replaces fileName with the bytes through a temporary file in folder, so that the old file stays
// whole unless the new one was written completely. Returns 0 or the system error code.
DWORD WriteFileReplacing(const char* folder, const char* fileName, const void* data, DWORD size);

// The same a piece at a time: Begin makes the temporary file, Write adds bytes, Finish moves the
// whole file over fileName; Abandon, after a failure or instead of Finish, deletes it. Each returns
// 0 or the system error code; a failed Begin or Write leaves the file to Abandon.
struct ReplacingFile {
  HANDLE handle;
  char tempName[kFileNameCapacity];
};
DWORD BeginReplacing(const char* folder, const char* fileName, ReplacingFile* file);
DWORD WriteReplacing(ReplacingFile* file, const void* data, DWORD size);
DWORD FinishReplacing(ReplacingFile* file, const char* fileName);
void AbandonReplacing(ReplacingFile* file);

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
// fileName + "." + this process's id + "." + a counter + kAsideSuffix; false when it would not fit.
bool MakeAsideName(const char* fileName, char* aside);
