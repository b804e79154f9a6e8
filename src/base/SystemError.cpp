#include "base/SystemError.h"

#include <wchar.h>

#include "base/Texts.h"

void DescribeError(SystemError failure, wchar_t* text, DWORD capacity, ErrorWords words) {
  const DWORD error = failure.code();
  const DWORD kFlags = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
  if (words == kLogWords &&
      FormatMessageW(kFlags, nullptr, error, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), text, capacity, nullptr)) {
    return;
  }
  if (FormatMessageW(kFlags, nullptr, error, 0, text, capacity, nullptr)) return;
  wchar_t number[16];
  wsprintfW(number, L"%lu", error);
  FormatText(text, capacity, words == kLogWords ? EnglishText(kTextSystemError) : Text(kTextSystemError), number);
}
