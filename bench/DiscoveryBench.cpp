// Prints what the registry walk of discovery costs against a walk that keeps its key handles open.
// Discovery opens every key by its full path for each single read; the held-handle walk opens each
// key once. Both read the same values and subkey names of the same synthetic vendor tree.
#include <stdio.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "discovery/FolderTable.h"
#include "discovery/HostProbes.h"
#include "discovery/RegistryReader.h"
#include "discovery/RegistryScanner.h"

namespace {

const int kFanOut = 10;
const int kRounds = 5;

// Breadth-first: kFanOut children per key until the tree holds keyCount keys, each with values of
// the kinds vendors store (none of them a plug-in folder, so only the walk is measured).
void BuildTree(const std::string& root, int keyCount) {
  std::vector<std::string> queue = {root};
  int made = 0;
  for (size_t next = 0; made < keyCount; ++next) {
    for (int child = 0; child < kFanOut && made < keyCount; ++child, ++made) {
      std::string key = queue[next] + "\\Component " + std::to_string(child);
      HKEY handle;
      if (RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle,
                          nullptr) != ERROR_SUCCESS) {
        fprintf(stderr, "cannot create %s\n", key.c_str());
        return;
      }
      const char name[] = "Example component";
      const char path[] = "Resources\\Example";
      DWORD version = 0x00010002;
      RegSetValueExA(handle, "DisplayName", 0, REG_SZ, reinterpret_cast<const BYTE*>(name), sizeof name);
      RegSetValueExA(handle, "Resources", 0, REG_SZ, reinterpret_cast<const BYTE*>(path), sizeof path);
      RegSetValueExA(handle, "Version", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&version), sizeof version);
      RegCloseKey(handle);
      queue.push_back(key);
    }
  }
}

int HeldHandleWalk(HKEY key) {
  int visited = 1;
  char name[256];
  BYTE data[256];
  for (DWORD index = 0;; ++index) {
    DWORD nameLength = sizeof name, size = sizeof data, type = REG_SZ;
    if (RegEnumValueA(key, index, name, &nameLength, nullptr, &type, data, &size) != ERROR_SUCCESS) break;
  }
  for (DWORD index = 0;; ++index) {
    DWORD nameLength = sizeof name;
    if (RegEnumKeyExA(key, index, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    HKEY child;
    if (RegOpenKeyExA(key, name, 0, KEY_READ, &child) != ERROR_SUCCESS) continue;
    visited += HeldHandleWalk(child);
    RegCloseKey(child);
  }
  return visited;
}

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main() {
  printf("%8s %14s %18s %8s\n", "keys", "discovery ms", "held-handle ms", "ratio");
  for (int keyCount : {1000, 10000}) {
    std::string vendor = "benchvendor" + std::to_string(GetCurrentProcessId());
    std::string root = "software\\" + vendor;
    BuildTree(root, keyCount);
    std::vector<double> scans, walks;
    int visited = 0;
    for (int round = 0; round < kRounds; ++round) {
      LARGE_INTEGER start, middle, end;
      QueryPerformanceCounter(&start);
      ScanRegistryTree(L"software", std::wstring(vendor.begin(), vendor.end()).c_str(), L"");
      QueryPerformanceCounter(&middle);
      HKEY key;
      if (RegOpenKeyExA(HKEY_CURRENT_USER, root.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS) {
        visited = HeldHandleWalk(key) - 1;
        RegCloseKey(key);
      }
      QueryPerformanceCounter(&end);
      scans.push_back(Milliseconds(start, middle));
      walks.push_back(Milliseconds(middle, end));
    }
    RegDeleteTreeA(HKEY_CURRENT_USER, root.c_str());
    if (visited != keyCount) fprintf(stderr, "walk saw %d keys of %d\n", visited, keyCount);
    double scan = Median(scans), walk = Median(walks);
    printf("%8d %14.1f %18.1f %8.2f\n", keyCount, scan, walk, scan / walk);
  }
  // The whole sequence as the dialog runs it, in this prefix's registry: under WOW64 it reads the
  // machine's keys in both views, so running this in a 32-bit and a 64-bit prefix shows what the
  // second view costs.
  REGSAM views[2];
  int viewCount = RegistryViews(views);
  std::vector<double> runs;
  for (int round = 0; round < 4 * kRounds; ++round) {
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    RunDiscovery();
    QueryPerformanceCounter(&end);
    runs.push_back(Milliseconds(start, end));
  }
  printf("whole discovery sequence, %d registry view%s: %.2f ms (median of %d)\n", viewCount, viewCount > 1 ? "s" : "",
         Median(runs), 4 * kRounds);
  return 0;
}
