// Asks the setup's allocation functions for more memory than any process has, with a plain new
// that, like any plain new, is not tested for null.
#include <stddef.h>
#include <windows.h>

#include "base/Texts.h"

char* volatile kept;  // observed, so that the allocation cannot be left out

int main() {
  LoadTexts(GetModuleHandleW(nullptr), L"");  // as the setup reads them first
  volatile size_t huge = static_cast<size_t>(-1) / 2;
  kept = new char[huge];
  kept[0] = 1;  // never reached: what would crash if null came back
  return 2;
}
