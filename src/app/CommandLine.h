#pragma once
// The options administrators know from other installers. Options are case-insensitive; /D= must
// come last and takes the rest of the line, spaces included, as the folder.
#include <windows.h>

#include "base/BoundedText.h"

struct CommandLine {
  bool silent;     // /S: no window and no message box, ever
  bool help;       // /? or /H
  bool uninstall;  // /UNINSTALL: what the programs list starts
  FolderPath folder;        // /D=, empty when not given
  FolderPath logFile;       // /LOG=, empty when not given
  BoundedText<16> language;  // /LANG=, a language tag such as de or pt-BR; empty when not given
};

// False for an unknown option, a value that does not fit, an unterminated quote, or a /D= folder
// that does not fit or holds a quote; the options around a fault are still read, /S among them.
bool ParseCommandLine(const wchar_t* arguments, CommandLine* options);

// The arguments of the process's command line, behind the program's own name.
const wchar_t* ProgramArguments();
