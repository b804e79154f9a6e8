#include "discovery/RegistryScanner.h"

#include <wchar.h>

#include "base/PathText.h"
#include "discovery/FolderTable.h"
#include "discovery/RegistryReader.h"

bool KeyPathStack::Push(KeyPath* keyPath, const wchar_t* subkeyName, DWORD* index) {
  if (top + 1 >= kStackDepth) return false;
  size_t length = keyPath->length();
  if (!keyPath->Append(L"\\")) return false;
  if (!keyPath->Append(subkeyName)) {
    keyPath->Truncate(length);
    return false;
  }
  ++top;
  savedIndex[top] = static_cast<int>(*index);
  savedLength[top] = static_cast<int>(length);
  *index = 0;
  return true;
}

int KeyPathStack::Pop(KeyPath* keyPath) {
  if (top < 0) {
    top = -1;
    return -1;
  }
  keyPath->Truncate(static_cast<size_t>(savedLength[top]));
  return savedIndex[top--];
}

namespace {
bool ValueNamesPluginFolder(wchar_t* keyPath, wchar_t* valueName, wchar_t* data, const wchar_t* needle) {
  if (!data[0]) return false;
  StripLeadingNonLetters(data);
  if (!IsAbsolutePath(data)) return false;
  LowerAscii(keyPath);
  if (!FindText(keyPath, needle)) return false;
  if (FindText(keyPath, L"plug")) return true;
  LowerAscii(valueName);
  return FindText(valueName, L"plug") || FindText(valueName, L"directory1") || FindText(valueName, L"directory2") ||
         FindText(valueName, L"directory3");
}
}  // namespace

void ScanRegistryTree(const wchar_t* softwareWord, const wchar_t* vendorWord, const wchar_t* keyPathNeedle) {
  // HKEY_CURRENT_USER and HKEY_USERS are the same in both views; the machine's second view, where
  // there is one, comes last so that what the program's own view finds keeps its place.
  REGSAM views[2];
  int viewCount = RegistryViews(views);
  const struct {
    HKEY root;
    REGSAM view;
  } kSources[] = {{HKEY_CURRENT_USER, 0}, {HKEY_LOCAL_MACHINE, 0}, {HKEY_USERS, 0}, {HKEY_LOCAL_MACHINE, views[1]}};
  KeyPathStack stack;
  KeyPath keyPath, valueName, subkeyName;
  FolderPath data;

  for (int source = 0; source < 3 + (viewCount - 1); ++source) {
    HKEY root = kSources[source].root;
    REGSAM view = kSources[source].view;
    // Other users' profiles are none of our business; the default profile seeds new ones.
    const wchar_t* profile = root == HKEY_USERS ? L".default\\" : L"";
    if (!keyPath.Assign(profile) || !keyPath.Append(softwareWord) || !keyPath.AppendPart(vendorWord)) continue;

    DWORD subkeyIndex = 0;
    bool enteredNewKey = true;
    for (;;) {
      if (enteredNewKey) {
        while (EnumNextValue(root, keyPath, &valueName, &data, view) == ERROR_SUCCESS) {
          if (ValueNamesPluginFolder(keyPath.buffer(), valueName.buffer(), data.buffer(), keyPathNeedle)) {
            AddFolderCandidate(data.buffer());
          }
        }
      }
      if (EnumSubkey(root, keyPath, &subkeyName, subkeyIndex, view) == ERROR_SUCCESS) {
        enteredNewKey = stack.Push(&keyPath, subkeyName, &subkeyIndex);
        // Too deep, or a path too long to hold: that subtree is skipped, its siblings are not.
        if (!enteredNewKey) ++subkeyIndex;
        continue;
      }
      int parentIndex = stack.Pop(&keyPath);
      if (parentIndex < 0) break;
      subkeyIndex = static_cast<DWORD>(parentIndex) + 1;
      enteredNewKey = false;
    }
  }
}
