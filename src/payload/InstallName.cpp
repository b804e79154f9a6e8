#include "payload/InstallName.h"

#include <wchar.h>

#include "base/PathText.h"

namespace {
void RemoveAt(wchar_t* text, size_t count) { wmemmove(text, text + count, wcslen(text + count) + 1); }
}  // namespace

wchar_t* MakeInstallName(wchar_t* name) {
  LowerAscii(name);
  if (!name[0]) return name;
  name[0] = UpperChar(name[0]);
  // The length changes as characters are removed, so it is measured again on every step; the
  // last character is never examined itself.
  for (size_t i = 0; i + 1 < wcslen(name); ++i) {
    if (name[i] == L'_') {
      if (name[i + 1] == L'_') {
        RemoveAt(name + i, 2);
        name[i] = UpperChar(name[i]);
      }
      if (name[i] == L'_') name[i] = L' ';
    }
    wchar_t c = name[i];
    if (!c) break;  // "__" was the end of the name
    if (c == L':') {
      RemoveAt(name + i, 1);  // the character moving in is not examined in this step
    } else if (!IsLetter(c) && c != L'\'' && c != L'.' && c != L'8' && name[i + 1]) {
      // No capital after a full stop or an "8", so ".8BF" stays a lower-case extension.
      name[i + 1] = UpperChar(name[i + 1]);
    }
  }
  return name;
}
