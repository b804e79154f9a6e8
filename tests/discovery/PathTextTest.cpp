// Path text operations on their own; with real folders they are tested through the candidate table.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "discovery/FolderTable.h"
#include "discovery/PathText.h"

namespace {

TEST(PathText, TextOperationsEditInPlace) {
  struct {
    char* (*operation)(char*);
    const char* input;
    const char* expected;
  } cases[] = {
      {[](char* t) { CapitalizePath(t); return t; }, "c:\\program files\\PLUG-INS", "C:\\Program Files\\Plug-Ins"},
      {[](char* t) { CapitalizePath(t); return t; }, "it's a1b x[y", "It'S A1B X[Y"},  // any non-letter
      {[](char* t) { CapitalizePath(t); return t; }, "9lives", "9Lives"},
      {[](char* t) { return CutAfterLast(t, '\\'); }, "C:\\Dir\\", "C:\\"},  // never the last character
      {[](char* t) { return CutAfterLast(t, '\\'); }, "C:\\Ed\\app.exe \"D:\\Docs\\%1\"", "C:\\Ed\\app.exe \"D:\\Docs\\"},
      {[](char* t) { return CutAfterLast(t, '\\'); }, "\\abc", "\\abc"},  // nor the first
      {[](char* t) { return CutAfterLast(t, '\\'); }, "", ""},
      {StripLeadingNonLetters, "\"C:\\Program Files\\", "C:\\Program Files\\"},
      {StripLeadingNonLetters, "  %1 x", "x"},
      {StripLeadingNonLetters, "123", ""},
  };
  for (const auto& c : cases) {
    char text[64];
    lstrcpyA(text, c.input);
    EXPECT_STREQ(c.expected, c.operation(text)) << c.input;
  }
}

TEST(PathText, WhatWouldNotFitIsRefusedNotCut) {
  struct {
    const char *dest, *head, *tail;
    size_t capacity;
    const char* expected;  // null: refused, dest unchanged
  } joins[] = {
      {"C:\\Editor\\", nullptr, "plug-ins", 64, "C:\\Editor\\plug-ins"},
      {"old", "C:\\Head", "tail", 64, "C:\\Head\\tail"},
      {"C:\\Ab", nullptr, "cd", 9, "C:\\Ab\\cd"},  // fits exactly
      {"C:\\Ab", nullptr, "cde", 9, nullptr},
  };
  for (const auto& c : joins) {
    char buffer[64];
    lstrcpyA(buffer, c.dest);
    EXPECT_EQ(c.expected ? buffer : nullptr, JoinPath(buffer, c.capacity, c.tail, c.head)) << c.tail;
    EXPECT_STREQ(c.expected ? c.expected : c.dest, buffer);
  }
  char full[6] = "C:\\ab";
  EXPECT_FALSE(EnsureTrailingBackslash(full, sizeof full));
  EXPECT_STREQ("C:\\ab", full);

  std::string overlong = "\"" + std::string(kStripLimit, 'a');  // one past the limit: emptied
  EXPECT_STREQ("", StripLeadingNonLetters(&overlong[0]));
  std::string atLimit = "\"" + std::string(kStripLimit - 1, 'a');
  EXPECT_EQ(kStripLimit - 1u, strlen(StripLeadingNonLetters(&atLimit[0])));
}

}  // namespace
