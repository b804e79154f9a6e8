#include "app/ShellApi.h"

namespace {

HMODULE LoadSystemLibrary(const char* name) {
  HMODULE module = LoadLibraryExA(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  // Systems without that flag refuse it; start-up has already taken the current folder out of
  // their search path.
  if (!module && GetLastError() == ERROR_INVALID_PARAMETER) module = LoadLibraryA(name);
  return module;
}

template <typename Function>
bool Find(HMODULE module, const char* name, Function* function) {
  *function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
  return *function != nullptr;
}

}  // namespace

const ShellApi* SystemShell() {
  static ShellApi api;
  static int state;  // 0 not tried, 1 loaded, -1 failed
  if (state == 0) {
    HMODULE shell = LoadSystemLibrary("shell32.dll");
    HMODULE com = LoadSystemLibrary("ole32.dll");
    bool found = shell && com && Find(shell, "SHBrowseForFolderA", &api.browseForFolder) &&
                 Find(shell, "SHGetPathFromIDListA", &api.pathFromIdList) &&
                 Find(shell, "ShellExecuteA", &api.shellExecute) &&
                 Find(com, "CoInitializeEx", &api.coInitializeEx) &&
                 Find(com, "CoUninitialize", &api.coUninitialize) && Find(com, "CoTaskMemFree", &api.coTaskMemFree);
    state = found ? 1 : -1;
  }
  return state == 1 ? &api : nullptr;
}
