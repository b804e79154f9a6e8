#include "base/SystemFolder.h"

#include <shlobj.h>

#include "base/SystemLibrary.h"

bool SystemFolderPath(int csidl, ShortPath* path) {
  // Loaded when needed: linked statically, the shell would load before the DLL search path is safe.
  static decltype(&SHGetFolderPathW) getFolderPath;
  if (!getFolderPath) {
    HMODULE shell = LoadSystemLibrary(L"shell32.dll");
    if (!shell || !FindFunction(shell, "SHGetFolderPathW", &getFolderPath)) return false;
  }
  path->Clear();
  // The shell writes at most MAX_PATH characters, which is what the path holds.
  return SUCCEEDED(getFolderPath(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path->buffer())) && !path->empty();
}
