#include "base/Messages.h"

#include "base/InstallLog.h"
#include "base/Texts.h"

const wchar_t* WindowTitle() { return Text(kTextTitle); }

void TellOutcome(bool silent, UINT icon, TextId text, const wchar_t* detail, TextId otherwise) {
  bool fill = !detail[0] && otherwise != kTextCount;
  wchar_t shown[1024];
  FormatText(shown, 1024, EnglishText(text), fill ? EnglishText(otherwise) : detail);
  LogLine("Outcome: %s", shown);
  if (silent) return;
  FormatText(shown, 1024, Text(text), fill ? Text(otherwise) : detail);
  MessageBoxW(nullptr, shown, WindowTitle(), MB_OK | icon);
}
