#pragma once
// DLLs from the system folder only. The program enters folders that the registry and the user
// name; a DLL planted in one of them, or next to the downloaded setup, must never be loaded in
// place of the system's.
#include <windows.h>

#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800  // newer than the headers' minimum system
#endif

// Takes the program's own and the current folder out of the DLL search path, for the libraries
// the system loads on the program's behalf too. Called first thing at start-up.
void HardenDllSearch();

// Loads a DLL from the system folder; null when it cannot.
HMODULE LoadSystemLibrary(const wchar_t* name);

// The functions of Api, which load finds in the system's DLLs, the first time they are asked for;
// null when they cannot be found. Most runs never need them: they load late.
template <typename Api>
const Api* LoadOnce(bool (*load)(Api* api)) {
  static Api api;
  static int state;  // 0 not tried, 1 found, -1 missing
  if (state == 0) state = load(&api) ? 1 : -1;
  return state == 1 ? &api : nullptr;
}

// The named function of the module, as the caller's function pointer type; false when missing.
template <typename Function>
bool FindFunction(HMODULE module, const char* name, Function* function) {
  *function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
  return *function != nullptr;
}

// Whether the system is Wine, which lacks some of Windows' interfaces (private namespaces, renames
// relative to a folder) or has them only as stubs that must not be called.
bool IsWine();
