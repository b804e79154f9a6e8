#include "pack/LanguageTexts.h"

#include <string.h>

#include <algorithm>

#include "format/SetupFormat.h"
#include "format/TextNames.h"
#include "pack/LittleEndian.h"

namespace {

#define SETUP_TEXT_NAME(name) #name,
const char* const kTextNames[] = {SETUP_TEXTS(SETUP_TEXT_NAME)};
#undef SETUP_TEXT_NAME
const size_t kTextCount = sizeof(kTextNames) / sizeof(kTextNames[0]);
const size_t kKeyCount = 2 + kTextCount;  // Language and Tag come first

// Related languages side by side: the block is compressed, and what one says helps the next.
const char* const kKindred[] = {"en", "de", "nl", "da", "nb", "sv", "fi", "fr",    "it",    "es", "pt-BR",
                                "pl", "cs", "hu", "tr", "ru", "uk", "ja", "zh-CN", "zh-TW", "ko"};
const size_t kKindredCount = sizeof(kKindred) / sizeof(kKindred[0]);

const char* const kPlaceholders[] = {"{1}", "{2}", "{maker}", "{product}", "{languages}"};
enum { kMarkCount = 5, kMarkMaker = 2, kMarkProduct = 3, kMarkLanguages = 4 };

const size_t kLargestFile = 1 << 20;    // a language file is some kilobytes
const size_t kLargestName = 4096;       // {maker} and {product}
const size_t kLargestBlock = 16 << 20;  // some hundred kilobytes in truth

typedef std::u32string Text;

const char* KeyName(size_t index) { return index == 0 ? "Language" : index == 1 ? "Tag" : kTextNames[index - 2]; }

// The blanks a line and a text lose at their ends: every Unicode space, the no-break ones too (\s
// keeps a blank).
bool IsSpace(char32_t c) {
  return (c >= 0x09 && c <= 0x0D) || (c >= 0x1C && c <= 0x20) || c == 0x85 || c == 0xA0 || c == 0x1680 ||
         (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000;
}

Text Strip(const Text& text, bool left = true, bool right = true) {
  size_t begin = 0, end = text.size();
  while (left && begin < end && IsSpace(text[begin])) ++begin;
  while (right && end > begin && IsSpace(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

Text Widen(const char* ascii) { return Text(ascii, ascii + strlen(ascii)); }

std::string Quoted(char32_t c) { return "'" + EncodeUtf8(Text(1, c)) + "'"; }

// Letter case aside for the scripts the built-in languages write with capitals; a fixed table, so
// the same on every host.
char32_t Fold(char32_t c) {
  if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7) || (c >= 0x391 && c <= 0x3AB && c != 0x3A2) ||
      (c >= 0x410 && c <= 0x42F))
    return c + 0x20;
  if (c >= 0x400 && c <= 0x40F) return c + 0x50;
  if (c == 0x130 || c == 0x131) return 'i';
  if (c == 0x178) return 0xFF;
  if (c == 0x4C0) return 0x4CF;
  if (c == 0x17F) return 's';
  bool evenPairs = (c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177) || (c >= 0x460 && c <= 0x481) ||
                   (c >= 0x48A && c <= 0x4BF) || (c >= 0x4D0 && c <= 0x52F);
  bool oddPairs = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E) || (c >= 0x4C1 && c <= 0x4CE);
  if ((evenPairs && c % 2 == 0) || (oddPairs && c % 2 == 1)) return c + 1;
  return c;
}

// A letter, digit or "_": what a variant must not follow to start a word. Outside ASCII only the
// punctuation and blanks that meet the built-in languages' words are told apart.
bool IsWordChar(char32_t c) {
  if (c < 0x80) return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
  if (IsSpace(c)) return false;
  if (c < 0xC0)
    return c == 0xAA || c == 0xB2 || c == 0xB3 || c == 0xB5 || c == 0xB9 || c == 0xBA || (c >= 0xBC && c <= 0xBE);
  if (c == 0xD7 || c == 0xF7 || (c >= 0x2010 && c <= 0x206F) || (c >= 0xFE30 && c <= 0xFE6F)) return false;
  if (c >= 0x3000 && c <= 0x303F)
    return (c >= 0x3005 && c <= 0x3007) || (c >= 0x3021 && c <= 0x3029) || (c >= 0x3031 && c <= 0x3035) ||
           (c >= 0x3038 && c <= 0x303C);
  if (c >= 0xFF00 && c <= 0xFF65)
    return (c >= 0xFF10 && c <= 0xFF19) || (c >= 0xFF21 && c <= 0xFF3A) || (c >= 0xFF41 && c <= 0xFF5A);
  return true;
}

// The placeholder that starts at `at`, or -1; *length: its characters.
int PlaceholderAt(const Text& text, size_t at, size_t* length) {
  for (int mark = 0; mark < kMarkCount; ++mark) {
    size_t n = strlen(kPlaceholders[mark]);
    if (text.compare(at, n, Widen(kPlaceholders[mark])) == 0) {
      *length = n;
      return mark;
    }
  }
  return -1;
}

unsigned Marks(const Text& text) {
  unsigned marks = 0;
  size_t length = 0;
  for (size_t at = 0; at < text.size(); ++at) {
    int mark = PlaceholderAt(text, at, &length);
    if (mark >= 0) marks |= 1u << mark, at += length - 1;
  }
  return marks;
}

std::string MarkList(unsigned marks) {
  std::string list;
  for (int mark = 0; mark < kMarkCount; ++mark)
    if (marks & (1u << mark)) list += (list.empty() ? "" : ", ") + std::string(kPlaceholders[mark]);
  return list.empty() ? "none" : list;
}

// The placeholders filled in from `values`; {1} and {2} only if `all` (the setup fills them). Stops
// once longer than a file can be, so that a flood of placeholders cannot run away.
Text Fill(const Text& text, const Text* values, bool all) {
  Text out;
  size_t length = 0;
  for (size_t at = 0; at < text.size() && out.size() <= kLargestFile; ++at) {
    int mark = PlaceholderAt(text, at, &length);
    if (mark >= 0 && (all || mark >= kMarkMaker)) {
      out += values[mark];
      at += length - 1;
    } else {
      out += text[at];
    }
  }
  return out;
}

// The text without its command-line switches (/S, /D=, /LANG=, /?), which every language says alike.
Text WithoutSwitches(const Text& text) {
  Text out;
  for (size_t at = 0; at < text.size(); ++at) {
    if (text[at] == '/' && at + 1 < text.size() && text[at + 1] == '?') {
      ++at;
    } else if (text[at] == '/' && at + 1 < text.size() && text[at + 1] >= 'A' && text[at + 1] <= 'Z') {
      while (at + 1 < text.size() && text[at + 1] >= 'A' && text[at + 1] <= 'Z') ++at;
      if (at + 1 < text.size() && text[at + 1] == '=') ++at;
    } else {
      out += text[at];
    }
  }
  return out;
}

// What the language's typography rules see wrong in the text, or "".
std::string TypographyFault(const std::string& tag, bool status, const Text& text) {
  Text trimmed = Strip(text, false, true);
  if (status && !trimmed.empty() && trimmed.back() == '.') return "ends in a full stop, which a status text never has";
  auto noBreak = [](char32_t c) { return c == 0xA0 || c == 0x202F; };
  if (tag == "fr") {
    for (size_t at = 0; at < text.size(); ++at) {
      char32_t c = text[at];
      if ((c == ':' || c == ';' || c == '?' || c == '!' || c == 0xBB) && at > 0 && !noBreak(text[at - 1]) &&
          text[at - 1] != '/' && text[at - 1] != '\\')
        return "French puts a non-breaking space before " + Quoted(c);
      if (c == 0xAB && at + 1 < text.size() && !noBreak(text[at + 1]))
        return "French puts a non-breaking space after '\xC2\xAB'";
    }
  }
  if (tag.compare(0, 2, "zh") == 0 || tag == "ja") {
    Text none[kMarkCount];
    Text bare = WithoutSwitches(Fill(text, none, true));
    for (char32_t c : bare) {
      if (c == ':' || c == ';' || c == ',' || c == '?' || c == '!' || c == '(' || c == ')')
        return Quoted(c) + " where " + tag + " writes full-width punctuation";
    }
  }
  return "";
}

std::string InOrigin(const std::string& origin, const std::string& file) {
  return origin.empty() ? file : origin + ":" + file;
}

struct Line {
  int number;
  Text text;
};

// The lines that say something: not blank, no "#" comment.
bool ReadLines(const std::string& bytes, const Place& file, std::vector<Line>* lines, Refusals* refusals) {
  Text text;
  int badLine = 0;
  if (bytes.size() > kLargestFile) {
    refusals->Add(file, "is larger than a language file can be (1 MB)");
    return false;
  }
  if (!DecodeUtf8(bytes, &text, &badLine)) {
    refusals->Add(Place{file.file, badLine, ""}, "not UTF-8");
    return false;
  }
  if (!text.empty() && text[0] == 0xFEFF) text.erase(0, 1);
  int number = 1;
  for (size_t begin = 0; begin <= text.size(); ++number) {
    size_t end = text.find('\n', begin);
    if (end == Text::npos) end = text.size();
    Text line = text.substr(begin, end - begin);
    while (!line.empty() && line.back() == '\r') line.pop_back();
    Text bare = Strip(line);
    if (!bare.empty() && bare[0] != '#') lines->push_back(Line{number, line});
    begin = end + 1;
  }
  return true;
}

struct Entry {
  Text text;
  unsigned marks;
  Place where;
};

struct Language {
  std::string file, tag;
  std::vector<Entry> entries;  // Language, Tag, then the texts
};

// A language file's keys, in order and every one, and its texts unescaped.
bool ReadLanguage(const LanguageFile& file, const std::string& origin, Language* language, Refusals* refusals) {
  Place place{InOrigin(origin, file.name), 0, ""};
  std::vector<Line> lines;
  if (!ReadLines(file.text, place, &lines, refusals)) return false;
  language->file = file.name;
  for (const Line& line : lines) {
    Place where{place.file, line.number, ""};
    size_t equals = line.text.find('=');
    if (equals == Text::npos) {
      refusals->Add(where, "not Key = text");
      return false;
    }
    std::string key = EncodeUtf8(Strip(line.text.substr(0, equals)));
    size_t index = language->entries.size();
    if (index >= kKeyCount || key != KeyName(index)) {
      refusals->Add(where, (key.empty() ? "no key" : key) + " where " +
                               (index < kKeyCount ? KeyName(index) : "nothing") + " belongs");
      return false;
    }
    where.key = key;
    Text value = Strip(line.text.substr(equals + 1)), text;
    for (size_t at = 0; at < value.size(); ++at) {
      char32_t next = at + 1 < value.size() ? value[at + 1] : 0;
      if (value[at] != '\\') {
        text += value[at];
      } else if (next == 'n' || next == 't' || next == 's' || next == '\\') {
        text += next == 'n' ? '\n' : next == 't' ? '\t' : next == 's' ? ' ' : '\\';
        ++at;
      } else {
        refusals->Add(where, "an unknown escape '\\" + EncodeUtf8(value.substr(at + 1, 1)) + "'");
        return false;
      }
    }
    if (text.find(char32_t(0)) != Text::npos) {
      refusals->Add(where, "holds a NUL character");
      return false;
    }
    language->entries.push_back(Entry{text, Marks(text), where});
  }
  if (language->entries.size() < kKeyCount) {
    refusals->Add(place, std::string(KeyName(language->entries.size())) + " is missing");
    return false;
  }
  language->tag = EncodeUtf8(language->entries[1].text);
  return true;
}

struct Term {
  std::string tag;
  Text variant, word;
};

bool IsTagHeader(const Text& line, std::string* tag) {
  Text bare = Strip(line);
  if (bare.size() < 3 || bare.front() != '[' || bare.back() != ']') return false;
  for (size_t at = 1; at + 1 < bare.size(); ++at) {
    char32_t c = bare[at];
    if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '-')) return false;
  }
  *tag = EncodeUtf8(bare.substr(1, bare.size() - 2));
  return true;
}

