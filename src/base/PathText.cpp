#include "base/PathText.h"

#include <string.h>
#include <windows.h>

namespace {
bool EqualIgnoringCase(const wchar_t* a, const wchar_t* b, size_t length) {
  return CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, a, static_cast<int>(length), b,
                        static_cast<int>(length)) == CSTR_EQUAL;
}
}  // namespace

bool IsLetter(wchar_t c) { return IsCharAlphaW(c) != FALSE; }

wchar_t UpperChar(wchar_t c) {
  // CharUpperW treats a pointer whose high bits are zero as a single character to convert.
  return static_cast<wchar_t>(reinterpret_cast<UINT_PTR>(CharUpperW(reinterpret_cast<LPWSTR>(static_cast<UINT_PTR>(c)))));
}

void LowerAscii(wchar_t* text) {
  for (; *text; ++text) {
    if (*text >= L'A' && *text <= L'Z') *text = static_cast<wchar_t>(*text - L'A' + L'a');
  }
}

wchar_t* FindText(wchar_t* text, const wchar_t* needle) { return wcsstr(text, needle); }

bool EndsInBackslash(const wchar_t* text) {
  size_t length = wcslen(text);
  return length > 0 && text[length - 1] == L'\\';
}

bool IsAbsolutePath(const wchar_t* text) {
  wchar_t drive = text[0];
  return ((drive >= L'A' && drive <= L'Z') || (drive >= L'a' && drive <= L'z')) && text[1] == L':' && text[2] == L'\\';
}

bool IsInstallablePath(const wchar_t* text) {
  return IsAbsolutePath(text) || (text[0] == L'\\' && text[1] == L'\\' && text[2] && text[2] != L'\\' &&
                                  text[2] != L'?' && text[2] != L'.');
}

bool HasPrefixIgnoringCase(const wchar_t* text, const wchar_t* prefix) {
  size_t length = wcslen(prefix);
  return BoundedLength(text, length) == length && EqualIgnoringCase(text, prefix, length);
}

bool ContainsIgnoringCase(const wchar_t* text, const wchar_t* needle) {
  size_t length = wcslen(needle), textLength = wcslen(text);
  for (size_t at = 0; at + length <= textLength; ++at) {
    if (EqualIgnoringCase(text + at, needle, length)) return true;
  }
  return false;
}

bool SameIgnoringCase(const wchar_t* a, const wchar_t* b) {
  return CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, a, -1, b, -1) == CSTR_EQUAL;
}

bool IsFolder(const wchar_t* path) {
  DWORD attributes = GetFileAttributesW(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FindExistingFolder(wchar_t* path) {
  size_t length = wcslen(path);
  if (EndsInBackslash(path)) path[--length] = L'\0';
  for (;;) {
    if (length <= 3) return false;
    if (IsFolder(path)) return true;
    if (EndsInBackslash(path)) return false;
    path[--length] = L'\0';
  }
}

bool EnsureTrailingBackslash(wchar_t* text, size_t capacity) {
  if (EndsInBackslash(text)) return true;
  size_t length = wcslen(text);
  if (length + 2 > capacity) return false;
  text[length] = L'\\';
  text[length + 1] = L'\0';
  return true;
}

void CapitalizePath(wchar_t* text) {
  LowerAscii(text);
  bool afterLetter = false;
  for (size_t i = 0; text[i]; ++i) {
    if (i == 0 || (!afterLetter && text[i] >= L'A' && text[i] <= L'z')) text[i] = UpperChar(text[i]);
    afterLetter = IsLetter(text[i]);
  }
}

wchar_t* JoinPath(wchar_t* dest, size_t capacity, const wchar_t* tail, const wchar_t* head) {
  const wchar_t* base = head ? head : dest;
  size_t baseLength = wcslen(base);
  size_t tailLength = wcslen(tail);
  size_t separator = (baseLength == 0 || !EndsInBackslash(base)) ? 1 : 0;
  if (baseLength + separator + tailLength + 1 > capacity) return nullptr;
  if (base != dest) wmemmove(dest, base, baseLength);
  if (separator) dest[baseLength] = L'\\';
  wmemmove(dest + baseLength + separator, tail, tailLength + 1);
  return dest;
}

wchar_t* CutAfterLast(wchar_t* text, wchar_t ch) {
  size_t length = wcslen(text);
  size_t cut = 0;
  for (size_t i = 1; i + 2 <= length; ++i) {
    if (text[i] == ch) cut = i + 1;
  }
  if (cut) text[cut] = L'\0';
  return text;
}

wchar_t* StripLeadingNonLetters(wchar_t* text) {
  if (IsLetter(text[0])) return text;
  size_t length = wcslen(text);
  if (length > kStripLimit) {
    text[0] = L'\0';
    return text;
  }
  size_t start = 0;
  while (text[start] && !IsLetter(text[start])) ++start;
  wmemmove(text, text + start, length - start + 1);
  return text;
}

size_t BoundedLength(const wchar_t* text, size_t limit) {
  size_t length = 0;
  while (length < limit && text[length]) ++length;
  return length;
}

bool WidenAscii(wchar_t* dest, size_t capacity, const char* ascii) {
  for (size_t i = 0; i < capacity; ++i) {
    dest[i] = static_cast<unsigned char>(ascii[i]);
    if (!ascii[i]) return true;
  }
  if (capacity) dest[0] = L'\0';
  return false;
}

bool CopyText(wchar_t* dest, size_t capacity, const wchar_t* text) {
  return CopyTextPart(dest, capacity, text, BoundedLength(text, capacity));
}

bool CopyTextPart(wchar_t* dest, size_t capacity, const wchar_t* text, size_t length) {
  if (length >= capacity) {
    if (capacity) dest[0] = L'\0';
    return false;
  }
  wmemmove(dest, text, length);
  dest[length] = L'\0';
  return true;
}

bool AppendText(wchar_t* dest, size_t capacity, const wchar_t* tail) {
  size_t length = BoundedLength(dest, capacity), tailLength = wcslen(tail);
  if (length + tailLength >= capacity) return false;
  wmemmove(dest + length, tail, tailLength + 1);
  return true;
}
