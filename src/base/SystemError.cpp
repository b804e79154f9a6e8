#include "base/SystemError.h"

#include <wchar.h>

void DescribeError(DWORD error, wchar_t* text, DWORD capacity) {
  if (FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, text, capacity,
                     nullptr) == 0) {
    wsprintfW(text, L"System error %lu.", error);  // at most 24 characters
  }
}
