// Loads the DLLs named on its command line without any hardening: a DLL planted in its folder is loaded.
#include <windows.h>

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) LoadLibraryA(argv[i]);
}
