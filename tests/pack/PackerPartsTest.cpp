// The packer's checks of what only this project writes: the names the setup can give back, and the
// built-in languages' files, which a maker never sees.
#include <gtest/gtest.h>

#include "pack/ComponentCheck.h"
#include "pack/LanguageTexts.h"
#include "support/SetupDriver.h"

namespace {

// Every installed name the rule can give back comes with the stored name that gives it; the others
// with the nearest one it can.
TEST(StoredNames, GiveBackTheInstalledNameOrTheNearestOne) {
  const struct {
    const char *installed, *stored, *nearest;
  } cases[] = {
      {"MienFold.8bf", "MIEN__FOLD.8BF", nullptr},
      {"Quill Sketch.8bf", "QUILL_SKETCH.8BF", nullptr},
      {"O'brien.8bf", "O'BRIEN.8BF", nullptr},
      {"X8y", "X8Y", nullptr},
      {"plug-in 2go.8bf", nullptr, nullptr},  // a small first letter: ':' keeps it small
      {"ACME Blur.8BF", nullptr, nullptr},
      {"PresetsSketchesbin", "PRESETS__SKETCHESBIN", nullptr},
      {"Tide_Blur.8bf", nullptr, nullptr},  // ':' keeps the blank's step from seeing the '_'
      {"Tidé Blur.8bf", nullptr, "Tid Blur.8bf"},
      {"Crème.8bf", nullptr, "Crme.8bf"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.installed);
    std::string stored, nearest;
    bool given = StoredNameFor(c.installed, &stored, &nearest);
    EXPECT_EQ(c.nearest == nullptr, given);
    if (c.stored) {
      EXPECT_EQ(c.stored, stored);
    }
    if (c.nearest) {
      EXPECT_EQ(c.nearest, nearest);
    }
  }
}

std::vector<LanguageFile> BuiltInLanguages() {
  std::vector<LanguageFile> files;
  std::string folder = "Z:" SETUP_SOURCE_DIR "/resources/languages/";
  for (char& c : folder) c = c == '/' ? '\\' : c;
  for (const std::string& name : ListFolder(folder)) {
    if (name == "terms.txt") continue;
    Bytes text = ReadWholeFile(folder + name);
    files.push_back({name, std::string(text.begin(), text.end())});
  }
  return files;
}

std::string Terms() {
  Bytes text = ReadWholeFile("Z:" SETUP_SOURCE_DIR "/resources/languages/terms.txt");
  return std::string(text.begin(), text.end());
}

// Each rule of the languages' files refused with the file and line; the files as they are taken.
TEST(BuiltInLanguages, AFileTheSetupWouldShowWrongIsRefusedWithItsLine) {
  const std::vector<LanguageFile> files = BuiltInLanguages();
  ASSERT_GE(files.size(), 21u);
  auto change = [&](const char* file, const char* from, const char* to) {
    std::vector<LanguageFile> changed = files;
    for (LanguageFile& language : changed) {
      size_t at = language.name == file ? language.text.find(from) : std::string::npos;
      if (at != std::string::npos) language.text.replace(at, strlen(from), to);
    }
    return changed;
  };
  const struct {
    std::vector<LanguageFile> files;
    const char* said;  // nullptr: taken
  } cases[] = {
      {files, nullptr},
      {change("de.txt", "Prompt = ", "Promt = "), "de.txt:9: Promt where Prompt belongs"},
      {change("fr.txt", "de nouveau sur {2}", "de nouveau"), "fr.txt:47: RetryAfterClosing has the placeholders"},
      {change("fr.txt", "\xc2\xa0:", " :"), "fr.txt:9: Prompt: French puts a non-breaking space before ':'"},
      {change("zh-CN.txt", "\xef\xbc\x9a", ":"), "zh-CN.txt:9: Prompt: ':' where zh-CN writes full-width punctuation"},
      {change("de.txt", "Plug-in", "Plugin"), "says 'Plugin' where the file says 'Plug-in'"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.said ? c.said : "as they are");
    TextsRequest request;
    request.languages = c.files;
    request.languagesOrigin = "stub";
    request.terms = Terms();
    request.maker = "Velmoran";
    request.product = "Velmoran Plugins";
    Refusals refusals;
    std::vector<uint8_t> block;
    std::vector<std::string> tags;
    EXPECT_EQ(c.said == nullptr, BuildTextsBlock(request, &block, &tags, &refusals));
    std::string said;
    for (size_t i = 0; i < refusals.count(); ++i) said += refusals.Line(i) + "\n";
    if (c.said) {
      EXPECT_NE(std::string::npos, said.find(c.said)) << said;
    }
  }
}

}  // namespace