// terms.txt: under [tag], "word = variant, variant...": the language's file says the word, no variant.
bool ReadTerms(const std::string& bytes, const std::string& origin, std::vector<Term>* terms, Refusals* refusals) {
  Place place{InOrigin(origin, "terms.txt"), 0, ""};
  std::vector<Line> lines;
  if (!ReadLines(bytes, place, &lines, refusals)) return false;
  std::string tag;
  for (const Line& line : lines) {
    if (IsTagHeader(line.text, &tag)) continue;
    size_t equals = line.text.find('=');
    Text word = equals == Text::npos ? Text() : Strip(line.text.substr(0, equals));
    Text variants = equals == Text::npos ? Text() : line.text.substr(equals + 1);
    if (tag.empty() || word.empty() || Strip(variants).empty()) {
      refusals->Add(Place{place.file, line.number, ""}, "not word = variant, variant... under a [tag] line");
      return false;
    }
    for (size_t begin = 0; begin <= variants.size();) {
      size_t end = std::min(variants.find(',', begin), variants.size());
      Text variant = Strip(variants.substr(begin, end - begin));
      if (!variant.empty()) terms->push_back(Term{tag, variant, word});
      begin = end + 1;
    }
  }
  return true;
}

// Whether the text says the variant, letter case aside; where words are spaced, only at a word's start.
bool Says(const Text& text, const Text& variant) {
  bool anywhere = variant[0] >= 0x3000;  // Chinese, Japanese and Korean words meet without spaces
  for (size_t at = 0; at + variant.size() <= text.size(); ++at) {
    if (!anywhere && at > 0 && IsWordChar(text[at - 1])) continue;
    size_t n = 0;
    while (n < variant.size() && Fold(text[at + n]) == Fold(variant[n])) ++n;
    if (n == variant.size()) return true;
  }
  return false;
}

