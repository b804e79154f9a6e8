// Asks the setup's allocation functions for more memory than any process has, with a plain new
// that, like any plain new, is not tested for null.
#include <stddef.h>
#include <windows.h>

#include "base/Texts.h"

char* volatile kept;  // observed, so that the allocation cannot be left out

int main() {
  // The setup's texts, as it reads them first, from the setup beside the probe.
  wchar_t path[MAX_PATH];
  DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  while (length > 0 && path[length - 1] != L'\\') --length;
  lstrcpynW(path + length, L"VelmoranSetup.exe", MAX_PATH - length);
  LoadTexts(LoadLibraryExW(path, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE), L"");
  volatile size_t huge = static_cast<size_t>(-1) / 2;
  kept = new char[huge];
  kept[0] = 1;  // never reached: what would crash if null came back
  return 2;
}
