// The candidate table against real folders: normalisation, the maker-folder cut, duplicates, capacity and bounds.
#include <gtest/gtest.h>

#include "discovery/FolderTable.h"
#include "support/TestSupport.h"

TEST(FolderTable, KeepsTheFirstTwentyNewFoldersNormalisedInOrderFoundAndStaysInBounds) {
  ClearFolderTable();
  TempFolder folder;
  const std::string& b = folder.path();
  auto add = [](const std::string& utf8) {  // in a full buffer
    std::wstring text = Wide(utf8);
    text.resize(kPathCapacity - 1);
    AddFolderCandidate(&text[0]);
  };
  for (const char* f : {"program files\\adobe\\plug-ins\\velmoran\\filters", "tools\\xvelm\\velmoran",
                        "editor\\plug-ins", "igrafx\\plugins"}) folder.Make(f);
  for (const std::string& text : {b + "program files\\adobe\\plug-ins\\velmoran\\filters\\",  // ours: the one above
                                  b + "PROGRAM FILES\\ADOBE\\PLUG-INS",  // the same in other letters
                                  b + "tools\\xvelm\\velmoran\\",        // "velm" not behind a backslash
                                  b + "editor\\plug-ins\\*.8bf",         // a file pattern names its folder
                                  b + "nowhere\\at all",                 // only its last name is trimmed
                                  b + "IGRAFX\\Plugins",
                                  std::string("C:..\\..")}) {  // relative to the current folder
    add(text);
  }
  std::vector<std::string> expected = {b + "Program Files\\Adobe\\Plug-Ins\\", b + "Tools\\Xvelm\\Velmoran\\",
                                       b + "Editor\\Plug-Ins\\", b + "Igrafx\\Plugins\\"};
  for (int i = 0; i < kFolderRows; ++i) {  // 16 more fit
    add(folder.Make("d" + std::to_string(100 + i)));
    if (expected.size() < kFolderRows) expected.push_back(b + "D" + std::to_string(100 + i) + "\\");
  }
  EXPECT_EQ(expected, FolderRows());
  for (int row = 0; row < kFolderRows; ++row) EXPECT_EQ(row != 3, FolderTable[row].addMakerSubfolder != 0) << row;

  ClearFolderTable();
  struct { wchar_t text[kPathCapacity], guard[16]; } unterminated;
  std::fill(unterminated.text, unterminated.guard + 16, L'a');
  Wide(b).copy(unterminated.text, b.size());
  AddFolderCandidate(unterminated.text);
  EXPECT_TRUE(FolderRows().empty());
  for (wchar_t c : unterminated.guard) ASSERT_EQ(L'a', c);
}
