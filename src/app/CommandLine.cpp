#include "app/CommandLine.h"

namespace {
bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

// Copies a value that ends at a blank or, quoted, at its closing quote. False when it is empty,
// would not fit, or its quote is never closed.
template <size_t Capacity>
bool TakeValue(const wchar_t** cursor, BoundedText<Capacity>* value) {
  const wchar_t* at = *cursor;
  bool quoted = *at == L'"';
  at += quoted ? 1 : 0;
  size_t length = 0;
  while (at[length] && (quoted ? at[length] != L'"' : !IsBlank(at[length]))) ++length;
  bool closed = !quoted || at[length] == L'"';
  *cursor = at + length + (closed && quoted ? 1 : 0);
  return closed && length > 0 && value->AssignPart(at, length);
}

// The rest of the line after "/D=", blanks at its end aside, whole quoted or as it stands: folders
// with blanks need no quotes. No quote may stand inside it.
bool TakeFolder(const wchar_t* option, bool quoted, FolderPath* folder) {
  const wchar_t* at = option + 3;
  size_t rest = wcslen(at);
  while (rest > 0 && IsBlank(at[rest - 1])) --rest;
  if (quoted) {
    if (rest == 0 || at[rest - 1] != L'"') return false;
    --rest;
  }
  return rest > 0 && !wmemchr(at, L'"', rest) && folder->AssignPart(at, rest);
}
}  // namespace

bool ParseCommandLine(const wchar_t* arguments, CommandLine* options) {
  *options = CommandLine();
  bool understood = true;
  // Read to the end whatever is wrong: a /S anywhere must keep every window away.
  for (const wchar_t* at = arguments;;) {
    while (IsBlank(*at)) ++at;
    if (!*at) return understood;
    const wchar_t* option = at;
    while (*at && !IsBlank(*at)) ++at;
    int length = static_cast<int>(at - option);
    // Quoted whole, as some launchers pass an argument with blanks in it.
    bool quoted = option[0] == L'"' && HasPrefixIgnoringCase(option + 1, L"/D=");
    if (quoted || HasPrefixIgnoringCase(option, L"/D=")) {
      return TakeFolder(option + (quoted ? 1 : 0), quoted, &options->folder) && understood;
    }
    if (HasPrefixIgnoringCase(option, L"/LOG=")) {
      const wchar_t* value = option + 5;
      if (!TakeValue(&value, &options->logFile)) understood = false;
      at = value;  // the rest of a quoted value is not read as options
    } else if (HasPrefixIgnoringCase(option, L"/LANG=")) {
      const wchar_t* value = option + 6;
      if (!TakeValue(&value, &options->language)) understood = false;
      at = value;
    } else if (length == 2 && HasPrefixIgnoringCase(option, L"/S")) {
      options->silent = true;
    } else if (length == 2 && (HasPrefixIgnoringCase(option, L"/?") || HasPrefixIgnoringCase(option, L"/H"))) {
      options->help = true;
    } else if (length == 10 && HasPrefixIgnoringCase(option, L"/UNINSTALL")) {
      options->uninstall = true;
    } else {
      understood = false;
    }
  }
}

const wchar_t* ProgramArguments() {
  const wchar_t* line = GetCommandLineW();
  if (*line == L'"') {
    ++line;
    while (*line && *line != L'"') ++line;
    if (*line) ++line;
  } else {
    while (*line && !IsBlank(*line)) ++line;
  }
  return line;
}
