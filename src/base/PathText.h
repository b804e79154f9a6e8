#pragma once
// Text operations on folder paths: ANSI texts of the system code page, NUL-terminated, edited in
// place. On a double-byte code page (932, 936, 949, 950) a lead byte and the byte after it are one
// character: a second byte that looks like a letter or a backslash is neither.
#include <stddef.h>

enum { kPathCapacity = 400 };  // characters of a folder text, terminating NUL included

bool IsLetter(char c);        // the platform's ANSI letter test
char UpperChar(char c);       // the platform's single-character upper-casing
bool IsLeadByte(char c);      // the first byte of a double-byte character of the system code page
void LowerAscii(char* text);  // single-byte A-Z only, independent of any locale

// The first occurrence of needle in text that starts on a character, or null.
char* FindText(char* text, const char* needle);
// True when the text's last character is a backslash.
bool EndsInBackslash(const char* text);
// "X:\..." with a drive letter: the only texts that name the same folder from any current folder.
bool IsAbsolutePath(const char* text);
// True when text starts with prefix, letter case aside; never reads past the end of text.
bool HasPrefixIgnoringCase(const char* text, const char* prefix);

// Trims the text until it names a folder that can be entered and enters it (the process's current
// directory moves there). Texts of three characters or fewer (a drive root) are never accepted.
bool FindExistingFolder(char* path);

// Enters the folder, creating it and its missing parents first. On failure GetLastError says why.
bool EnterOrMakeFolder(char* path);

// Appends a backslash unless the text already ends in one. False, text untouched, when the
// result would not fit in capacity characters (NUL included).
bool EnsureTrailingBackslash(char* text, size_t capacity);

// Title case: lower-cases, then upper-cases the first character and every single-byte letter
// behind a non-letter. A double-byte character counts as a non-letter and never changes.
void CapitalizePath(char* text);

// dest := head (when given) + a backslash unless there is one + tail. Returns dest, or nullptr with
// dest untouched when the result would not fit in capacity characters.
char* JoinPath(char* dest, size_t capacity, const char* tail, const char* head = nullptr);

// Ends the text right behind the last single-byte ch found between its second and second-last
// characters.
char* CutAfterLast(char* text, char ch);

// Removes the run of non-letters at the start. A text that starts with a non-letter and is longer
// than kStripLimit characters is refused: it becomes empty rather than a shortened, different path.
enum { kStripLimit = 390 };
char* StripLeadingNonLetters(char* text);
