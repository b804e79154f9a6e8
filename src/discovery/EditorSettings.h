#pragma once
// The settings files in which today's editors' filter hosts list the folders they load filters
// from. They lie in the signed-in user's folders, where any program of the user can write them, so
// they are read with hard bounds: a file over kSettingsFileLimit bytes, a line over
// kSettingsLineLimit characters, more than kSettingsFolderLimit folders, or text that is no valid
// UTF-8 (or UTF-16 behind its mark), and the whole file is passed over, never trusted further.
// Nothing in one is a reason to fail. Each folder named must exist to be offered.
#include <stddef.h>

enum {
  kSettingsFileLimit = 256 * 1024,
  kSettingsLineLimit = 4096,
  kSettingsFolderLimit = 32,
};

// GIMP's gimprc: the folders of the line (pspi-path "C:\\A;D:\\B") that its filter bridge loads
// from. The bridge is not known to search below them: they are offered without the maker folder.
void ScanGimpSettings(const wchar_t* fileName);

// Paint.NET's filter host's PSFilterPdn.xml: the "string" items of SearchDirectories (any
// namespace prefix), or, in older files, the comma-separated folders of searchDirs. The host
// searches below them (unless SearchSubdirectories says false): offered with the maker folder.
void ScanFilterHostSettings(const wchar_t* fileName);
