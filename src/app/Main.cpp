// Entry point of the setup program.
#include <windows.h>

#include "app/SetupState.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  // A second copy would install into the same folders at the same time: it leaves at once.
  HANDLE singleInstance = CreateMutexA(nullptr, TRUE, " ");
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    if (singleInstance) CloseHandle(singleInstance);
    return 0;
  }
  appInstance = instance;

  if (singleInstance) {
    ReleaseMutex(singleInstance);
    CloseHandle(singleInstance);
  }
  return 0;
}
