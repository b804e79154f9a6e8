#pragma once
// Searches particular to single image editors.
#include <windows.h>

#include "discovery/FolderTable.h"

// The folder of the program that a registry command line or program path names: the key's
// default value, cut after its last backslash, without leading quotes. False, output untouched,
// unless the result is absolute ("X:\...").
bool ProbeCommandFolder(HKEY root, const wchar_t* keyPath, const wchar_t* subkeyName, FolderPath* output,
                        REGSAM view = 0);

// The plug-in folder that every current Creative Cloud editor loads, "Adobe\Plug-Ins\CC" in the
// 64-bit and in the 32-bit Common Files folder, when it exists.
void ProbeSharedAdobeFolders();

// Finds the first valid painter path record in the settings file and offers its folder. The file
// is the painter's own format, its texts in the system's code page.
void ScanPainterSettings(const wchar_t* fileName);

// Photoshop 2020 and later: "Plug-ins" in the program folder that the key of each version (140.0
// and up) below HKLM\SOFTWARE\Adobe\Photoshop names as ApplicationPath, in every registry view,
// where it exists.
void ProbePhotoshopVersions();

// Today's editors: Paint.NET (TARGETDIR\Effects, or its Store edition's user files), the folders
// its filter host lists, those GIMP's filter bridge lists, and Affinity Photo 2's and Affinity 3's
// plug-in folders for a user who has run them.
void ProbeTodaysEditors();

// The whole discovery sequence the dialog runs once: five registry scans with Photoshop's own
// folders and the shared Adobe folders after Adobe's, the three editor probes, each in every
// registry view, then today's editors. The candidates, in the order found.
FolderCandidates RunDiscovery();
