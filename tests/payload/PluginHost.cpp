// Loads a plug-in as an editor does and keeps it loaded until it is ended; sets the named event
// once the plug-in is loaded. usage: plugin_host PLUGIN EVENT
#include <windows.h>

int main(int argc, char** argv) {
  if (argc < 3 || !LoadLibraryA(argv[1])) return 1;
  HANDLE loaded = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[2]);
  if (!loaded || !SetEvent(loaded)) return 2;
  Sleep(INFINITE);
  return 0;
}
