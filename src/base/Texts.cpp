#include "base/Texts.h"

#include <string.h>
#include <wchar.h>

#include "base/ByteReader.h"
#include "base/Lzma.h"
#include "base/PathText.h"
#include "base/ScopedHandle.h"

namespace {

const DWORD kLargestTexts = 1u << 20;
enum { kTagCapacity = 16, kMostLanguages = 64 };

// One language's texts in the decoded block: UTF-16, each ending in a NUL.
struct Language {
  char tag[kTagCapacity];
  const wchar_t* texts;
  DWORD length;  // characters, NULs included
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

// The languages in the decoded block (on a heap block's alignment); false when it is not as the
// build writes it.
bool ReadBlock(const BYTE* bytes, DWORD size) {
  ByteReader block(bytes, size);
  WORD version = 0, languages = 0, texts = 0, components = 0;
  if (!block.Expect(setup_format::kTextsMagic, 4) || !block.Word(&version) || version != setup_format::kTextsVersion ||
      !block.Word(&languages) || !block.Word(&texts) || !block.Word(&components) || languages < 1 ||
      languages > kMostLanguages || texts != kTextCount || components > kMostComponentTexts) {
    return false;
  }
  table.languageCount = languages;
  table.textCount = texts;
  table.componentCount = components;
  DWORD lengths[kMostLanguages];
  for (int i = 0; i < table.languageCount; ++i) {
    Language& language = table.languages[i];
    const BYTE* tag = block.Bytes(setup_format::kTagBytes);
    if (!tag || !block.Dword(&lengths[i])) return false;
    memcpy(language.tag, tag, setup_format::kTagBytes);
    language.tag[setup_format::kTagBytes] = '\0';
  }
  for (int i = 0; i < table.languageCount; ++i) {
    Language& language = table.languages[i];
    const BYTE* stored = lengths[i] >= 2 && lengths[i] % 2 == 0 ? block.Bytes(lengths[i]) : nullptr;
    if (language.tag[0] == '\0' || !stored) return false;
    language.texts = reinterpret_cast<const wchar_t*>(stored);
    language.length = lengths[i] / 2;
    if (language.texts[language.length - 1] != L'\0') return false;
  }
  return block.left() == 0;
}

// Points at each of the language's texts: its texts, then a caption and a status text per
// component. False when they are not all there.
bool Split(const Language& language, const wchar_t** texts, const wchar_t* (*components)[2]) {
  const wchar_t* at = language.texts;
  const wchar_t* end = language.texts + language.length;
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

// Chinese in its traditional script: Taiwan's, Hong Kong's, Macao's, or so named.
bool IsTraditionalChinese(const wchar_t* tag) {
  return HasPrefixIgnoringCase(tag, L"zh-TW") || HasPrefixIgnoringCase(tag, L"zh-HK") ||
         HasPrefixIgnoringCase(tag, L"zh-MO") || HasPrefixIgnoringCase(tag, L"zh-Hant");
}

// The built-in language for a tag such as "de", "de-AT" or "pt-BR": the same tag, else the same
// language in another region; Norwegian and Nynorsk read Bokmal. Chinese in one script never
// stands for the other. -1: none.
int FindLanguage(const wchar_t* tag) {
  size_t length = BoundedLength(tag, kTagCapacity), primary = wcscspn(tag, L"-_");
  if (length == 0 || length >= kTagCapacity) return -1;
  for (int i = 0; i < table.languageCount; ++i) {
    if (strlen(table.languages[i].tag) == length && SameLetters(table.languages[i].tag, tag, length)) return i;
  }
  const wchar_t* language = tag;
  if (primary == 2 && (SameLetters("no", tag, 2) || SameLetters("nn", tag, 2))) language = L"nb";
  bool traditional = IsTraditionalChinese(tag);
  for (int i = 0; i < table.languageCount; ++i) {
    const char* builtIn = table.languages[i].tag;
    wchar_t wide[kTagCapacity];
    MultiByteToWideChar(CP_UTF8, 0, builtIn, -1, wide, kTagCapacity);
    if (strcspn(builtIn, "-") == primary && SameLetters(builtIn, language, primary) &&
        IsTraditionalChinese(wide) == traditional) {
      return i;
    }
  }
  return -1;
}

// The first of the user's display languages that the setup has; English (0) when none.
int UsersLanguage() {
  wchar_t names[1024];
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
  if (!Split(table.languages[0], table.english, nullptr) ||
      !Split(table.languages[chosen], table.chosen, table.components)) {
    for (const wchar_t*& text : table.chosen) text = nullptr;
    for (const wchar_t*& text : table.english) text = nullptr;
    return kTextsDamaged;
  }
  wchar_t wideTag[kTagCapacity];
  MultiByteToWideChar(CP_UTF8, 0, table.languages[chosen].tag, -1, wideTag, kTagCapacity);
  table.language = LANGIDFROMLCID(LocaleNameToLCID(wideTag, 0));
  return loaded;
}

// kTextCount, which names no text, reads as an empty one.
const wchar_t* Text(TextId id) { return id >= 0 && id < kTextCount && table.chosen[id] ? table.chosen[id] : L""; }

const wchar_t* EnglishText(TextId id) { return id >= 0 && id < kTextCount && table.english[id] ? table.english[id] : L""; }

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