bool ValidTag(const std::string& tag) {
  auto lower = [&](size_t at) { return tag[at] >= 'a' && tag[at] <= 'z'; };
  auto upper = [&](size_t at) { return tag[at] >= 'A' && tag[at] <= 'Z'; };
  return (tag.size() == 2 || (tag.size() == 5 && tag[2] == '-' && upper(3) && upper(4))) && lower(0) && lower(1);
}

std::string AsciiLower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

// English first, then by file name: the order of {languages} and of the messages.
bool ReadAll(const std::vector<LanguageFile>& files, const std::string& origin, std::vector<Language>* languages,
             Refusals* refusals) {
  std::vector<const LanguageFile*> order;
  for (const LanguageFile& file : files) {
    std::string name = AsciiLower(file.name);
    if (name != "terms.txt") order.push_back(&file);
  }
  std::stable_sort(order.begin(), order.end(), [](const LanguageFile* a, const LanguageFile* b) {
    std::string first = AsciiLower(a->name), second = AsciiLower(b->name);
    return (first == "en.txt") != (second == "en.txt") ? first == "en.txt" : first < second;
  });
  if (order.empty() || AsciiLower(order[0]->name) != "en.txt") {
    refusals->Add(Place{origin, 0, "en.txt"}, "the default language, is missing");
    return false;
  }
  if (order.size() > 0xFFFF) {
    refusals->Add(Place{origin, 0, ""}, "holds more languages than a setup can carry");
    return false;
  }
  bool read = true;
  languages->resize(order.size());
  for (size_t i = 0; i < order.size(); ++i) read = ReadLanguage(*order[i], origin, &(*languages)[i], refusals) && read;
  return read;
}

