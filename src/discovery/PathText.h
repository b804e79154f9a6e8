#pragma once
// Text operations on folder paths: single-byte ANSI, NUL-terminated, edited in place.
#include <stddef.h>

bool IsLetter(char c);        // the platform's ANSI letter test
char UpperChar(char c);       // the platform's single-character upper-casing
void LowerAscii(char* text);  // A-Z only, independent of any locale

// Trims the text until it names a folder that can be entered and enters it (the process's current
// directory moves there). Texts of three characters or fewer (a drive root) are never accepted.
bool FindExistingFolder(char* path);

// Appends a backslash unless the text already ends in one. False, text untouched, when the
// result would not fit in capacity characters (NUL included).
bool EnsureTrailingBackslash(char* text, size_t capacity);

// Title case: lower-cases, then upper-cases the first character and every ASCII letter behind a
// non-letter.
void CapitalizePath(char* text);

// dest := head (when given) + a backslash unless there is one + tail. Returns dest, or nullptr with
// dest untouched when the result would not fit in capacity characters.
char* JoinPath(char* dest, size_t capacity, const char* tail, const char* head = nullptr);

// Ends the text right behind the last ch found between its second and second-last characters.
char* CutAfterLast(char* text, char ch);

// Removes the run of non-letters at the start. A text that starts with a non-letter and is longer
// than kStripLimit characters is refused: it becomes empty rather than a shortened, different path.
enum { kStripLimit = 390 };
char* StripLeadingNonLetters(char* text);
