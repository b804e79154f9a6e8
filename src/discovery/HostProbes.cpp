#include "discovery/HostProbes.h"

#include <stdio.h>
#include <string.h>

#include "discovery/FolderTable.h"
#include "base/PathText.h"
#include "base/Product.h"
#include "discovery/RegistryReader.h"
#include "discovery/RegistryScanner.h"

namespace {
enum {
  kRecordMarker = 0x80,
  kRecordTextLimit = 250,  // a path of 249 characters and its NUL
};
char probeScratch[kPathCapacity];  // what a probe found, then the folder it names
}  // namespace

char* ProbeCommandFolder(HKEY root, const char* keyPath, const char* subkeyName, char* output, REGSAM view) {
  char fullKey[kPathCapacity];
  if (!JoinPath(fullKey, sizeof fullKey, subkeyName, keyPath)) return nullptr;
  char command[kPathCapacity];
  if (QueryStringValue(root, fullKey, "", command, view) != ERROR_SUCCESS) return nullptr;
  CutAfterLast(command, '\\');
  StripLeadingNonLetters(command);
  if (!IsAbsolutePath(command)) return nullptr;
  memcpy(output, command, strlen(command) + 1);
  return output;
}

void ScanPainterSettings(const char* fileName) {
  FILE* file = fopen(fileName, "rb");
  if (!file) return;
  // The four bytes before the current one, oldest first; -1 stands for "before the file's start",
  // which never matches a marker.
  int b4 = -1, b3 = -1, b2 = -1, b1 = -1, current = -1;
  for (;;) {
    b4 = b3;
    b3 = b2;
    b2 = b1;
    b1 = current;
    current = getc(file);
    if (current == EOF) break;
    if (b4 != kRecordMarker || b2 < 0 || !IsLetter(static_cast<char>(b2)) || b1 != ':' || current != '\\') {
      continue;
    }
    size_t declaredLength = static_cast<size_t>(b3);
    char text[kPathCapacity] = {static_cast<char>(b2), ':', '\\'};
    size_t filled = 3;
    int byte = 0;
    while (filled < kRecordTextLimit) {
      byte = getc(file);
      if (byte == EOF) break;
      text[filled++] = static_cast<char>(byte);
      if (byte == 0) break;
    }
    if (byte == EOF) break;  // the file ends inside the record
    if (byte == 0 && strlen(text) == declaredLength) {
      AddFolderCandidate(text);
      break;
    }
    // Rejected: the consumed bytes are not searched again, but the last of them may be the
    // marker of a record that starts right behind it.
    b3 = b2 = b1 = -1;
    current = static_cast<unsigned char>(text[filled - 1]);
  }
  fclose(file);
}

void ProbeSharedAdobeFolders() {
  // The system's own record of its Common Files folders. From a 32-bit program on 64-bit Windows
  // the 64-bit view names the 64-bit folder and the program's own view the 32-bit one; a 64-bit
  // program finds the 32-bit folder under its own name.
  const char kVersionKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
  REGSAM views[2];
  int viewCount = RegistryViews(views);
  const struct {
    REGSAM view;
    const char* valueName;
  } kCommonFiles[] = {{views[viewCount - 1], "CommonFilesDir"}, {0, "CommonFilesDir (x86)"}, {0, "CommonFilesDir"}};
  for (const auto& commonFiles : kCommonFiles) {
    if (QueryStringValue(HKEY_LOCAL_MACHINE, kVersionKey, commonFiles.valueName, probeScratch, commonFiles.view) !=
            ERROR_SUCCESS ||
        !JoinPath(probeScratch, sizeof probeScratch, "Adobe\\Plug-Ins\\CC")) {
      continue;
    }
    // Only the folder itself: trimmed to its parent it would be a folder no editor loads from.
    DWORD attributes = GetFileAttributesA(probeScratch);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
      AddFolderCandidate(probeScratch);
    }
  }
}

void RunDiscovery() {
  ScanRegistryTree("software", MAKER_SCAN_WORD, "");
  ScanRegistryTree("software", "adobe", "photoshop");
  ProbeSharedAdobeFolders();
  ScanRegistryTree("software", "corel", "paint");
  ScanRegistryTree("software", "jasc", "paint");
  ScanRegistryTree("software", "xara", "xarax");

  // Each editor's program folder, read in every view; the painter's holds a settings file to scan.
  const struct {
    HKEY root;
    const char *keyPath, *subkeyName, *below;
    bool settingsFile;
  } kProbes[] = {
      {HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths", "fireworks.exe", "plug-ins", false},
      {HKEY_CLASSES_ROOT, "PI3.Image", "shell\\open\\command", "plugin", false},
      {HKEY_CLASSES_ROOT, "PainterFile", "shell\\open\\command", "painter.set", true},
  };
  REGSAM views[2];
  int viewCount = RegistryViews(views);
  for (const auto& probe : kProbes) {
    for (int view = 0; view < viewCount; ++view) {
      if (!ProbeCommandFolder(probe.root, probe.keyPath, probe.subkeyName, probeScratch, views[view]) ||
          !JoinPath(probeScratch, sizeof probeScratch, probe.below)) {
        continue;
      }
      if (probe.settingsFile) {
        ScanPainterSettings(probeScratch);
      } else {
        AddFolderCandidate(probeScratch);
      }
    }
  }
}