size_t KindredIndex(const std::string& tag) {
  size_t index = 0;
  while (index < kKindredCount && tag != kKindred[index]) ++index;
  return index;
}

void AppendUtf16(const Text& text, std::vector<uint8_t>* out) {
  for (char32_t c : text) {
    if (c >= 0x10000) {
      Put16(out, 0xD800 + ((c - 0x10000) >> 10));
      Put16(out, 0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      Put16(out, c);
    }
  }
  Put16(out, 0);
}

// The maker's own text: UTF-8, no NUL; "" with *text set when fine.
std::string TextFault(const std::string& bytes, Text* text) {
  int badLine = 0;
  if (!DecodeUtf8(bytes, text, &badLine)) return "is not UTF-8";
  if (text->find(char32_t(0)) != Text::npos) return "holds a NUL character";
  return "";
}

// The components' texts: a built-in language each, once per component, within the limits and rules.
void CheckComponentTexts(const TextsRequest& request, const std::vector<Language>& languages, Refusals* refusals) {
  std::string builtIn;
  for (const Language& language : languages) builtIn += (builtIn.empty() ? "" : ", ") + language.tag;
  for (const ComponentLanguages& component : request.components) {
    for (size_t i = 0; i < component.texts.size(); ++i) {
      const ComponentTexts& texts = component.texts[i];
      const Place& where = texts.where;
      std::string name = "[" + texts.tag + "] " + component.keyword + "'s ";  // "[de] Quill's caption"
      bool known = false;
      for (const Language& language : languages) known = known || language.tag == texts.tag;
      if (!known) {
        refusals->Add(where, "[" + texts.tag + "] is no built-in language (" + builtIn + ")");
        continue;
      }
      bool twice = false;
      for (size_t j = 0; j < i; ++j) twice = twice || component.texts[j].tag == texts.tag;
      if (twice) refusals->Add(where, component.keyword + " is given twice for [" + texts.tag + "]");
      const std::string* fields[2] = {&texts.caption, &texts.status};
      const char* names[2] = {"caption", "status text"};
      const size_t limits[2] = {setup_format::kCaptionLimit, setup_format::kStatusLimit};
      for (int field = 0; field < 2; ++field) {
        Text text;
        std::string fault = TextFault(*fields[field], &text);
        if (fault.empty() && text.empty()) fault = "is empty; leave the language out to show the default one";
        if (fault.empty() && Utf16Units(text) > limits[field])
          fault = "has more than " + std::to_string(limits[field]) + " characters";
        std::string typography = fault.empty() ? TypographyFault(texts.tag, field == 1, text) : "";
        if (!fault.empty()) refusals->Add(where, name + names[field] + " " + fault);
        if (!typography.empty()) refusals->Add(where, name + names[field] + ": " + typography);
      }
    }
  }
}

}  // namespace

