#include "payload/InstallName.h"

#include <string.h>

#include "base/PathText.h"

namespace {
void RemoveAt(char* text, size_t count) { memmove(text, text + count, strlen(text + count) + 1); }
}  // namespace

char* MakeInstallName(char* name) {
  LowerAscii(name);
  if (!name[0]) return name;
  name[0] = UpperChar(name[0]);
  // The length changes as characters are removed, so it is measured again on every step; the
  // last character is never examined itself.
  for (size_t i = 0; i + 1 < strlen(name); ++i) {
    if (name[i] == '_') {
      if (name[i + 1] == '_') {
        RemoveAt(name + i, 2);
        name[i] = UpperChar(name[i]);
      }
      if (name[i] == '_') name[i] = ' ';
    }
    char c = name[i];
    if (!c) break;  // "__" was the end of the name
    if (c == ':') {
      RemoveAt(name + i, 1);  // the character moving in is not examined in this step
    } else if (!IsLetter(c) && c != '\'' && c != '.' && c != '8' && name[i + 1]) {
      // No capital after a full stop or an "8", so ".8BF" stays a lower-case extension.
      name[i + 1] = UpperChar(name[i + 1]);
    }
  }
  return name;
}
