#include "pack/ComponentCheck.h"

#include <algorithm>

#include "format/InstallNameRule.h"
#include "format/SetupFormat.h"
#include "pack/LanguageTexts.h"

namespace {

const size_t kLongestFileName = 255;  // UTF-16 units, as Windows counts them

std::string Lower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

// Letter case aside, ASCII, as the setup compares a name with a keyword.
bool Holds(const std::string& name, const std::string& keyword) {
  return Lower(name).find(Lower(keyword)) != std::string::npos;
}

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// The length in UTF-16 units; -1 when not UTF-8 or holding a NUL (the string tables end at one).
long Units(const std::string& text) {
  std::u32string decoded;
  int badLine = 0;
  if (!DecodeUtf8(text, &decoded, &badLine) || decoded.find(char32_t(0)) != std::u32string::npos) return -1;
  return static_cast<long>(Utf16Units(decoded));
}

// What makes the name no plain file name Windows takes, or "".
std::string PlainNameFault(const std::string& name) {
  long units = Units(name);
  if (units < 0) return "it is not UTF-8 or holds a NUL character";
  if (name.empty()) return "it is empty";
  if (units > static_cast<long>(kLongestFileName)) return "it is longer than 255 characters";
  if (name.back() == '.' || name.back() == ' ') return "it ends in a full stop or a blank";
  for (char c : name) {
    if (static_cast<unsigned char>(c) < 32 || std::string("\\/:*?\"<>|").find(c) != std::string::npos)
      return "it holds a character Windows does not take in a file name";
  }
  std::string device = name.substr(0, name.find('.'));
  while (!device.empty() && device.back() == ' ') device.pop_back();
  device = Lower(device);
  static const char* const kDevices[] = {"con", "prn", "aux", "nul", "conin$", "conout$"};
  bool reserved = (device.size() == 4 && (device.compare(0, 3, "com") == 0 || device.compare(0, 3, "lpt") == 0) &&
                   device[3] >= '1' && device[3] <= '9');
  for (const char* known : kDevices) reserved = reserved || device == known;
  return reserved ? "Windows keeps it for a device" : "";
}

// The name the setup installs a stored name under.
std::string Installed(const std::string& stored) {
  std::vector<char> name(stored.begin(), stored.end());
  name.push_back(0);
  return setup_format::ApplyInstallNameRule(name.data(), IsLetter, Upper);
}

// The stored name of printable ASCII text, character by character. `capital`: the rule makes the
// next stored character a capital (at the start, and after what is no letter, "'", "." or "8").
std::string Encode(const std::string& name) {
  std::string stored;
  bool capital = true;
  for (size_t i = 0; i < name.size(); ++i) {
    char c = name[i];
    bool last = i + 1 == name.size();
    if (c >= 'a' && c <= 'z') {
      stored += capital ? std::string(":") + Upper(c) : std::string(1, Upper(c));  // ":" keeps what follows
    } else if (c >= 'A' && c <= 'Z') {
      stored += capital ? std::string(1, c) : "__" + std::string(1, c);  // "__" makes the next a capital
    } else if (c == ' ') {
      // "_" is a blank, but two in a row make "__", and the last character is left as it is.
      stored += last || name[i + 1] == ' ' ? "___" : "_";
    } else if (c == '_' || c == ':') {
      stored += std::string(":") + c;  // kept as it is, not taken for a blank or taken out
    } else {
      stored += c;
    }
    capital = !(IsLetter(c) || c == '\'' || c == '.' || c == '8' || c == '_' || c == ':');
  }
  return stored;
}

}  // namespace