bool DecodeUtf8(const std::string& bytes, std::u32string* text, int* badLine) {
  text->clear();
  int line = 1;
  for (size_t at = 0; at < bytes.size();) {
    unsigned char lead = static_cast<unsigned char>(bytes[at]);
    size_t length = lead < 0x80                    ? 1
                    : lead >= 0xC2 && lead <= 0xDF ? 2
                    : lead >= 0xE0 && lead <= 0xEF ? 3
                    : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                   : 0;
    char32_t c = length == 1 ? lead : length == 2 ? lead & 0x1F : length == 3 ? lead & 0x0F : lead & 0x07;
    bool fine = length > 0 && length <= bytes.size() - at;
    for (size_t k = 1; fine && k < length; ++k) {
      unsigned char next = static_cast<unsigned char>(bytes[at + k]);
      fine = (next & 0xC0) == 0x80;
      c = (c << 6) | (next & 0x3F);
    }
    if (fine && length == 3) fine = c >= 0x800 && (c < 0xD800 || c > 0xDFFF);
    if (fine && length == 4) fine = c >= 0x10000 && c <= 0x10FFFF;
    if (!fine) {
      *badLine = line;
      return false;
    }
    if (c == '\n') ++line;
    text->push_back(c);
    at += length;
  }
  return true;
}

std::string EncodeUtf8(const std::u32string& text) {
  std::string out;
  for (char32_t c : text) {
    int trail = c < 0x80 ? 0 : c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;
    static const unsigned char kLead[4] = {0x00, 0xC0, 0xE0, 0xF0};
    out += static_cast<char>(kLead[trail] | (c >> (6 * trail)));
    for (int k = trail - 1; k >= 0; --k) out += static_cast<char>(0x80 | ((c >> (6 * k)) & 0x3F));
  }
  return out;
}

size_t Utf16Units(const std::u32string& text) {
  size_t units = 0;
  for (char32_t c : text) units += c >= 0x10000 ? 2 : 1;
  return units;
}

bool ReadBuiltInLanguages(const std::vector<LanguageFile>& files, const std::string& origin,
                          std::vector<BuiltInLanguage>* found, Refusals* refusals) {
  std::vector<Language> languages;
  found->clear();
  if (!ReadAll(files, origin, &languages, refusals)) return false;
  for (const Language& language : languages)
    found->push_back(BuiltInLanguage{language.tag, EncodeUtf8(language.entries[0].text)});
  return true;
}

