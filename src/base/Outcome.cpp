#include "base/Outcome.h"

#include "base/InstallLog.h"
#include "base/PathText.h"
#include "base/Product.h"

const wchar_t kWindowTitle[] = L"" WINDOW_TITLE;
const wchar_t kEntryName[] = L"HKEY_LOCAL_MACHINE\\" UNINSTALL_ENTRY_KEY;

void TellOutcome(bool silent, UINT icon, const char* format, const wchar_t* detail) {
  wchar_t wideFormat[256], text[1024 + 1];  // the most wsprintf writes
  if (!WidenAscii(wideFormat, 256, format) || wsprintfW(text, wideFormat, detail) < 0) return;
  LogLine("Outcome: %s", text);
  if (!silent) MessageBoxW(nullptr, text, kWindowTitle, MB_OK | icon);
}
