#include "discovery/HostProbes.h"

#include <string.h>

#include "base/PathText.h"
#include "base/MakerValues.h"
#include "base/ScopedHandle.h"
#include "base/SystemFolder.h"
#include "discovery/EditorSettings.h"
#include "discovery/FolderTable.h"
#include "discovery/RegistryReader.h"
#include "discovery/RegistryScanner.h"

namespace {
enum {
  kRecordMarker = 0x80,
  kRecordTextLimit = 250,  // a path of 249 characters and its NUL
};

// The bytes of an open file one at a time, read a block at a time.
struct FileBytes {
  HANDLE file;
  BYTE block[4096];
  DWORD filled = 0, at = 0;
  int Next() {  // -1 at the end or on a read error
    if (at == filled) {
      at = 0;
      if (!ReadFile(file, block, sizeof block, &filled, nullptr)) filled = 0;
      if (filled == 0) return -1;
    }
    return block[at++];
  }
};
}  // namespace

bool ProbeCommandFolder(HKEY root, const wchar_t* keyPath, const wchar_t* subkeyName, FolderPath* output, REGSAM view) {
  KeyPath fullKey;
  if (!fullKey.Join(keyPath, subkeyName)) return false;
  FolderPath command;
  if (QueryStringValue(root, fullKey, L"", &command, view) != ERROR_SUCCESS) return false;
  CutAfterLast(command.buffer(), L'\\');
  StripLeadingNonLetters(command.buffer());
  if (!IsAbsolutePath(command)) return false;
  *output = command;
  return true;
}