bool StoredNameFor(const std::string& installed, std::string* stored, std::string* nearest) {
  const size_t limit = setup_format::kStoredNameLimit - 1;
  std::string name;
  for (char c : installed) {
    if (c >= 0x20 && c <= 0x7E) name += c;
  }
  // Too long to store: shortened before its extension. Every character takes at least one stored
  // character, so no more than the limit of either part can be kept.
  size_t dot = name.rfind('.');
  if (dot == std::string::npos || dot == 0) dot = name.size();
  std::string stem = name.substr(0, std::min(dot, limit)), extension = name.substr(dot, limit);
  std::string encoded = Encode(stem + extension);
  while (encoded.size() > limit) {
    if (!stem.empty()) {
      stem.pop_back();
    } else {
      extension.pop_back();
    }
    encoded = Encode(stem + extension);
  }
  *nearest = Installed(encoded);  // checked against the setup's own rule, whatever the encoding did
  stored->clear();
  if (installed.empty() || *nearest != installed) return false;
  *stored = encoded;
  return true;
}

void CheckComponents(const std::vector<ComponentEntry>& components, const std::vector<PayloadEntry>& payload,
                     Refusals* refusals) {
  if (components.size() > static_cast<size_t>(setup_format::kMostComponents))
    refusals->Add(components[setup_format::kMostComponents].where,
                  "a setup offers at most " + std::to_string(setup_format::kMostComponents) + " components");
  for (const ComponentEntry& component : components) {
    long keyword = Units(component.keyword), caption = Units(component.caption), status = Units(component.status);
    if (keyword < 0 || caption < 0 || status < 0) {
      refusals->Add(component.where, "the keyword, caption and status text must be UTF-8 without NUL characters");
    } else if (keyword < 1 || keyword > setup_format::kKeywordLimit || caption > setup_format::kCaptionLimit ||
               status > setup_format::kStatusLimit) {
      const char* limits = "': a keyword has 1-39 characters, a caption up to 39, a status text up to 79";
      refusals->Add(component.where, "'" + component.keyword + limits);
    }
  }
  // One refusal a keyword that another lies inside (or that lies inside another, given later).
  for (size_t j = 0; j < components.size(); ++j) {
    for (size_t i = 0; i < components.size(); ++i) {
      const std::string &a = components[i].keyword, &b = components[j].keyword;
      if (i == j || a.empty() || !Holds(b, a) || (j < i && Lower(a) == Lower(b))) continue;
      std::string pair = "component keywords '" + a + "' and '" + b + "': one lies inside the other, ";
      refusals->Add(components[std::max(i, j)].where,
                    Lower(a) == Lower(b)
                        ? "component keyword '" + b + "' is given twice, letter case aside"
                        : pair + "letter case aside, so clearing '" + a + "' would leave out '" + b + "' too");
      break;
    }
  }
  for (const PayloadEntry& entry : payload) {
    const std::string& name = entry.installedName;
    std::string fault = PlainNameFault(name);
    if (!fault.empty()) refusals->Add(entry.where, "installs as '" + name + "', which is no plain file name: " + fault);
    std::vector<std::string> held, others;
    bool known = entry.component.empty();
    for (const ComponentEntry& component : components) {
      known = known || component.keyword == entry.component;
      if (component.keyword.empty() || !Holds(name, component.keyword)) continue;
      held.push_back(component.keyword);
      if (component.keyword != entry.component) others.push_back(component.keyword);
    }
    std::string installs = "installs as '" + name + "', which ";
    if (!known) {
      refusals->Add(entry.where, "names '" + entry.component + "', which is no component");
    } else if (!entry.component.empty()) {
      bool own = Holds(name, entry.component);
      if (!own)
        refusals->Add(entry.where, installs + "does not hold its component's keyword '" + entry.component + "'");
      if (!others.empty())
        refusals->Add(entry.where, installs + "holds the keyword '" + others[0] + "' of another component" +
                                       (own ? " as well as its own '" + entry.component + "'" : ""));
    } else if (held.size() > 1) {
      refusals->Add(entry.where, installs + "holds the keywords '" + held[0] + "' and '" + held[1] +
                                     "': clearing either would leave it out");
    }
  }
}
