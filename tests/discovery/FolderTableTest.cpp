// The candidate table against real folders: normalisation, the maker-folder cut, duplicates,
// capacity and bounds.
#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "discovery/FolderTable.h"
#include "support/TestSupport.h"

namespace {

void Add(const std::string& text) {
  char buffer[kPathCapacity];
  lstrcpynA(buffer, text.c_str(), sizeof buffer);
  AddFolderCandidate(buffer);
}

TEST(FolderTable, NormalisesCutsAndDeduplicatesInOrderFound) {
  ClearFolderTable();
  TempFolder folder;
  const std::string& b = folder.path();
  folder.Make("program files\\adobe\\plug-ins\\velmoran\\filters");
  folder.Make("tools\\xvelm\\velmoran");
  folder.Make("editor\\plug-ins");
  folder.Make("igrafx\\plugins");
  for (const std::string& text :
       {b + "program files\\adobe\\plug-ins\\velmoran\\filters\\",  // our own folder: the one above it
        b + "PROGRAM FILES\\ADOBE\\PLUG-INS",                         // the same in other letters
        b + "tools\\xvelm\\velmoran\\",                               // "velm" not behind a backslash
        b + "editor\\plug-ins\\*.8bf",                                // a file pattern names its folder
        b + "nowhere\\at all", b + "IGRAFX\\Plugins"}) {
    Add(text);
  }
  std::vector<std::string> expected = {b + "Program Files\\Adobe\\Plug-Ins\\", b + "Tools\\Xvelm\\Velmoran\\",
                                       b + "Editor\\Plug-Ins\\", b + "Igrafx\\Plugins\\"};
  EXPECT_EQ(expected, FolderRows());
  for (int row = 0; row < 4; ++row) EXPECT_EQ(row < 3 ? 1 : 0, FolderTable[row].addMakerSubfolder) << row;
}

TEST(FolderTable, KeepsTheFirstTwentyAndNeverReadsPastAnUnterminatedText) {
  ClearFolderTable();
  TempFolder folder;
  std::vector<std::string> expected;
  for (int i = 0; i < kFolderRows + 3; ++i) {
    Add(folder.Make("d" + std::to_string(100 + i)));
    if (i < kFolderRows) expected.push_back(folder.path() + "D" + std::to_string(100 + i) + "\\");
  }
  EXPECT_EQ(expected, FolderRows());

  ClearFolderTable();
  struct {
    char text[kPathCapacity];
    char guard[16];
  } unterminated;
  memset(&unterminated, 'a', sizeof unterminated);
  memcpy(unterminated.text, folder.path().c_str(), folder.path().size());
  AddFolderCandidate(unterminated.text);
  EXPECT_TRUE(FolderRows().empty());
  for (char c : unterminated.guard) ASSERT_EQ('a', c);
}

}  // namespace
