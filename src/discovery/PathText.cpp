#include "discovery/PathText.h"

#include <string.h>
#include <windows.h>

bool IsLetter(char c) { return IsCharAlphaA(c) != FALSE; }

char UpperChar(char c) {
  // CharUpperA treats a pointer whose high bits are zero as a single character to convert.
  return static_cast<char>(reinterpret_cast<UINT_PTR>(
      CharUpperA(reinterpret_cast<LPSTR>(static_cast<UINT_PTR>(static_cast<unsigned char>(c))))));
}

void LowerAscii(char* text) {
  for (; *text; ++text) {
    if (*text >= 'A' && *text <= 'Z') *text = static_cast<char>(*text - 'A' + 'a');
  }
}

bool FindExistingFolder(char* path) {
  size_t length = strlen(path);
  if (length > 0 && path[length - 1] == '\\') path[--length] = '\0';
  for (;;) {
    if (length <= 3) return false;
    if (SetCurrentDirectoryA(path)) return true;
    if (path[length - 1] == '\\') return false;
    path[--length] = '\0';
  }
}

bool EnsureTrailingBackslash(char* text, size_t capacity) {
  size_t length = strlen(text);
  if (length > 0 && text[length - 1] == '\\') return true;
  if (length + 2 > capacity) return false;
  text[length] = '\\';
  text[length + 1] = '\0';
  return true;
}

void CapitalizePath(char* text) {
  LowerAscii(text);
  if (!text[0]) return;
  text[0] = UpperChar(text[0]);
  for (size_t i = 0; text[i] && text[i + 1]; ++i) {
    char next = text[i + 1];
    if (!IsLetter(text[i]) && next >= 'A' && next <= 'z') text[i + 1] = UpperChar(next);
  }
}

char* JoinPath(char* dest, size_t capacity, const char* tail, const char* head) {
  const char* base = head ? head : dest;
  size_t baseLength = strlen(base);
  size_t tailLength = strlen(tail);
  size_t separator = (baseLength == 0 || base[baseLength - 1] != '\\') ? 1 : 0;
  if (baseLength + separator + tailLength + 1 > capacity) return nullptr;
  if (base != dest) memmove(dest, base, baseLength);
  if (separator) dest[baseLength] = '\\';
  memmove(dest + baseLength + separator, tail, tailLength + 1);
  return dest;
}

char* CutAfterLast(char* text, char ch) {
  size_t length = strlen(text);
  for (size_t i = length >= 2 ? length - 2 : 0; i >= 1; --i) {
    if (text[i] == ch) {
      text[i + 1] = '\0';
      break;
    }
  }
  return text;
}

char* StripLeadingNonLetters(char* text) {
  if (IsLetter(text[0])) return text;
  size_t length = strlen(text);
  if (length > kStripLimit) {
    text[0] = '\0';
    return text;
  }
  size_t start = 0;
  while (text[start] && !IsLetter(text[start])) ++start;
  memmove(text, text + start, length - start + 1);
  return text;
}
