#pragma once
// The setup's texts in every language it carries: the built-in language files checked against each
// other and joined, with the components' texts, into the texts block (src/format/SetupFormat.h).
#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

#include "pack/Refusals.h"

// A built-in language file, "de.txt", and its UTF-8 bytes.
struct LanguageFile {
  std::string name;
  std::string text;
};

// One component's caption and status text in one language, as the maker describes them.
struct ComponentTexts {
  std::string tag, caption, status;
  Place where;
};

struct ComponentLanguages {
  std::string keyword;
  std::vector<ComponentTexts> texts;
};

struct TextsRequest {
  std::vector<LanguageFile> languages;  // en.txt among them
  std::string languagesOrigin;          // where the files come from ("stub"): refusals name origin:file
  std::string terms;                    // terms.txt's bytes, "" if none
  std::string maker, product;           // fill {maker} and {product}
  bool allLanguages = true;
  std::vector<std::string> carried;  // else the tags carried besides English
  Place carriedWhere;
  std::vector<ComponentLanguages> components;  // in the components' order, every one listed
};

// The block, uncompressed, and the tags of the languages in it in its order; false with refusals.
bool BuildTextsBlock(const TextsRequest& request, std::vector<uint8_t>* block, std::vector<std::string>* tags,
                     Refusals* refusals);

struct BuiltInLanguage {
  std::string tag, name;  // "de", "Deutsch"
};

// The built-in languages, English first, then by file name; false with refusals.
bool ReadBuiltInLanguages(const std::vector<LanguageFile>& languages, const std::string& origin,
                          std::vector<BuiltInLanguage>* found, Refusals* refusals);

// Strict UTF-8 (no overlong forms, no surrogates); on a fault *badLine is its line, from 1.
bool DecodeUtf8(const std::string& bytes, std::u32string* text, int* badLine);
std::string EncodeUtf8(const std::u32string& text);
size_t Utf16Units(const std::u32string& text);