void ScanPainterSettings(const wchar_t* fileName) {
  ScopedHandle file(CreateFileW(fileName, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file.valid()) return;
  FileBytes reader;
  reader.file = file.get();
  // The four bytes before the current one, oldest first; -1 stands for "before the file's start",
  // which never matches a marker.
  int b4 = -1, b3 = -1, b2 = -1, b1 = -1, current = -1;
  for (;;) {
    b4 = b3;
    b3 = b2;
    b2 = b1;
    b1 = current;
    current = reader.Next();
    if (current < 0) break;
    // A drive letter is one of the 26 Latin letters, in any code page.
    bool driveLetter = (b2 | 0x20) >= 'a' && (b2 | 0x20) <= 'z';
    if (b4 != kRecordMarker || b2 < 0 || !driveLetter || b1 != ':' || current != '\\') {
      continue;
    }
    size_t declaredLength = static_cast<size_t>(b3);
    char text[kRecordTextLimit + 1] = {static_cast<char>(b2), ':', '\\'};
    size_t filled = 3;
    int byte = 0;
    while (filled < kRecordTextLimit) {
      byte = reader.Next();
      if (byte < 0) break;
      text[filled++] = static_cast<char>(byte);
      if (byte == 0) break;
    }
    if (byte < 0) break;  // the file ends inside the record
    if (byte == 0 && strlen(text) == declaredLength) {
      FolderPath found;
      if (MultiByteToWideChar(CP_ACP, 0, text, -1, found.buffer(), static_cast<int>(found.capacity()))) {
        AddFolderCandidate(found.buffer());
      }
      break;
    }
    // Rejected: the consumed bytes are not searched again, but the last of them may be the
    // marker of a record that starts right behind it.
    b3 = b2 = b1 = -1;
    current = static_cast<unsigned char>(text[filled - 1]);
  }
}

void ProbeSharedAdobeFolders() {
  // The system's own record of its Common Files folders. From a 32-bit program on 64-bit Windows
  // the 64-bit view names the 64-bit folder and the program's own view the 32-bit one; a 64-bit
  // program finds the 32-bit folder under its own name.
  const wchar_t kVersionKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
  REGSAM views[2];
  int viewCount = RegistryViews(views);
  const struct {
    REGSAM view;
    const wchar_t* valueName;
  } kCommonFiles[] = {{views[viewCount - 1], L"CommonFilesDir"}, {0, L"CommonFilesDir (x86)"}, {0, L"CommonFilesDir"}};
  for (const auto& commonFiles : kCommonFiles) {
    FolderPath folder;
    if (QueryStringValue(HKEY_LOCAL_MACHINE, kVersionKey, commonFiles.valueName, &folder, commonFiles.view) !=
            ERROR_SUCCESS ||
        !folder.AppendPart(L"Adobe\\Plug-Ins\\CC")) {
      continue;
    }
    // Only the folder itself: trimmed to its parent it would be a folder no editor loads from.
    if (IsFolder(folder)) AddFolderCandidate(folder.buffer());
  }
}

namespace {
// The folder below the one the value names, offered when it exists (Photoshop's "Plug-ins",
// Paint.NET's "Effects"): trimmed to its parent it would be a folder no editor loads from.
void OfferBelowValue(const wchar_t* keyPath, const wchar_t* valueName, const wchar_t* below, REGSAM view) {
  FolderPath folder;
  if (QueryStringValue(HKEY_LOCAL_MACHINE, keyPath, valueName, &folder, view) == ERROR_SUCCESS &&
      IsAbsolutePath(folder) && folder.AppendPart(below) && IsFolder(folder)) {
    AddFolderCandidate(folder.buffer());
  }
}

// A folder of the signed-in user's, as the shell names it, with the tail appended; false when
// there is no such folder or the text would not fit.
bool UserFolder(int csidl, const wchar_t* tail, FolderPath* path) {
  ShortPath folder;
  return SystemFolderPath(csidl, &folder) && path->Join(folder, tail);
}
}  // namespace

void ProbePhotoshopVersions() {
  // Photoshop 2020 and later: each version under its number, 140.0 and up, with its program folder.
  const wchar_t kPhotoshop[] = L"SOFTWARE\\Adobe\\Photoshop";
  REGSAM views[2];
  int viewCount = RegistryViews(views);
  for (int view = 0; view < viewCount; ++view) {
    KeyPath version, keyPath;
    for (DWORD index = 0; EnumSubkey(HKEY_LOCAL_MACHINE, kPhotoshop, &version, index, views[view]) == ERROR_SUCCESS;
         ++index) {
      if (_wtoi(version) >= 140 && wcschr(version, L'.') && keyPath.Join(kPhotoshop, version)) {
        OfferBelowValue(keyPath, L"ApplicationPath", L"Plug-ins", views[view]);
      }
    }
  }
}

void ProbeTodaysEditors() {
  REGSAM views[2];
  int viewCount = RegistryViews(views);
  for (int view = 0; view < viewCount; ++view) OfferBelowValue(L"SOFTWARE\\paint.net", L"TARGETDIR", L"Effects", views[view]);
  // The Store edition of Paint.NET, and its filter host's own list of folders, in its user files.
  FolderPath folder, settings;
  if (UserFolder(CSIDL_PERSONAL, L"paint.net App Files", &folder) && IsFolder(folder)) {
    if (settings.Join(folder, L"PSFilterPdn.xml")) ScanFilterHostSettings(settings);
    if (folder.AppendPart(L"Effects")) AddFolderCandidate(folder.buffer(), true, true);
  }
  if (UserFolder(CSIDL_APPDATA, L"GIMP\\2.10\\gimprc", &settings)) ScanGimpSettings(settings);
  // Affinity Photo 2 and Affinity 3: a user who has run them has their data folder, with its
  // settings; the plug-in folder beside them is made on install, as the editor makes it.
  const struct {
    int csidl;
    const wchar_t* data;
  } kAffinity[] = {{CSIDL_APPDATA, L"Affinity\\Photo\\2.0"}, {CSIDL_PROFILE, L".affinity\\Photo\\2.0"},
                   {CSIDL_APPDATA, L"Affinity\\Affinity\\3.0"}, {CSIDL_PROFILE, L".affinity\\Affinity\\3.0"}};
  for (const auto& affinity : kAffinity) {
    if (UserFolder(affinity.csidl, affinity.data, &folder) && settings.Join(folder, L"Settings") &&
        IsFolder(settings) && folder.AppendPart(L"Plugins")) {
      AddFolderCandidate(folder.buffer(), true, true);
    }
  }
}

FolderCandidates RunDiscovery() {
  ScanRegistryTree(L"software", Maker(kMakerScanWord), L"");
  ScanRegistryTree(L"software", L"adobe", L"photoshop");
  ProbePhotoshopVersions();
  ProbeSharedAdobeFolders();
  ScanRegistryTree(L"software", L"corel", L"paint");
  ScanRegistryTree(L"software", L"jasc", L"paint");
  ScanRegistryTree(L"software", L"xara", L"xarax");

  // Each editor's program folder, read in every view; the painter's holds a settings file to scan.
  const struct {
    HKEY root;
    const wchar_t *keyPath, *subkeyName, *below;
    bool settingsFile;
  } kProbes[] = {
      {HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths", L"fireworks.exe", L"plug-ins",
       false},
      {HKEY_CLASSES_ROOT, L"PI3.Image", L"shell\\open\\command", L"plugin", false},
      {HKEY_CLASSES_ROOT, L"PainterFile", L"shell\\open\\command", L"painter.set", true},
  };
  REGSAM views[2];
  int viewCount = RegistryViews(views);
  for (const auto& probe : kProbes) {
    for (int view = 0; view < viewCount; ++view) {
      FolderPath found;
      if (!ProbeCommandFolder(probe.root, probe.keyPath, probe.subkeyName, &found, views[view]) ||
          !found.AppendPart(probe.below)) {
        continue;
      }
      if (probe.settingsFile) {
        ScanPainterSettings(found);
      } else {
        AddFolderCandidate(found.buffer());
      }
    }
  }
  ProbeTodaysEditors();
  FolderCandidates found = {};
  while (found.count < kFolderRows && !FolderTable[found.count].path.empty()) {
    found.rows[found.count] = FolderTable[found.count];
    ++found.count;
  }
  return found;
}
