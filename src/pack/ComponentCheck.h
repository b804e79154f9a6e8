#pragma once
// A setup's components and the names its files install under. A cleared toggle leaves out every file
// whose installed name holds the component's keyword, letter case aside, so what the setup would get
// wrong is refused here: keywords one inside another, a file that does not hold its own keyword or
// holds another's, names that are no plain file name. (Whether a stored name gives the name back is
// StoredNameFor's question, asked where the item is stored.)
#include <string>
#include <vector>

#include "pack/Refusals.h"

struct ComponentEntry {
  std::string keyword, caption, status;  // UTF-8
  Place where;
};

struct PayloadEntry {
  std::string installedName;  // "Quill Sketch.8bf"
  std::string component;      // its component's keyword; "" outside every component
  Place where;
};

void CheckComponents(const std::vector<ComponentEntry>& components, const std::vector<PayloadEntry>& payload,
                     Refusals* refusals);

// The stored name (ASCII, upper case, shorter than setup_format::kStoredNameLimit) from which the
// setup's rule (src/format/InstallNameRule.h) gives back exactly `installed`. False when there is
// none, with *nearest the nearest name the rule gives back: without the characters it cannot give,
// shortened before its extension if too long.
bool StoredNameFor(const std::string& installed, std::string* stored, std::string* nearest);
