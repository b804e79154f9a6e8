#include "base/RegistryView.h"

int RegistryViews(REGSAM views[2]) {
  static int wow64 = -1;
  if (wow64 < 0) {
    BOOL underWow64 = FALSE;
    wow64 = IsWow64Process(GetCurrentProcess(), &underWow64) && underWow64 ? 1 : 0;
  }
  views[0] = 0;
  views[1] = KEY_WOW64_64KEY;
  return 1 + wow64;
}
