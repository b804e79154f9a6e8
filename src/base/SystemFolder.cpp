#include "base/SystemFolder.h"

#include <shlobj.h>

#include "base/SystemLibrary.h"

bool SystemFolderPath(int csidl, wchar_t* path) {
  // Loaded when needed: linked statically, the shell would load before the DLL search path is safe.
  static decltype(&SHGetFolderPathW) getFolderPath;
  if (!getFolderPath) {
    HMODULE shell = LoadSystemLibrary(L"shell32.dll");
    if (!shell || !FindFunction(shell, "SHGetFolderPathW", &getFolderPath)) return false;
  }
  path[0] = L'\0';
  return SUCCEEDED(getFolderPath(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)) && path[0];
}
