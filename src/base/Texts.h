#pragma once
// The texts a user meets, in the user's own language: the first of the user's Windows display
// languages that the setup has texts for, or the one /LANG= names, else English. They travel
// compressed in the setup (resources/languages, joined by the packer). The log stays
// English, for administrators and support: it takes EnglishText.
#include <windows.h>

#include "base/TextId.h"
#include "format/SetupFormat.h"

enum {
  kTextsResourceType = setup_format::kBlockType,
  kTextsResourceId = setup_format::kTextsBlock,
  kMostComponentTexts = setup_format::kMostComponents
};

enum TextsLoaded {
  kTextsReady,
  kTextsUnknownTag,  // the tag names no built-in language: the user's own language is chosen
  kTextsDamaged,     // the setup's texts cannot be read: every text is empty
};

// Reads the module's texts and chooses their language: the one tag names (empty: none), else the
// user's.
TextsLoaded LoadTexts(HMODULE module, const wchar_t* tag);

// In the chosen language; empty before LoadTexts, or when the texts could not be read.
const wchar_t* Text(TextId id);
const wchar_t* EnglishText(TextId id);
// A component's caption (field 0) or status text (field 1) in the chosen language, as the maker gave
// it for that language; null where the maker gave none.
const wchar_t* ComponentText(int component, int field);
// The chosen language, for the fonts of its script.
LANGID TextLanguage();

// pattern with {1} and {2} filled in, into out (capacity characters); a longer text is cut, between
// characters: it is only shown or logged.
void FormatText(wchar_t* out, size_t capacity, const wchar_t* pattern, const wchar_t* first = L"",
                const wchar_t* second = L"");

// Whether the tag names a built-in language (after LoadTexts).
bool IsBuiltInLanguage(const wchar_t* tag);
