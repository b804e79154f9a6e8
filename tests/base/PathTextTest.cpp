// Path text operations on their own; with real folders they are tested through the candidate table.
// Whatever the text, no operation may write outside its buffer.
#include <gtest/gtest.h>

#include "base/PathText.h"
#include "support/TestSupport.h"

using Operation = char* (*)(char*);  // the text, or null when refused with the text untouched
static const Operation kCapitalize = [](char* t) { CapitalizePath(t); return t; };
static const Operation kCut = [](char* t) { return CutAfterLast(t, '\\'); };
static const Operation kJoin9 = [](char* t) { return JoinPath(t, 9, "cd"); };
static const Operation kBackslash6 = [](char* t) { return EnsureTrailingBackslash(t, 6) ? t : nullptr; };

TEST(PathText, EditsInPlaceAndRefusesWhatWouldNotFit) {
  const std::string atStrip = "\"" + std::string(kStripLimit - 1, 'a'), overStrip = atStrip + "a";
  const struct {
    Operation operation;
    std::string input;
    const char* expected;  // null: refused
  } cases[] = {
      {kCapitalize, "9lives it's a1b x[y PLUG-INS", "9Lives It'S A1B X[Y Plug-Ins"},  // behind any non-letter
      {kCut, "C:\\Dir\\", "C:\\"}, {kCut, "\\abc", "\\abc"},  // never at the last nor the first character
      {kCut, "C:\\Ed\\app.exe \"D:\\Docs\\%1\"", "C:\\Ed\\app.exe \"D:\\Docs\\"},
      {StripLeadingNonLetters, "  %1 x", "x"}, {StripLeadingNonLetters, "123", ""},
      {StripLeadingNonLetters, overStrip, ""}, {StripLeadingNonLetters, atStrip, atStrip.c_str() + 1},  // the limit
      {kJoin9, "C:\\Ab", "C:\\Ab\\cd"}, {kJoin9, "C:\\Abc", nullptr},
      {kBackslash6, "C:\\a", "C:\\a\\"}, {kBackslash6, "C:\\ab", nullptr},  // fits exactly; one over
  };
  for (const auto& c : cases) {
    char text[kPathCapacity] = {};
    c.input.copy(text, sizeof text - 1);
    EXPECT_EQ(c.expected ? text : nullptr, c.operation(text)) << c.input;
    EXPECT_STREQ(c.expected ? c.expected : c.input.c_str(), text) << c.input;
  }
}

TEST(PathText, StaysInItsBufferWhateverTheText) {
  const char* const chars = "aZ\\\\:\"' .-_8x9\xe9\x80\x81q/%";
  SweepGuarded(3000, kPathCapacity - 1, 7, chars, [&](char* text, size_t capacity) {
    switch (RandomBelow(5)) {
      case 0: EnsureTrailingBackslash(text, capacity); break;
      case 1: CapitalizePath(text); break;
      case 2: CutAfterLast(text, '\\'); break;
      case 3: StripLeadingNonLetters(text); break;
      default: JoinPath(text, capacity, RandomText(60, chars).c_str());
    }
  });
}
