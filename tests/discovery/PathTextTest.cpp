// Path text operations: pure text cases, then the existence test against real folders.
#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "discovery/PathText.h"
#include "support/TestSupport.h"

namespace {

struct TextCase {
  const char* input;
  const char* expected;
};

TEST(CapitalizePath, TitleCasesEveryLetterBehindANonLetter) {
  const TextCase cases[] = {
      {"c:\\program files\\adobe\\photoshop\\plug-ins", "C:\\Program Files\\Adobe\\Photoshop\\Plug-Ins"},
      {"C:\\PROGRAM FILES", "C:\\Program Files"},
      {"it's", "It'S"},        // an apostrophe is a non-letter here
      {"a1b2c", "A1B2C"},      // so are digits
      {"x[y_z", "X[Y_Z"},      // 0x5B-0x60 have no capital and stay, but capitalise what follows
      {"9lives", "9Lives"},    // the first character is upper-cased whatever it is
      {"", ""},
      {"q", "Q"},
  };
  for (const TextCase& c : cases) {
    char text[64];
    lstrcpyA(text, c.input);
    CapitalizePath(text);
    EXPECT_STREQ(c.expected, text) << "input: " << c.input;
  }
}

TEST(CutAfterLast, CutsBehindTheLastMatchButNeverAtTheEnds) {
  const TextCase cases[] = {
      {"C:\\Dir\\", "C:\\"},  // the trailing backslash itself is not looked at
      {"C:\\Editor\\app.exe %1", "C:\\Editor\\"},
      {"C:\\Editor\\app.exe \"D:\\Docs\\%1\"", "C:\\Editor\\app.exe \"D:\\Docs\\"},
      {"\\abc", "\\abc"},  // the first character is never matched
      {"ab\\", "ab\\"},
      {"a\\\\", "a\\"},
      {"", ""},
      {"\\", "\\"},
      {"no backslash", "no backslash"},
  };
  for (const TextCase& c : cases) {
    char text[64];
    lstrcpyA(text, c.input);
    EXPECT_STREQ(c.expected, CutAfterLast(text, '\\')) << "input: " << c.input;
  }
}

TEST(StripLeadingNonLetters, RemovesTheLeadingRunOfNonLetters) {
  const TextCase cases[] = {
      {"\"C:\\Program Files\\App\\", "C:\\Program Files\\App\\"},
      {"  %1 x", "x"},
      {"123", ""},
      {"abc\\", "abc\\"},
      {"", ""},
  };
  for (const TextCase& c : cases) {
    char text[64];
    lstrcpyA(text, c.input);
    EXPECT_STREQ(c.expected, StripLeadingNonLetters(text)) << "input: " << c.input;
  }
}

TEST(StripLeadingNonLetters, RefusesOverlongTextsInsteadOfCuttingThem) {
  char text[kStripLimit + 8];
  memset(text, 'a', sizeof text);
  text[0] = '"';
  text[kStripLimit + 1] = '\0';  // one past the limit
  EXPECT_STREQ("", StripLeadingNonLetters(text));

  text[0] = 'b';  // starting with a letter it is returned as it is, however long
  memset(text + 1, 'a', kStripLimit);
  text[kStripLimit + 1] = '\0';
  EXPECT_EQ(static_cast<size_t>(kStripLimit + 1), strlen(StripLeadingNonLetters(text)));

  text[0] = '"';
  text[kStripLimit] = '\0';  // exactly at the limit: stripped normally
  EXPECT_EQ(static_cast<size_t>(kStripLimit - 1), strlen(StripLeadingNonLetters(text)));
}

TEST(JoinPath, InsertsOneBackslashAndRefusesWhatWouldNotFit) {
  struct JoinCase {
    const char* dest;
    const char* head;
    const char* tail;
    size_t capacity;
    const char* expected;  // null: refused, dest unchanged
  } cases[] = {
      {"C:\\Editor\\", nullptr, "plug-ins", 64, "C:\\Editor\\plug-ins"},
      {"C:\\Editor", nullptr, "plug-ins", 64, "C:\\Editor\\plug-ins"},
      {"old", "C:\\Head", "tail", 64, "C:\\Head\\tail"},
      {"C:\\Ab", nullptr, "cd", 9, "C:\\Ab\\cd"},  // 8 characters and the NUL: fits exactly
      {"C:\\Ab", nullptr, "cde", 9, nullptr},
      {"old", "C:\\Head\\", "tail", 12, nullptr},
  };
  for (const JoinCase& c : cases) {
    char buffer[64];
    lstrcpyA(buffer, c.dest);
    char* result = JoinPath(buffer, c.capacity, c.tail, c.head);
    if (c.expected) {
      EXPECT_EQ(buffer, result);
      EXPECT_STREQ(c.expected, buffer);
    } else {
      EXPECT_EQ(nullptr, result) << c.tail;
      EXPECT_STREQ(c.dest, buffer);
    }
  }
}

TEST(EnsureTrailingBackslash, AppendsOnlyWhenMissingAndWhenItFits) {
  char text[6] = "C:\\ab";  // full: no room for another character
  EXPECT_FALSE(EnsureTrailingBackslash(text, sizeof text));
  EXPECT_STREQ("C:\\ab", text);
  char room[7] = "C:\\ab";
  EXPECT_TRUE(EnsureTrailingBackslash(room, sizeof room));
  EXPECT_STREQ("C:\\ab\\", room);
  EXPECT_TRUE(EnsureTrailingBackslash(room, sizeof room));  // already there: unchanged
  EXPECT_STREQ("C:\\ab\\", room);
}

TEST(FindExistingFolder, TrimsToTheFolderThatExistsAndEntersIt) {
  TempFolder temp;
  std::string editor = temp.Make("Editor");
  ASSERT_TRUE(WriteWholeFile(editor + "\\app.exe", {1, 2, 3}));
  struct FolderCase {
    std::string input;
    bool found;
    std::string expected;
  } cases[] = {
      {editor + "\\app.exe", true, editor + "\\"},   // a file: its folder, with the backslash
      {editor, true, editor},                        // a folder: as it is
      {editor + "\\", true, editor},                 // one trailing backslash is taken off first
      {editor + "\\missing", true, editor + "\\"},   // a missing last part: its parent
      {editor + "\\gone\\deeper", false, editor + "\\gone\\"},  // only the last part is trimmed
      {"C:\\", false, "C:"},
      {"C:", false, "C:"},
  };
  for (const FolderCase& c : cases) {
    char text[400];
    lstrcpyA(text, c.input.c_str());
    EXPECT_EQ(c.found, FindExistingFolder(text)) << c.input;
    EXPECT_STREQ(c.expected.c_str(), text) << c.input;
    if (c.found) {
      char current[MAX_PATH];
      GetCurrentDirectoryA(MAX_PATH, current);
      EXPECT_EQ(0, lstrcmpiA(editor.c_str(), current)) << c.input;
    }
  }
}

}  // namespace
