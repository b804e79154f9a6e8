// Entry point of the setup program: harden, take the single-instance mutex, run the dialog.
#include <new>
#include <windows.h>

#include "app/SetupDialog.h"
#include "app/SetupState.h"
#include "app/ShellApi.h"
#include "skin/SkinSurface.h"

namespace {

SkinState mainSkinState;

// The program enters folders that the registry and the user name. A DLL planted in one of them,
// or next to the downloaded setup, must never be loaded in place of the system's.
void HardenDllSearch() {
  typedef BOOL(WINAPI * SetDefaultDllDirectoriesFunction)(DWORD);
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  SetDefaultDllDirectoriesFunction setDefault =
      kernel ? reinterpret_cast<SetDefaultDllDirectoriesFunction>(
                   reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")))
             : nullptr;
  if (setDefault) setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
  SetDllDirectoryA("");
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  HardenDllSearch();

  // A second copy would install into the same folders at the same time: it leaves at once.
  HANDLE singleInstance = CreateMutexA(nullptr, TRUE, " ");
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    if (singleInstance) CloseHandle(singleInstance);
    return 0;
  }
  appInstance = instance;

  skinSurface = new (std::nothrow) SkinSurface(&mainSkinState, instance);
  INT_PTR result = skinSurface ? DialogBoxParamA(instance, "main", nullptr, SetupDialogProc, 0) : -1;
  if (result != 0) MessageBoxA(nullptr, "E", nullptr, MB_OK);
  delete skinSurface;
  skinSurface = nullptr;

  if (singleInstance) {
    ReleaseMutex(singleInstance);
    CloseHandle(singleInstance);
  }
  return 0;
}
