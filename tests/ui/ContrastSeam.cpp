// The test setup's contrast theme, which Wine cannot switch on: on while the test's value says so.
#include "ui/SystemLook.h"

bool ContrastThemeOn() {
  DWORD on = 0, size = sizeof on;
  return RegGetValueW(HKEY_CURRENT_USER, L"Software\\VelmoranContrastTheme", L"On", RRF_RT_REG_DWORD, nullptr, &on,
                      &size) == ERROR_SUCCESS &&
         on;
}
