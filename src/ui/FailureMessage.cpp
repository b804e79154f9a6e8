#include "ui/FailureMessage.h"

#include <string.h>

#include "base/Product.h"
#include "base/SystemError.h"
#include "payload/InstallFailures.h"

namespace {
// Appends as much of text as fits; a message may be cut, it is only read.
void Append(char* buffer, size_t capacity, const char* text) {
  size_t used = strnlen(buffer, capacity);
  if (used + 1 >= capacity) return;
  size_t length = strnlen(text, capacity - used - 1);
  memcpy(buffer + used, text, length);
  buffer[used + length] = '\0';
}

}  // namespace

void ShowInstallFailure(HWND dialog) {
  const InstallFailure* failure = GetInstallFailure(0);
  if (!failure) return;
  char message[2048] = "The plug-ins were not installed completely.\n\n";
  Append(message, sizeof message, FailureHeadline(failure->kind));
  Append(message, sizeof message, failure->subject);
  Append(message, sizeof message, "\n\n");
  char reason[512] = "";
  DescribeError(failure->error, reason, sizeof reason);
  Append(message, sizeof message, reason);
  int others = InstallFailureCount() - 1;
  if (others > 0) {
    char more[64];
    wsprintfA(more, "\n(%d more problem%s.)", others, others == 1 ? "" : "s");
    Append(message, sizeof message, more);
  }
  if (failure->kind == kAnotherRunActive) {
    Append(message, sizeof message, "\n\nWait until it has finished, then click INSTALL again.");
  } else if (failure->kind != kRecordUnreadable) {
    Append(message, sizeof message, "\n\nClose ");
    Append(message, sizeof message, failure->holder[0] ? failure->holder : "your image editor");
    Append(message, sizeof message, ", or choose another folder, then click INSTALL again.");
  }
  MessageBoxA(dialog, message, WINDOW_TITLE, MB_OK | MB_ICONWARNING);
}
