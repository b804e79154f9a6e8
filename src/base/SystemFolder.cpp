#include "base/SystemFolder.h"

#include <shlobj.h>

#include "base/SystemLibrary.h"

bool ProgramFilesFolder(char* path) {
  // Loaded when needed: linked statically, the shell would load before the DLL search path is safe.
  static decltype(&SHGetFolderPathA) getFolderPath;
  if (!getFolderPath) {
    HMODULE shell = LoadSystemLibrary("shell32.dll");
    if (!shell || !FindFunction(shell, "SHGetFolderPathA", &getFolderPath)) return false;
  }
  path[0] = '\0';
  return SUCCEEDED(getFolderPath(nullptr, CSIDL_PROGRAM_FILES, nullptr, SHGFP_TYPE_CURRENT, path)) && path[0];
}
