#pragma once
// Searches particular to single image editors.
#include <windows.h>

// The folder of the program that a registry command line or program path names: the key's
// default value, cut after its last backslash, without leading quotes. Null unless the result
// starts with a drive letter and a colon. output holds kPathCapacity characters.
char* ProbeCommandFolder(HKEY root, const char* keyPath, const char* subkeyName, char* output);

// Finds the first valid painter path record in the settings file and offers its folder.
void ScanPainterSettings(const char* fileName);

// The whole discovery sequence the dialog runs once: five registry scans, then the three probes.
void RunDiscovery();
