#include "base/PathText.h"

#include <string.h>
#include <windows.h>

namespace {
// Bytes of the character at text (1 or 2); a lead byte before the terminating NUL is alone.
size_t CharLength(const char* text) { return IsLeadByte(text[0]) && text[1] ? 2 : 1; }

// Start of the last character of the first length bytes.
size_t LastCharStart(const char* text, size_t length) {
  size_t at = 0;
  for (size_t next = 0; next < length; next += CharLength(text + next)) at = next;
  return at;
}
}  // namespace

bool IsLetter(char c) { return IsCharAlphaA(c) != FALSE; }

char UpperChar(char c) {
  // CharUpperA treats a pointer whose high bits are zero as a single character to convert.
  return static_cast<char>(reinterpret_cast<UINT_PTR>(
      CharUpperA(reinterpret_cast<LPSTR>(static_cast<UINT_PTR>(static_cast<unsigned char>(c))))));
}

bool IsLeadByte(char c) { return IsDBCSLeadByte(static_cast<BYTE>(c)) != FALSE; }

void LowerAscii(char* text) {
  for (; *text; text += CharLength(text)) {
    if (*text >= 'A' && *text <= 'Z') *text = static_cast<char>(*text - 'A' + 'a');
  }
}

char* FindText(char* text, const char* needle) {
  size_t needleLength = strlen(needle);
  for (; *text; text += CharLength(text)) {
    if (strncmp(text, needle, needleLength) == 0) return text;
  }
  return needleLength == 0 ? text : nullptr;
}

bool EndsInBackslash(const char* text) {
  size_t length = strlen(text);
  return length > 0 && text[length - 1] == '\\' && LastCharStart(text, length) == length - 1;
}

bool IsAbsolutePath(const char* text) {
  char drive = text[0];
  return ((drive >= 'A' && drive <= 'Z') || (drive >= 'a' && drive <= 'z')) && text[1] == ':' && text[2] == '\\';
}

bool HasPrefixIgnoringCase(const char* text, const char* prefix) {
  size_t length = strlen(prefix);
  return strnlen(text, length) == length &&
         CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE | LOCALE_USE_CP_ACP, text, static_cast<int>(length), prefix,
                        static_cast<int>(length)) == CSTR_EQUAL;
}

bool FindExistingFolder(char* path) {
  size_t length = strlen(path);
  if (EndsInBackslash(path)) path[--length] = '\0';
  for (;;) {
    if (length <= 3) return false;
    if (SetCurrentDirectoryA(path)) return true;
    if (EndsInBackslash(path)) return false;
    length = LastCharStart(path, length);
    path[length] = '\0';
  }
}

bool EnterOrMakeFolder(char* path) {
  if (SetCurrentDirectoryA(path)) return true;
  for (size_t at = 3; path[at]; at += CharLength(path + at)) {
    if (path[at] != '\\') continue;
    path[at] = '\0';
    CreateDirectoryA(path, nullptr);  // one that exists already is fine; the last test decides
    path[at] = '\\';
  }
  CreateDirectoryA(path, nullptr);
  return SetCurrentDirectoryA(path) != FALSE;
}

bool EnsureTrailingBackslash(char* text, size_t capacity) {
  if (EndsInBackslash(text)) return true;
  size_t length = strlen(text);
  if (length + 2 > capacity) return false;
  text[length] = '\\';
  text[length + 1] = '\0';
  return true;
}

void CapitalizePath(char* text) {
  LowerAscii(text);
  bool afterLetter = false;
  for (size_t i = 0; text[i]; i += CharLength(text + i)) {
    if (CharLength(text + i) == 2) {
      afterLetter = false;
      continue;
    }
    if (i == 0 || (!afterLetter && text[i] >= 'A' && text[i] <= 'z')) text[i] = UpperChar(text[i]);
    afterLetter = IsLetter(text[i]);
  }
}

char* JoinPath(char* dest, size_t capacity, const char* tail, const char* head) {
  const char* base = head ? head : dest;
  size_t baseLength = strlen(base);
  size_t tailLength = strlen(tail);
  size_t separator = (baseLength == 0 || !EndsInBackslash(base)) ? 1 : 0;
  if (baseLength + separator + tailLength + 1 > capacity) return nullptr;
  if (base != dest) memmove(dest, base, baseLength);
  if (separator) dest[baseLength] = '\\';
  memmove(dest + baseLength + separator, tail, tailLength + 1);
  return dest;
}

char* CutAfterLast(char* text, char ch) {
  size_t length = strlen(text);
  size_t cut = 0;
  for (size_t i = 0; text[i]; i += CharLength(text + i)) {
    if (i >= 1 && i + 2 <= length && text[i] == ch && CharLength(text + i) == 1) cut = i + 1;
  }
  if (cut) text[cut] = '\0';
  return text;
}

char* StripLeadingNonLetters(char* text) {
  if (IsLetter(text[0]) && !IsLeadByte(text[0])) return text;
  size_t length = strlen(text);
  if (length > kStripLimit) {
    text[0] = '\0';
    return text;
  }
  size_t start = 0;
  while (text[start] && (CharLength(text + start) == 2 || !IsLetter(text[start]))) start += CharLength(text + start);
  memmove(text, text + start, length - start + 1);
  return text;
}
