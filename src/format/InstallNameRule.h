#pragma once
// How a setup names the file it installs from a payload item's stored name: the packer keeps to it
// in reverse, the setup applies it. Letter case goes away in storage, so the rule gives it back: the
// first character and one after a character that is no letter, apostrophe, full stop or "8" are
// capitals; "__" is taken out and makes the next character a capital; "_" is a blank; ":" is taken
// out and so keeps the next character as it is. Nothing else changes; the letters of other scripts
// stay as stored. isLetter and upper: the platform's, on one character.
#include <stddef.h>

namespace setup_format {

template <class Char>
size_t NameLength(const Char* name) {
  size_t length = 0;
  while (name[length]) ++length;
  return length;
}

template <class Char>
void RemoveChars(Char* at, size_t count) {
  size_t i = 0;
  for (; at[i + count]; ++i) at[i] = at[i + count];
  at[i] = 0;
}

template <class Char, class IsLetter, class Upper>
Char* ApplyInstallNameRule(Char* name, IsLetter isLetter, Upper upper) {
  for (Char* c = name; *c; ++c) {
    if (*c >= 'A' && *c <= 'Z') *c = static_cast<Char>(*c - 'A' + 'a');
  }
  if (!name[0]) return name;
  name[0] = upper(name[0]);
  // The length changes as characters are removed, so it is measured again on every step; the last
  // character is never examined itself.
  for (size_t i = 0; i + 1 < NameLength(name); ++i) {
    if (name[i] == '_') {
      if (name[i + 1] == '_') {
        RemoveChars(name + i, 2);
        name[i] = upper(name[i]);
      }
      if (name[i] == '_') name[i] = ' ';
    }
    Char c = name[i];
    if (!c) break;  // "__" was the end of the name
    if (c == ':') {
      RemoveChars(name + i, 1);  // the character moving in is not examined in this step
    } else if (!isLetter(c) && c != '\'' && c != '.' && c != '8' && name[i + 1]) {
      // No capital after a full stop or an "8", so ".8BF" stays a lower-case extension.
      name[i + 1] = upper(name[i + 1]);
    }
  }
  return name;
}

}  // namespace setup_format
