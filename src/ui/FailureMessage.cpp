#include "ui/FailureMessage.h"

#include <wchar.h>

#include "base/Messages.h"
#include "base/PathText.h"
#include "base/SystemError.h"
#include "base/Texts.h"
#include "payload/InstallFailures.h"

namespace {
// Appends as much of text as fits; a message may be cut, it is only read.
void Append(wchar_t* buffer, size_t capacity, const wchar_t* text) {
  size_t used = BoundedLength(buffer, capacity);
  if (used + 1 >= capacity) return;
  size_t length = BoundedLength(text, capacity - used - 1);
  wmemcpy(buffer + used, text, length);
  buffer[used + length] = L'\0';
}

void AppendFormatted(wchar_t* buffer, size_t capacity, TextId text, const wchar_t* first, const wchar_t* second = L"") {
  size_t used = BoundedLength(buffer, capacity);
  if (used + 1 < capacity) FormatText(buffer + used, capacity - used, Text(text), first, second);
}
}  // namespace

void ShowInstallFailure(HWND dialog, const InstallFailures& failures) {
  const InstallFailure* failure = failures.Get(0);
  if (!failure) return;
  const size_t kCapacity = 2048;
  wchar_t message[kCapacity] = L"";
  // What the failed run could not take back is never hidden behind "nothing was installed".
  Append(message, kCapacity, Text(failures.LeftChanges() ? kTextNotAllTakenBack : kTextNothingInstalled));
  Append(message, kCapacity, L"\n\n");
  Append(message, kCapacity, Text(FailureHeadline(failure->kind)));
  Append(message, kCapacity, L"\n");
  Append(message, kCapacity, failure->subject);
  Append(message, kCapacity, L"\n\n");
  wchar_t reason[512] = L"";
  DescribeError(failure->error, reason, 512);
  Append(message, kCapacity, reason);
  // Where an old plug-in now is matters more than the count of what else went wrong.
  int others = failures.count() - 1;
  for (int i = 1; const InstallFailure* other = failures.Get(i); ++i) {
    if (!IsLeftChanged(other->kind)) continue;
    Append(message, kCapacity, L"\n");
    Append(message, kCapacity, Text(FailureHeadline(other->kind)));
    Append(message, kCapacity, L"\n");
    Append(message, kCapacity, other->subject);
    --others;
  }
  if (others > 0) {
    wchar_t count[16];
    wsprintfW(count, L"%d", others);
    Append(message, kCapacity, L"\n");
    AppendFormatted(message, kCapacity, kTextMoreProblems, count);
  }
  if (failure->kind == kAnotherRunActive) {
    Append(message, kCapacity, L"\n\n");
    AppendFormatted(message, kCapacity, kTextRetryAfterOtherRun, Text(kTextInstallWord));
  } else if (failure->kind != kRecordUnreadable) {
    Append(message, kCapacity, L"\n\n");
    AppendFormatted(message, kCapacity, kTextRetryAfterClosing,
                    failure->holder[0] ? failure->holder : Text(kTextYourImageEditor), Text(kTextInstallWord));
  }
  MessageBoxW(dialog, message, WindowTitle(), MB_OK | MB_ICONWARNING);
}
