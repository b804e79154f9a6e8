// Loads a plug-in as an editor does and keeps it loaded until it is ended; sets the named event
// once the plug-in is loaded. usage: plugin_host PLUGIN EVENT
#include <windows.h>

#include <shellapi.h>

int main() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv || argc < 3 || !LoadLibraryW(argv[1])) return 1;
  HANDLE loaded = OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[2]);
  if (!loaded || !SetEvent(loaded)) return 2;
  Sleep(INFINITE);
  return 0;
}
