#include "base/SystemLibrary.h"

#include <wchar.h>

#include "base/BoundedText.h"

void HardenDllSearch() {
  typedef BOOL(WINAPI * SetDefaultDllDirectoriesFunction)(DWORD);
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  SetDefaultDllDirectoriesFunction setDefault = nullptr;
  if (kernel && FindFunction(kernel, "SetDefaultDllDirectories", &setDefault)) setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
  SetDllDirectoryW(L"");
  // The themed common controls load this one as the dialog starts, and a loader that does not keep
  // to the directories set above (Wine's) would look beside the program first: loaded from the
  // system folder now, it is the one they find.
  LoadSystemLibrary(L"msimg32.dll");
}

HMODULE LoadSystemLibrary(const wchar_t* name) {
  HMODULE module = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (module || GetLastError() != ERROR_INVALID_PARAMETER) return module;
  // Systems without that flag refuse it: the DLL is named by its place in the system folder, so
  // that no search path, whatever it holds, takes part.
  ShortPath path;
  UINT length = GetSystemDirectoryW(path.buffer(), static_cast<UINT>(path.capacity()));
  if (length == 0 || length >= path.capacity() || !path.AppendPart(name)) return nullptr;
  return LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

bool IsWine() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version");
}
