#include "base/Texts.h"

#include <string.h>
#include <wchar.h>

#include "base/Lzma.h"
#include "base/PathText.h"
#include "base/ScopedHandle.h"

namespace {

const DWORD kLargestTexts = 1u << 20;
enum { kTagCapacity = 16, kMostLanguages = 64 };

// One language's texts, widened from the block's UTF-8.
struct Language {
  char tag[kTagCapacity];
  const BYTE* block;  // its texts in the decoded block, each ending in a NUL
  DWORD size;
};

// The process's texts: read once as the program starts, read-only afterwards, and kept until the
// process ends (a static object with a destructor would need the run-time library's exit code).
struct TextTable {
  Language languages[kMostLanguages];
  int languageCount;
  int textCount, componentCount;
  const wchar_t* chosen[kTextCount];
  const wchar_t* english[kTextCount];
  const wchar_t* components[kMostComponentTexts][2];
  LANGID language;
};
TextTable table;

WORD Word(const BYTE* at) { return static_cast<WORD>(at[0] | at[1] << 8); }
DWORD Dword(const BYTE* at) { return Word(at) | static_cast<DWORD>(Word(at + 2)) << 16; }

// The languages in the decoded block; false when it is not as the build writes it.
bool ReadBlock(const BYTE* bytes, DWORD size) {
  if (size < 12 || memcmp(bytes, "VMTX", 4) != 0 || Word(bytes + 4) != 1) return false;
  table.languageCount = Word(bytes + 6);
  table.textCount = Word(bytes + 8);
  table.componentCount = Word(bytes + 10);
  if (table.languageCount < 1 || table.languageCount > kMostLanguages || table.textCount != kTextCount ||
      table.componentCount > kMostComponentTexts) {
    return false;
  }
  DWORD at = 12;
  for (int i = 0; i < table.languageCount; ++i) {
    Language& language = table.languages[i];
    if (at >= size || bytes[at] == 0 || bytes[at] >= kTagCapacity || size - at < 1u + bytes[at] + 4) return false;
    memcpy(language.tag, bytes + at + 1, bytes[at]);
    language.tag[bytes[at]] = '\0';
    at += 1 + bytes[at];
    language.size = Dword(bytes + at);
    at += 4;
    if (language.size > size - at || language.size == 0 || bytes[at + language.size - 1] != 0) return false;
    language.block = bytes + at;
    at += language.size;
  }
  return at == size;
}

// The language's texts widened into block, and pointers to each: its texts, then a caption and a
// status text per component. False when they are not all there.
bool Widen(const Language& language, const wchar_t** texts, const wchar_t* (*components)[2]) {
  int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, reinterpret_cast<const char*>(language.block),
                                   static_cast<int>(language.size), nullptr, 0);
  wchar_t* wide = length > 0 ? static_cast<wchar_t*>(HeapAlloc(GetProcessHeap(), 0, length * sizeof(wchar_t)))
                             : nullptr;
  if (!wide) return false;
  MultiByteToWideChar(CP_UTF8, 0, reinterpret_cast<const char*>(language.block), static_cast<int>(language.size),
                      wide, length);
  const wchar_t* at = wide;
  const wchar_t* end = wide + length;
  for (int i = 0; i < table.textCount + 2 * table.componentCount; ++i) {
    if (at >= end) return false;
    if (i < table.textCount) {
      texts[i] = at;
    } else if (components) {
      int component = (i - table.textCount) / 2;
      components[component][(i - table.textCount) % 2] = *at ? at : nullptr;
    }
    at += wcslen(at) + 1;
  }
  return true;
}

// The first count letters of a and b alike, letter case aside (tags are ASCII).
bool SameLetters(const char* a, const wchar_t* b, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    wchar_t x = static_cast<wchar_t>(a[i]), y = b[i];
    if (x >= L'A' && x <= L'Z') x = static_cast<wchar_t>(x + 32);
    if (y >= L'A' && y <= L'Z') y = static_cast<wchar_t>(y + 32);
    if (x != y || x == 0) return false;
  }
  return true;
}

