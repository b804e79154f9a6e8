#include "discovery/HostProbes.h"

#include <stdio.h>
#include <string.h>

#include "app/SetupState.h"
#include "discovery/FolderTable.h"
#include "discovery/PathText.h"
#include "discovery/RegistryReader.h"
#include "discovery/RegistryScanner.h"

namespace {
enum {
  kRecordMarker = 0x80,
  kRecordTextLimit = 250,  // a path of 249 characters and its NUL
};
}  // namespace

char* ProbeCommandFolder(HKEY root, const char* keyPath, const char* subkeyName, char* output) {
  char fullKey[kPathCapacity];
  if (!JoinPath(fullKey, sizeof fullKey, subkeyName, keyPath)) return nullptr;
  char command[kPathCapacity];
  if (QueryStringValue(root, fullKey, "", command) != ERROR_SUCCESS) return nullptr;
  CutAfterLast(command, '\\');
  StripLeadingNonLetters(command);
  if (!command[0] || command[1] != ':') return nullptr;
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

void RunDiscovery() {
  ScanRegistryTree("software", "velmoran", "");
  ScanRegistryTree("software", "adobe", "photoshop");
  ScanRegistryTree("software", "corel", "paint");
  ScanRegistryTree("software", "jasc", "paint");
  ScanRegistryTree("software", "xara", "xarax");

  if (ProbeCommandFolder(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths",
                         "fireworks.exe", pathScratch) &&
      JoinPath(pathScratch, sizeof pathScratch, "plug-ins")) {
    AddFolderCandidate(pathScratch);
  }
  if (ProbeCommandFolder(HKEY_CLASSES_ROOT, "PI3.Image", "shell\\open\\command", pathScratch) &&
      JoinPath(pathScratch, sizeof pathScratch, "plugin")) {
    AddFolderCandidate(pathScratch);
  }
  if (ProbeCommandFolder(HKEY_CLASSES_ROOT, "PainterFile", "shell\\open\\command", pathScratch) &&
      JoinPath(pathScratch, sizeof pathScratch, "painter.set")) {
    ScanPainterSettings(pathScratch);
  }
}
