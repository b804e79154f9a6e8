// A harmless planted DLL: loaded by any process, it leaves C:\planted-markers\<its name> and refuses to stay.
#include <string.h>
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  char path[MAX_PATH] = "", marker[MAX_PATH + 32];
  GetModuleFileNameA(self, path, MAX_PATH - 1);  // the last byte stays NUL
  const char* slash = strrchr(path, '\\');
  CreateDirectoryA("C:\\planted-markers", nullptr);
  wsprintfA(marker, "C:\\planted-markers\\%s", slash ? slash + 1 : path);
  CloseHandle(CreateFileA(marker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  return FALSE;
}
