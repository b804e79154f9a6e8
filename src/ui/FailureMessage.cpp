#include "ui/FailureMessage.h"

#include <wchar.h>

#include "base/Outcome.h"
#include "base/PathText.h"
#include "base/Product.h"
#include "base/SystemError.h"
#include "payload/InstallFailures.h"

namespace {
// Appends as much of text as fits; a message may be cut, it is only read.
void Append(wchar_t* buffer, size_t capacity, const wchar_t* text) {
  size_t used = wcsnlen(buffer, capacity);
  if (used + 1 >= capacity) return;
  size_t length = wcsnlen(text, capacity - used - 1);
  wmemcpy(buffer + used, text, length);
  buffer[used + length] = L'\0';
}

// The same for the message's fixed texts, which are ASCII.
void Append(wchar_t* buffer, size_t capacity, const char* text) {
  wchar_t wide[256];
  if (WidenAscii(wide, 256, text)) Append(buffer, capacity, wide);
}
}  // namespace

void ShowInstallFailure(HWND dialog, const InstallFailures& failures) {
  const InstallFailure* failure = failures.Get(0);
  if (!failure) return;
  const size_t kCapacity = 2048;
  wchar_t message[kCapacity] = L"";
  // What the failed run could not take back is never hidden behind "nothing was installed".
  Append(message, kCapacity, failures.LeftChanges() ? "The plug-ins were not installed, and not everything the "
                                                      "setup wrote could be put back as it was.\n\n"
                                                    : "Nothing was installed.\n\n");
  Append(message, kCapacity, FailureHeadline(failure->kind));
  Append(message, kCapacity, failure->subject);
  Append(message, kCapacity, "\n\n");
  wchar_t reason[512] = L"";
  DescribeError(failure->error, reason, 512);
  Append(message, kCapacity, reason);
  // Where an old plug-in now is matters more than the count of what else went wrong.
  int others = failures.count() - 1;
  for (int i = 1; const InstallFailure* other = failures.Get(i); ++i) {
    if (!IsLeftChanged(other->kind)) continue;
    Append(message, kCapacity, "\n");
    Append(message, kCapacity, FailureHeadline(other->kind));
    Append(message, kCapacity, other->subject);
    --others;
  }
  if (others > 0) {
    wchar_t more[64];
    wsprintfW(more, L"\n(%d more problem%s.)", others, others == 1 ? L"" : L"s");
    Append(message, kCapacity, more);
  }
  if (failure->kind == kAnotherRunActive) {
    Append(message, kCapacity, "\n\nWait until it has finished, then click INSTALL again.");
  } else if (failure->kind != kRecordUnreadable) {
    Append(message, kCapacity, "\n\nClose ");
    Append(message, kCapacity, failure->holder[0] ? failure->holder : L"your image editor");
    Append(message, kCapacity, ", or choose another folder, then click INSTALL again.");
  }
  MessageBoxW(dialog, message, kWindowTitle, MB_OK | MB_ICONWARNING);
}
