#pragma once
// A maker's setup as one description file: TOML, UTF-8, with comments. Read, checked for what a
// TOML reader sees (unknown keys, types, missing values), and kept with the place of every value.
#include <string>
#include <vector>

#include "format/MakerValue.h"
#include "pack/Refusals.h"

struct DescribedText {
  std::string text;
  Place where;
};

struct DescribedLanguageTexts {
  std::string tag, caption, status;
  Place where;
};

struct DescribedFile {
  std::string path;           // as found: relative to the description's folder, or the base given
  std::string installedName;  // the name it gets in the plug-in folder
  std::string component;      // its component's keyword; empty: installed with any selection
  Place where;
};

struct DescribedComponent {
  DescribedText keyword, caption, status;
  std::vector<DescribedLanguageTexts> texts;
};

struct DescribedPreset {
  std::string kind, path;
  Place where;
};

struct DescribedPicture {
  std::string name;  // as the setup knows it: "background.bmp", "toggle-200.bmp", "hand.cur"...
  std::string path;
  Place where;
};

struct Description {
  std::string file;
  DescribedText maker[kMakerValueCount];
  DescribedText setupFileName, setupDescription, copyright;
  bool allLanguages = true;
  std::vector<std::string> languages;
  Place languagesWhere;
  std::vector<DescribedComponent> components;
  std::vector<DescribedFile> files;
  std::vector<DescribedPreset> presets;
  std::vector<DescribedPicture> pictures;  // the maker's own; the stub's stand in for the rest
  DescribedText signingKey, signingPasswordVariable, timestampUrl;
  DescribedText packageId, downloadUrl;
};

// Reads the description at path; its relative paths are taken from base (empty: its own folder).
// False with the refusals when it is not a description the packer can build from.
bool ReadDescription(const std::string& path, const std::string& base, Description* description, Refusals* refusals);

// The commented starting description that `setup-pack --new` writes.
extern const char kNewDescription[];
