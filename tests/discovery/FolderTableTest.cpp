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

// Candidate folders live below a base whose name is already in its normalised case, so each
// expected row is the base followed by a literal.
class FolderTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (FolderEntry& row : FolderTable) row = FolderEntry();
    wsprintfA(base_, "C:\\Foldtest%lu\\", GetCurrentProcessId());
    RemoveTree(base_);
    ASSERT_TRUE(CreateDirectoryA(base_, nullptr));
  }
  void TearDown() override {
    SetCurrentDirectoryA("C:\\");
    RemoveTree(base_);
  }
  std::string Make(const std::string& relative) {
    std::string full = base_;
    for (size_t i = 0; i <= relative.size(); ++i) {
      if (i == relative.size() || relative[i] == '\\') CreateDirectoryA(full.c_str(), nullptr);
      if (i < relative.size()) full += relative[i];
    }
    return full;
  }
  void Add(const std::string& text) {
    char buffer[kPathCapacity];
    ASSERT_LT(text.size(), sizeof buffer);
    lstrcpyA(buffer, text.c_str());
    AddFolderCandidate(buffer);
  }
  std::vector<std::string> Rows() const {
    std::vector<std::string> rows;
    for (const FolderEntry& row : FolderTable) {
      if (row.path[0]) rows.push_back(row.path);
    }
    return rows;
  }
  char base_[64];
};

TEST_F(FolderTableTest, NormalisesCutsAndDeduplicatesInOrderFound) {
  Make("program files\\adobe\\photoshop\\plug-ins\\velmoran\\filters");
  Make("tools\\xvelm\\velmoran");
  Make("editor\\plug-ins");
  std::string b = base_;
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
    EXPECT_EQ(expected, Rows()) << "after " << step.handedIn;
  }
  for (const FolderEntry& row : FolderTable) EXPECT_EQ(1, row.addMakerSubfolder);
}

TEST_F(FolderTableTest, DriveRootsAreNeverCandidatesButTheMakerCutMayLeaveOne) {
  Add("C:\\");
  Add("C:");
  Add("C:\\Qz9nothere");  // tried once, then the text is a drive root
  EXPECT_TRUE(Rows().empty());

  // Our own folder directly below a root: the cut leaves the root, which is not tested again.
  RemoveTree("C:\\velmoran");
  ASSERT_TRUE(CreateDirectoryA("C:\\velmoran", nullptr));
  Add("C:\\velmoran\\");
  SetCurrentDirectoryA("C:\\");  // the search entered it
  RemoveDirectoryA("C:\\velmoran");
  EXPECT_EQ(std::vector<std::string>{"C:\\"}, Rows());
}

TEST_F(FolderTableTest, AnEditorThatLoadsOnlyItsOwnFolderGetsNoMakerSubfolder) {
  Make("igrafx\\plugins");
  Make("other");
  Add(std::string(base_) + "IGRAFX\\Plugins");
  Add(std::string(base_) + "other");
  ASSERT_EQ(2u, Rows().size());
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
  EXPECT_EQ(expected, Rows());
}

TEST_F(FolderTableTest, TextsThatDoNotFitARowAreDroppedWithoutOverrun) {
  // Not terminated within its buffer: refused before anything reads past it.
  struct {
    char text[kPathCapacity];
    char guard[16];
  } unterminated;
  memset(unterminated.text, 'a', sizeof unterminated.text);
  memcpy(unterminated.text, base_, strlen(base_));
  memset(unterminated.guard, 0x5A, sizeof unterminated.guard);
  AddFolderCandidate(unterminated.text);
  EXPECT_TRUE(Rows().empty());
  for (char c : unterminated.guard) ASSERT_EQ(0x5A, c);

  // 399 characters, all of them folders where the platform allows such depth: with the backslash
  // it would need 401. Dropped whole; a cut would yield some shorter row.
  std::string deep = base_;
  while (deep.size() < kPathCapacity - 1) {
    deep += std::string(std::min<size_t>(kPathCapacity - 1 - deep.size(), 60), 'p');
    CreateDirectoryA(deep.c_str(), nullptr);
    if (deep.size() < kPathCapacity - 2) deep += '\\';
  }
  ASSERT_EQ(static_cast<size_t>(kPathCapacity - 1), deep.size());
  Add(deep);
  EXPECT_TRUE(Rows().empty());
}

}  // namespace
