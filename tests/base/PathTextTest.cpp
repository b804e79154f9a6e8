// Path text operations on their own; with real folders they are tested through the candidate table.
// Whatever the text, no operation may write outside its buffer.
#include <gtest/gtest.h>

#include "base/PathText.h"
#include "support/TestSupport.h"

using Operation = wchar_t* (*)(wchar_t*);  // the text, or null when refused with the text untouched
static const Operation kCapitalize = [](wchar_t* t) { CapitalizePath(t); return t; };
static const Operation kCut = [](wchar_t* t) { return CutAfterLast(t, L'\\'); };
static const Operation kJoin9 = [](wchar_t* t) { return JoinPath(t, 9, L"cd"); };
static const Operation kBackslash6 = [](wchar_t* t) { return EnsureTrailingBackslash(t, 6) ? t : nullptr; };
static const Operation kAppend6 = [](wchar_t* t) { return AppendText(t, 6, L"cd") ? t : nullptr; };

TEST(PathText, EditsInPlaceAndRefusesWhatWouldNotFit) {
  const std::wstring atStrip = L"\"" + std::wstring(kStripLimit - 1, L'a'), overStrip = atStrip + L"a";
  const struct {
    Operation operation;
    std::wstring input;
    const wchar_t* expected;  // null: refused
  } cases[] = {
      {kCapitalize, L"9lives it's a1b x[y PLUG-INS", L"9Lives It'S A1B X[Y Plug-Ins"},  // behind any non-letter
      {kCapitalize, L"c:\\\u041f\u043b\u0430\u0433\u0438\u043d\u044b\\\u0142ukasz", L"C:\\\u041f\u043b\u0430\u0433\u0438\u043d\u044b\\\u0142ukasz"},
      {kCut, L"C:\\Dir\\", L"C:\\"}, {kCut, L"\\abc", L"\\abc"},  // never at the last nor the first character
      {kCut, L"C:\\Ed\\app.exe \"D:\\Docs\\%1\"", L"C:\\Ed\\app.exe \"D:\\Docs\\"},
      {StripLeadingNonLetters, L"  %1 x", L"x"}, {StripLeadingNonLetters, L"123", L""},
      {StripLeadingNonLetters, overStrip, L""}, {StripLeadingNonLetters, atStrip, atStrip.c_str() + 1},  // the limit
      {kJoin9, L"C:\\Ab", L"C:\\Ab\\cd"}, {kJoin9, L"C:\\Abc", nullptr},
      {kBackslash6, L"C:\\a", L"C:\\a\\"}, {kBackslash6, L"C:\\ab", nullptr},  // fits exactly; one over
      {kAppend6, L"C:\\", L"C:\\cd"}, {kAppend6, L"C:\\a", nullptr},
  };
  for (const auto& c : cases) {
    wchar_t text[kPathCapacity] = {};
    c.input.copy(text, kPathCapacity - 1);
    EXPECT_EQ(c.expected ? text : nullptr, c.operation(text)) << Utf8(c.input);
    EXPECT_STREQ(c.expected ? c.expected : c.input.c_str(), text) << Utf8(c.input);
  }
}

TEST(PathText, StaysInItsBufferWhateverTheText) {
  const wchar_t* const chars = L"aZ\\\\:\"' .-_8x9\u00e9\u0416\u30a2q/%\xd83d";
  SweepGuarded(3000, kPathCapacity - 1, 7, chars, [&](wchar_t* text, size_t capacity) {
    switch (RandomBelow(6)) {
      case 0: EnsureTrailingBackslash(text, capacity); break;
      case 1: CapitalizePath(text); break;
      case 2: CutAfterLast(text, L'\\'); break;
      case 3: StripLeadingNonLetters(text); break;
      case 4: AppendText(text, capacity, RandomText(60, chars).c_str()); break;
      default: JoinPath(text, capacity, RandomText(60, chars).c_str());
    }
  });
}
