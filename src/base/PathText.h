#pragma once
// Text operations on folder paths: UTF-16 texts, NUL-terminated, edited in place. Any name the file
// system allows passes unchanged; only ASCII letters change case.
#include <stddef.h>
#include <wchar.h>

enum { kPathCapacity = 400 };  // characters of a folder text, terminating NUL included

bool IsLetter(wchar_t c);        // the platform's letter test
wchar_t UpperChar(wchar_t c);    // the platform's single-character upper-casing
void LowerAscii(wchar_t* text);  // A-Z only, independent of any locale

// The first occurrence of needle in text, or null.
wchar_t* FindText(wchar_t* text, const wchar_t* needle);
// True when the text's last character is a backslash.
bool EndsInBackslash(const wchar_t* text);
// "X:\..." with a drive letter: the only texts that name the same folder from any current folder.
bool IsAbsolutePath(const wchar_t* text);
// "X:\..." or "\\server\share\...": the places the setup installs into.
bool IsInstallablePath(const wchar_t* text);
// True when text starts with prefix, letter case aside in the system's sense; never reads past the
// end of text.
bool HasPrefixIgnoringCase(const wchar_t* text, const wchar_t* prefix);
// True when needle occurs anywhere in text, letter case aside as above.
bool ContainsIgnoringCase(const wchar_t* text, const wchar_t* needle);
// Equal, letter case aside as above.
bool SameIgnoringCase(const wchar_t* a, const wchar_t* b);

// True when the text names a folder that exists.
bool IsFolder(const wchar_t* path);

// Trims the text until it names a folder that exists. Texts of three characters or fewer (a drive
// root) are never accepted.
bool FindExistingFolder(wchar_t* path);

// Appends a backslash unless the text already ends in one. False, text untouched, when the
// result would not fit in capacity characters (NUL included).
bool EnsureTrailingBackslash(wchar_t* text, size_t capacity);

// Title case: lower-cases ASCII, then upper-cases the first character and every ASCII letter
// behind a non-letter.
void CapitalizePath(wchar_t* text);

// dest := head (when given) + a backslash unless there is one + tail. Returns dest, or nullptr with
// dest untouched when the result would not fit in capacity characters.
wchar_t* JoinPath(wchar_t* dest, size_t capacity, const wchar_t* tail, const wchar_t* head = nullptr);

// Ends the text right behind the last ch found between its second and second-last characters.
wchar_t* CutAfterLast(wchar_t* text, wchar_t ch);

// Removes the run of non-letters at the start. A text that starts with a non-letter and is longer
// than kStripLimit characters is refused: it becomes empty rather than a shortened, different path.
enum { kStripLimit = 390 };
wchar_t* StripLeadingNonLetters(wchar_t* text);

// The length of text, at most limit: where it has no end within limit characters, limit.
size_t BoundedLength(const wchar_t* text, size_t limit);
// Copies text into dest of capacity characters. False, dest empty, when it does not fit whole.
bool CopyText(wchar_t* dest, size_t capacity, const wchar_t* text);
// The same for the first length characters of text.
bool CopyTextPart(wchar_t* dest, size_t capacity, const wchar_t* text, size_t length);
// Appends tail to the text in dest. False, dest untouched, when the result would not fit.
bool AppendText(wchar_t* dest, size_t capacity, const wchar_t* tail);
// The same for an ASCII text, which the program keeps narrow where it holds many: fixed texts.
bool WidenAscii(wchar_t* dest, size_t capacity, const char* ascii);
