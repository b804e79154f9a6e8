#pragma once
// Writes the payload resources (type 3000) of a module into the run's folder.
#include <windows.h>

#include "format/SetupFormat.h"
#include "base/ContentHash.h"
#include "base/FileReplacement.h"

struct PayloadRun;
struct PresetKind;

enum { kPayloadResourceType = setup_format::kPayloadType };

// Enumeration callback: installs one resource of module into the folder of the run that runState
// points to. Answers FALSE, which ends the enumeration, only when the resource cannot be found, is
// empty or cannot be loaded, or when the run is to stop. Every failure is recorded.
BOOL CALLBACK InstallResource(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR runState);

// The bytes of the module's payload resources that a run installs, its components left out aside.
ULONGLONG StoredBytes(HMODULE module, const PayloadRun& run);

// Where the payload item of that resource name goes: nowhere (its component is left out), into
// preset values of *kind, or into the file installName of the run's folder.
// A name that would not fit, or that is not a plain file name, is refused and recorded.
enum ItemTarget { kItemSkipped, kItemPreset, kItemFile, kItemRefused };
ItemTarget TargetOf(PayloadRun* run, const wchar_t* name, ShortPath* installName, const PresetKind** kind);

// True when the item's component is left out; TargetOf then says kItemSkipped.
bool IsLeftOut(const PayloadRun& run, const wchar_t* name);

// Puts the file in place and records it as written, or records why not, with the program that
// holds it if the system says. error: why the file could not be written whole (0: it was); it is
// then abandoned. file may be null for one never begun.
void FinishFile(PayloadRun* run, NewFile* file, const wchar_t* installName, SystemError error, DWORD size, ContentHash hash);