bool BuildTextsBlock(const TextsRequest& request, std::vector<uint8_t>* block, std::vector<std::string>* tags,
                     Refusals* refusals) {
  block->clear();
  tags->clear();
  size_t before = refusals->count();
  std::vector<Language> languages;
  std::vector<Term> terms;
  bool read = ReadAll(request.languages, request.languagesOrigin, &languages, refusals);
  if (!ReadTerms(request.terms, request.languagesOrigin, &terms, refusals) || !read) return false;

  const std::vector<Entry>& english = languages[0].entries;
  size_t completed = 0;
  while (completed < kKeyCount && std::string(KeyName(completed)) != "Completed") ++completed;
  for (size_t i = 0; i < languages.size(); ++i) {
    const Language& language = languages[i];
    const Place& tagWhere = language.entries[1].where;
    if (!ValidTag(language.tag)) {
      refusals->Add(tagWhere, "the tag '" + language.tag + "' is not a language (and region)");
    } else if (i == 0 && language.tag != "en") {
      refusals->Add(tagWhere, "the default language's tag is en");
    }
    for (size_t j = 0; j < i; ++j)
      if (languages[j].tag == language.tag) refusals->Add(tagWhere, "the tag of " + languages[j].file + " too");
    for (size_t key = 0; key < kKeyCount; ++key) {
      const Entry& entry = language.entries[key];
      Place noKey{entry.where.file, entry.where.line, ""};  // the message names the key
      if (entry.marks != english[key].marks)
        refusals->Add(noKey, std::string(KeyName(key)) + " has the placeholders " + MarkList(entry.marks) +
                                 ", English " + MarkList(english[key].marks));
      std::string name = KeyName(key);
      bool status = name.size() >= 6 && name.compare(name.size() - 6, 6, "Status") == 0;
      std::string fault = TypographyFault(language.tag, status, entry.text);
      if (!fault.empty()) refusals->Add(entry.where, fault);
      if (key == completed && std::count(entry.text.begin(), entry.text.end(), '\n') != 3)
        refusals->Add(noKey, "Completed must be four lines");
      for (const Term& term : terms) {
        if (term.tag == language.tag && Says(entry.text, term.variant)) {
          refusals->Add(entry.where,
                        "says '" + EncodeUtf8(term.variant) + "' where the file says '" + EncodeUtf8(term.word) + "'");
          break;
        }
      }
    }
  }

  std::string builtIn, unknown;
  for (const Language& language : languages) builtIn += (builtIn.empty() ? "" : ", ") + language.tag;
  std::vector<const Language*> carried;
  for (const Language& language : languages) {
    bool named = request.allLanguages || language.tag == "en";
    for (const std::string& tag : request.carried) named = named || tag == language.tag;
    if (named) carried.push_back(&language);
  }
  if (!request.allLanguages) {
    for (const std::string& tag : request.carried) {
      bool known = false;
      for (const Language& language : languages) known = known || language.tag == tag;
      if (!known) unknown += (unknown.empty() ? "" : ", ") + tag;
    }
    if (!unknown.empty()) refusals->Add(request.carriedWhere, "no built-in language " + unknown + " (" + builtIn + ")");
  }
  CheckComponentTexts(request, languages, refusals);

  Text values[kMarkCount];
  std::string listed;
  for (const Language* language : carried) listed += (listed.empty() ? "" : ", ") + language->tag;
  const std::string* names[2] = {&request.maker, &request.product};
  for (int i = 0; i < 2; ++i) {
    std::string fault = TextFault(*names[i], &values[kMarkMaker + i]);
    if (fault.empty() && names[i]->size() > kLargestName) fault = "is too long";
    if (!fault.empty()) refusals->Add(Place{"", 0, kPlaceholders[kMarkMaker + i]}, fault);
  }
  TextFault(listed, &values[kMarkLanguages]);
  if (request.components.size() > 0xFFFF) refusals->Add(Place{}, "too many components");
  if (refusals->count() > before) return false;

  // Related languages side by side (the rest behind them as they came).
  std::stable_sort(carried.begin(), carried.end(),
                   [](const Language* a, const Language* b) { return KindredIndex(a->tag) < KindredIndex(b->tag); });
  std::vector<uint8_t> bodies;
  block->assign(setup_format::kTextsMagic, setup_format::kTextsMagic + 4);
  Put16(block, setup_format::kTextsVersion);
  Put16(block, static_cast<uint32_t>(carried.size()));
  Put16(block, static_cast<uint32_t>(kTextCount));
  Put16(block, static_cast<uint32_t>(request.components.size()));
  for (const Language* language : carried) {
    size_t start = bodies.size();
    for (size_t key = 2; key < kKeyCount; ++key) {
      Text text = Fill(language->entries[key].text, values, false);
      if (text.size() > kLargestFile || bodies.size() > kLargestBlock) {
        refusals->Add(language->entries[key].where, "too long once {maker}, {product} and {languages} are filled in");
        block->clear();
        tags->clear();
        return false;
      }
      AppendUtf16(text, &bodies);
    }
    for (const ComponentLanguages& component : request.components) {
      Text caption, status;
      for (const ComponentTexts& texts : component.texts) {
        if (texts.tag == language->tag) TextFault(texts.caption, &caption), TextFault(texts.status, &status);
      }
      AppendUtf16(caption, &bodies);
      AppendUtf16(status, &bodies);
    }
    uint32_t size = static_cast<uint32_t>(bodies.size() - start);
    std::string tag = language->tag;
    tag.resize(setup_format::kTagBytes, '\0');
    block->insert(block->end(), tag.begin(), tag.end());
    Put16(block, size & 0xFFFF);
    Put16(block, size >> 16);
    tags->push_back(language->tag);
  }
  block->insert(block->end(), bodies.begin(), bodies.end());
  return true;
}
