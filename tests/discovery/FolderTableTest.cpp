// The candidate table against real folders: normalisation, the maker-folder cut, duplicates,
// capacity and bounds.
#include <gtest/gtest.h>

#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "discovery/FolderTable.h"
#include "support/TestSupport.h"

namespace {

class FolderTableTest : public ::testing::Test {
 protected:
  void SetUp() override { ClearFolderTable(); }
  void Add(const std::string& text) {
    char buffer[kPathCapacity];
    ASSERT_LT(text.size(), sizeof buffer);
    lstrcpyA(buffer, text.c_str());
    AddFolderCandidate(buffer);
  }
  std::string Make(const std::string& relative) const { return folder_.Make(relative); }
  TempFolder folder_;  // its path is already in normalised letter case
  const std::string base_ = folder_.path();
};

TEST_F(FolderTableTest, NormalisesCutsAndDeduplicatesInOrderFound) {
  Make("program files\\adobe\\photoshop\\plug-ins\\velmoran\\filters");
  Make("tools\\xvelm\\velmoran");
  Make("editor\\plug-ins");
  const std::string& b = base_;
  struct Step {
    std::string handedIn;
    std::vector<std::string> rowsAfter;  // relative to the base
  } steps[] = {
      {b + "program files\\adobe\\photoshop\\plug-ins\\velmoran\\filters\\",
       {"Program Files\\Adobe\\Photoshop\\Plug-Ins\\"}},
      // the same folder in other letters: nothing new
      {b + "PROGRAM FILES\\ADOBE\\PHOTOSHOP\\PLUG-INS",
       {"Program Files\\Adobe\\Photoshop\\Plug-Ins\\"}},
      // the first "velm" is not behind a backslash: nothing is cut
      {b + "tools\\xvelm\\velmoran\\",
       {"Program Files\\Adobe\\Photoshop\\Plug-Ins\\", "Tools\\Xvelm\\Velmoran\\"}},
      // a file pattern names its folder
      {b + "editor\\plug-ins\\*.8bf",
       {"Program Files\\Adobe\\Photoshop\\Plug-Ins\\", "Tools\\Xvelm\\Velmoran\\", "Editor\\Plug-Ins\\"}},
      // nothing that exists: nothing added
      {b + "nowhere\\at all",
       {"Program Files\\Adobe\\Photoshop\\Plug-Ins\\", "Tools\\Xvelm\\Velmoran\\", "Editor\\Plug-Ins\\"}},
  };
  for (const Step& step : steps) {
    Add(step.handedIn);
    std::vector<std::string> expected;
    for (const std::string& row : step.rowsAfter) expected.push_back(b + row);
    EXPECT_EQ(expected, FolderRows()) << "after " << step.handedIn;
  }
  for (int row = 0; row < 3; ++row) EXPECT_EQ(1, FolderTable[row].addMakerSubfolder);
}

TEST_F(FolderTableTest, DriveRootsAreNeverCandidatesButTheMakerCutMayLeaveOne) {
  Add("C:\\");
  Add("C:");
  Add("C:\\Qz9nothere");  // tried once, then the text is a drive root
  EXPECT_TRUE(FolderRows().empty());

  // Our own folder directly below a root: the cut leaves the root, which is not tested again.
  RemoveTree("C:\\velmoran");
  ASSERT_TRUE(CreateDirectoryA("C:\\velmoran", nullptr));
  Add("C:\\velmoran\\");
  RemoveTree("C:\\velmoran");
  EXPECT_EQ(std::vector<std::string>{"C:\\"}, FolderRows());
}

TEST_F(FolderTableTest, AnEditorThatLoadsOnlyItsOwnFolderGetsNoMakerSubfolder) {
  Make("igrafx\\plugins");
  Make("other");
  Add(std::string(base_) + "IGRAFX\\Plugins");
  Add(std::string(base_) + "other");
  ASSERT_EQ(2u, FolderRows().size());
  EXPECT_EQ(0, FolderTable[0].addMakerSubfolder);
  EXPECT_EQ(1, FolderTable[1].addMakerSubfolder);
}

TEST_F(FolderTableTest, KeepsTheFirstTwentyFoldersInOrder) {
  std::vector<std::string> expected;
  for (int i = 0; i < kFolderRows + 3; ++i) {
    char name[16];
    wsprintfA(name, "d%02d", i);
    Add(Make(name));
    if (i < kFolderRows) {
      wsprintfA(name, "D%02d\\", i);
      expected.push_back(std::string(base_) + name);
    }
  }
  EXPECT_EQ(expected, FolderRows());
}

TEST_F(FolderTableTest, ATextNotTerminatedInItsBufferIsDroppedWithoutOverrun) {
  // Not terminated within its buffer: refused before anything reads past it.
  struct {
    char text[kPathCapacity];
    char guard[16];
  } unterminated;
  memset(unterminated.text, 'a', sizeof unterminated.text);
  memcpy(unterminated.text, base_.c_str(), base_.size());
  memset(unterminated.guard, 0x5A, sizeof unterminated.guard);
  AddFolderCandidate(unterminated.text);
  EXPECT_TRUE(FolderRows().empty());
  for (char c : unterminated.guard) ASSERT_EQ(0x5A, c);
}

}  // namespace
