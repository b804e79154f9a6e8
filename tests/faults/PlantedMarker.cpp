// A harmless stand-in for a DLL planted next to a program: when any process loads it, it leaves a
// file named after itself in C:\planted-markers and refuses to stay loaded.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  char path[MAX_PATH];
  DWORD length = GetModuleFileNameA(self, path, MAX_PATH);
  const char* name = path;
  for (DWORD i = 0; i < length; ++i) {
    if (path[i] == '\\') name = path + i + 1;
  }
  char marker[MAX_PATH + 32];
  CreateDirectoryA("C:\\planted-markers", nullptr);
  wsprintfA(marker, "C:\\planted-markers\\%s", name);
  HANDLE file = CreateFileA(marker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  return FALSE;
}
