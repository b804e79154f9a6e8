#include "app/CommandLine.h"

#include <stdlib.h>
#include <string.h>
#include <windows.h>

#include "base/PathText.h"

namespace {
// Copies a value that ends at a blank or, quoted, at its closing quote. False when it would not fit.
bool TakeValue(const char** cursor, char* value) {
  const char* at = *cursor;
  bool quoted = *at == '"';
  at += quoted ? 1 : 0;
  size_t length = 0;
  while (at[length] && (quoted ? at[length] != '"' : at[length] != ' ' && at[length] != '\t')) ++length;
  if (length == 0 || length >= kPathCapacity) return false;
  memcpy(value, at, length);
  value[length] = '\0';
  *cursor = at + length + (at[length] == '"' ? 1 : 0);
  return true;
}
}  // namespace

bool ParseCommandLine(const char* arguments, CommandLine* options) {
  *options = CommandLine();
  bool understood = true;
  // Read to the end whatever is wrong: a /S anywhere must keep every window away.
  for (const char* at = arguments;;) {
    while (*at == ' ' || *at == '\t') ++at;
    if (!*at) return understood;
    const char* option = at;
    while (*at && *at != ' ' && *at != '\t') ++at;
    int length = static_cast<int>(at - option);
    // Quoted whole, as some launchers pass an argument with blanks in it.
    bool quoted = option[0] == '"' && HasPrefixIgnoringCase(option + 1, "/D=");
    if (quoted || HasPrefixIgnoringCase(option, "/D=")) {
      // The rest of the line, as it stands: folders with blanks need no quotes.
      option += quoted ? 1 : 0;
      size_t rest = strlen(option + 3);
      while (rest > 0 && (option[3 + rest - 1] == ' ' || option[3 + rest - 1] == '\t')) --rest;
      if (quoted && rest > 0 && option[3 + rest - 1] == '"') --rest;
      if (rest == 0 || rest >= kPathCapacity) return false;
      memcpy(options->folder, option + 3, rest);
      options->folder[rest] = '\0';
      return understood;
    }
    if (HasPrefixIgnoringCase(option, "/LOG=")) {
      const char* value = option + 5;
      if (TakeValue(&value, options->logFile)) {
        at = value;
      } else {
        understood = false;
        if (value[0] == '"' && strchr(value + 1, '"')) at = strchr(value + 1, '"') + 1;  // not read as options
      }
    } else if (length == 2 && HasPrefixIgnoringCase(option, "/S")) {
      options->silent = true;
    } else if (length == 2 && (HasPrefixIgnoringCase(option, "/?") || HasPrefixIgnoringCase(option, "/H"))) {
      options->help = true;
    } else if (length == 10 && HasPrefixIgnoringCase(option, "/UNINSTALL")) {
      options->uninstall = true;
    } else {
      understood = false;
    }
  }
}

const char* ProgramArguments() {
  const char* line = GetCommandLineA();
  if (*line == '"') {
    ++line;
    while (*line && *line != '"') ++line;
    if (*line) ++line;
  } else {
    while (*line && *line != ' ' && *line != '\t') ++line;
  }
  return line;
}
