// Loads the DLLs named on its command line the ordinary way, without any hardening: it shows that
// a DLL planted in a program's folder is loaded where nothing prevents it.
#include <windows.h>

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) LoadLibraryA(argv[i]);
  return 0;
}
