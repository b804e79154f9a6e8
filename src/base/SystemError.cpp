#include "base/SystemError.h"

#include <string.h>

void DescribeError(DWORD error, char* text, DWORD capacity) {
  if (FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, text, capacity,
                     nullptr) == 0) {
    wsprintfA(text, "System error %lu.", error);  // at most 24 characters
  }
}

void AppendErrorDescription(DWORD error, char* text, DWORD capacity) {
  DWORD used = static_cast<DWORD>(strnlen(text, capacity));
  if (capacity - used >= 32) DescribeError(error, text + used, capacity - used);
}
