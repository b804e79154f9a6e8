#pragma once
// How a run ends, told once: to the log, and in a message box unless the run is silent. The
// product's texts that several parts of the program show are stored here, each once.
#include <windows.h>

extern const wchar_t kWindowTitle[];
// The entry in the system's list of installed programs, as messages and the log name it.
extern const wchar_t kEntryName[];
// Its path below HKEY_LOCAL_MACHINE.
inline const wchar_t* EntryKey() { return kEntryName + sizeof "HKEY_LOCAL_MACHINE\\" - 1; }

// Logs "Outcome: " and the text, and shows the text unless silent, with the icon (MB_ICON...).
// format is ASCII, with at most one %s, which detail fills.
void TellOutcome(bool silent, UINT icon, const char* format, const wchar_t* detail = L"");