// The built-in language for a tag such as "de", "de-AT" or "pt-BR": the same tag, else the same
// language in another region. Chinese in its traditional script is not simplified Chinese. -1: none.
int FindLanguage(const wchar_t* tag) {
  size_t length = BoundedLength(tag, kTagCapacity), primary = wcscspn(tag, L"-_");
  if (length == 0 || length >= kTagCapacity) return -1;
  for (int i = 0; i < table.languageCount; ++i) {
    if (strlen(table.languages[i].tag) == length && SameLetters(table.languages[i].tag, tag, length)) return i;
  }
  bool traditional = HasPrefixIgnoringCase(tag, L"zh-TW") || HasPrefixIgnoringCase(tag, L"zh-HK") ||
                     HasPrefixIgnoringCase(tag, L"zh-MO") || HasPrefixIgnoringCase(tag, L"zh-Hant");
  for (int i = 0; i < table.languageCount && !traditional; ++i) {
    const char* builtIn = table.languages[i].tag;
    if (strcspn(builtIn, "-") == primary && SameLetters(builtIn, tag, primary)) return i;
  }
  return -1;
}

// The first of the user's display languages that the setup has; English (0) when none.
int UsersLanguage() {
  static wchar_t names[1024];
  ULONG count = 0, size = 1024;
  if (GetUserPreferredUILanguages(MUI_LANGUAGE_NAME, &count, names, &size)) {
    for (const wchar_t* name = names; *name; name += wcslen(name) + 1) {
      int found = FindLanguage(name);
      if (found >= 0) return found;
    }
  }
  wchar_t name[LOCALE_NAME_MAX_LENGTH];
  if (LCIDToLocaleName(MAKELCID(GetUserDefaultUILanguage(), SORT_DEFAULT), name, LOCALE_NAME_MAX_LENGTH, 0)) {
    int found = FindLanguage(name);
    if (found >= 0) return found;
  }
  return 0;
}

}  // namespace

TextsLoaded LoadTexts(HMODULE module, const wchar_t* tag) {
  DWORD size = 0;
  ScopedHeapBlock decoded;
  if (UnpackResource(module, kTextsResourceType, kTextsResourceId, kLargestTexts, &decoded, &size) != 0 ||
      !ReadBlock(static_cast<const BYTE*>(decoded.get()), size)) {
    table.languageCount = 0;
    return kTextsDamaged;
  }
  decoded.release();  // the languages point into it
  int chosen = tag[0] ? FindLanguage(tag) : UsersLanguage();
  TextsLoaded loaded = chosen < 0 ? kTextsUnknownTag : kTextsReady;
  if (chosen < 0) chosen = UsersLanguage();
  if (!Widen(table.languages[0], table.english, nullptr) ||
      !Widen(table.languages[chosen], table.chosen, table.components)) {
    for (const wchar_t*& text : table.chosen) text = nullptr;
    for (const wchar_t*& text : table.english) text = nullptr;
    return kTextsDamaged;
  }
  wchar_t wideTag[kTagCapacity];
  MultiByteToWideChar(CP_UTF8, 0, table.languages[chosen].tag, -1, wideTag, kTagCapacity);
  table.language = LANGIDFROMLCID(LocaleNameToLCID(wideTag, 0));
  return loaded;
}

const wchar_t* Text(TextId id) { return table.chosen[id] ? table.chosen[id] : L""; }

const wchar_t* EnglishText(TextId id) { return table.english[id] ? table.english[id] : L""; }

const wchar_t* ComponentText(int component, int field) {
  return component >= 0 && component < table.componentCount ? table.components[component][field] : nullptr;
}

LANGID TextLanguage() { return table.language; }

bool IsBuiltInLanguage(const wchar_t* tag) { return FindLanguage(tag) >= 0; }

void FormatText(wchar_t* out, size_t capacity, const wchar_t* pattern, const wchar_t* first, const wchar_t* second) {
  size_t used = 0;
  auto put = [&](wchar_t c) {
    if (used + 1 < capacity) out[used++] = c;
  };
  for (const wchar_t* at = pattern; *at; ++at) {
    bool mark = at[0] == L'{' && (at[1] == L'1' || at[1] == L'2') && at[2] == L'}';
    const wchar_t* filler = mark ? (at[1] == L'1' ? first : second) : nullptr;
    if (!filler) {
      put(*at);
      continue;
    }
    for (; *filler; ++filler) put(*filler);
    at += 2;
  }
  // Not between the halves of a surrogate pair.
  if (used > 0 && used + 1 >= capacity && IS_HIGH_SURROGATE(out[used - 1])) --used;
  if (capacity > 0) out[used] = L'\0';
}
