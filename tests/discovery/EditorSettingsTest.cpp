// The filter hosts' settings files, which any program of the user can write: the folders they list, and files out
// of bounds or damaged, which are passed over whole.
#include <gtest/gtest.h>

#include "discovery/EditorSettings.h"
#include "discovery/FolderTable.h"
#include "support/TestSupport.h"

TEST(EditorSettings, OfferTheListedFoldersAndPassOverAnyFileOutOfBounds) {
  TempFolder folder;
  const std::string b = folder.path(), a = b + "A", u = b + "\xc3\x9c";  // U with umlaut, outside ASCII
  for (const char* f : {"A", "B", "R&D", "\xc3\x9c"}) folder.Make(f);
  auto gimp = [](const std::vector<std::string>& folders) {  // quoted as GIMP writes: backslashes doubled
    std::string line = "(pspi-path \"";
    for (const std::string& f : folders) {
      for (char c : f) line += c == '\\' ? "\\\\" : std::string(1, c);
      line += f == folders.back() ? "" : ";";
    }
    return "# GIMP gimprc\n(plug-in-path \"${gimp_dir}\")\n  " + line + "\")\n";
  };
  const std::string host = "<?xml version=\"1.0\" encoding=\"utf-8\"?><PSFilterPdnSettings xmlns=\"http://schemas."
                           "datacontract.org/2004/07/PSFilterPdn\"><SearchDirectories xmlns:a=\"http://schemas.microsoft."
                           "com/2003/10/Serialization/Arrays\"><a:string>" + a + "</a:string><a:string>" + b +
                           "R&amp;D</a:string></SearchDirectories>";
  const struct { bool isGimp; std::string text; std::vector<std::string> rows; bool subfolder; } cases[] = {
      {true, gimp({a, u, b + "missing"}), {a + "\\", u + "\\"}, false},
      {true, gimp({a}).substr(0, 60), {}, false},                                // the quote never closes
      {true, std::string(kSettingsLineLimit + 1, '#') + "\n" + gimp({a}), {}, false},  // a line over the bound
      {true, gimp(std::vector<std::string>(kSettingsFolderLimit + 1, a)), {}, false},  // too many folders
      {true, "\xc3(" + gimp({a}), {}, false},                                      // no UTF-8
      {false, host + "</PSFilterPdnSettings>", {a + "\\", b + "R&D\\"}, true},
      {false, host + "<SearchSubdirectories>false</SearchSubdirectories></PSFilterPdnSettings>", {a + "\\", b + "R&D\\"}, false},
      {false, "<settings><searchDirs>" + a + "," + b + "B</searchDirs></settings>", {a + "\\", b + "B\\"}, true},
      {false, host + std::string(kSettingsFileLimit, ' ') + "</PSFilterPdnSettings>", {}, true},  // over the size
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(&c - cases);
    ClearFolderTable();
    ASSERT_TRUE(WriteWholeFile(b + "settings", Bytes(c.text.begin(), c.text.end())));
    (c.isGimp ? ScanGimpSettings : ScanFilterHostSettings)(Wide(b + "settings").c_str());
    EXPECT_EQ(c.rows, FolderRows());
    for (size_t row = 0; row < c.rows.size(); ++row) EXPECT_EQ(c.subfolder, FolderTable[row].addMakerSubfolder != 0);
  }
}
