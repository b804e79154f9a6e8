#pragma once
// Preset blocks: payload resources for two other products of ours that become registry values
// under HKEY_LOCAL_MACHINE instead of files.
#include <windows.h>

struct PresetKind {
  const char* keyword;      // found in the installed name
  const char* keyPath;      // under HKEY_LOCAL_MACHINE
  const char* valuePrefix;  // followed by the record number, two digits at least
  int recordCount;
  int recordSize;
};

// The kind whose keyword the installed name contains, the first in table order; null for a file.
const PresetKind* FindPresetKind(const char* installName);

// Stores each record as one binary value, in every registry view (both under WOW64). A block
// shorter than its records is refused whole and recorded; bytes beyond the last record are
// ignored. Failed values are recorded, the rest written.
void WritePresetBlock(const PresetKind& kind, const BYTE* data, DWORD size, const char* resourceName);

// Creates or opens the key in the view (0: the program's own), sets one REG_BINARY value, closes
// the key. Returns the registry status.
LONG WriteRegistryValue(const char* valueName, const char* keyPath, const void* data, DWORD size, REGSAM view);
