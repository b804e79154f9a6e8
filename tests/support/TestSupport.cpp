#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>

#include "discovery/FolderTable.h"
#include "base/PathText.h"

TempFolder::TempFolder() {
  static int counter;
  do {
    path_ = "C:\\Testfolder" + Pid() + "-" + std::to_string(++counter) + "\\";
  } while (!CreateDirectoryA(path_.c_str(), nullptr) && GetLastError() == ERROR_ALREADY_EXISTS);
}

TempFolder::~TempFolder() { RemoveTree(path_); }

std::string TempFolder::Make(const std::string& relative) const {
  std::string full = path_;
  for (size_t i = 0; i <= relative.size(); ++i) {
    if (i == relative.size() || relative[i] == '\\') CreateDirectoryA(full.c_str(), nullptr);
    if (i < relative.size()) full += relative[i];
  }
  return full;
}

void RemoveTree(const std::string& path) {
  SetCurrentDirectoryA("C:\\");  // folder searches enter what they find; a current folder cannot go
  // A double-byte character's second byte may look like a backslash.
  std::string folder = EndsInBackslash(path.c_str()) ? path.substr(0, path.size() - 1) : path;
  for (const std::string& name : ListFolder(folder + "\\")) {
    std::string full = folder + "\\" + name;
    SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!DeleteFileA(full.c_str())) RemoveTree(full);
  }
  SetFileAttributesA(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
  RemoveDirectoryA(folder.c_str());
}

bool WriteWholeFile(const std::string& path, const Bytes& bytes) {
  FILE* file = fopen(path.c_str(), "wb");
  bool ok = file && fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return file && fclose(file) == 0 && ok;
}

Bytes ReadWholeFile(const std::string& path) {
  Bytes bytes;
  if (FILE* file = fopen(path.c_str(), "rb")) {
    for (int c; (c = getc(file)) != EOF;) bytes.push_back(static_cast<unsigned char>(c));
    fclose(file);
  }
  return bytes;
}

std::vector<std::string> ListFolder(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
  for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found)) {
    if (lstrcmpA(found.cFileName, ".") && lstrcmpA(found.cFileName, "..")) names.push_back(found.cFileName);
  }
  if (search != INVALID_HANDLE_VALUE) FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

Bytes ResourceBytes(const char* name) {
  HRSRC resource = FindResourceA(nullptr, name, MAKEINTRESOURCEA(3000));
  HGLOBAL loaded = resource ? LoadResource(nullptr, resource) : nullptr;
  const unsigned char* data = loaded ? static_cast<const unsigned char*>(LockResource(loaded)) : nullptr;
  return data ? Bytes(data, data + SizeofResource(nullptr, resource)) : Bytes();
}

bool KeyExists(HKEY root, const std::string& path, REGSAM view) {
  HKEY key;
  bool exists = RegOpenKeyExA(root, path.c_str(), 0, KEY_READ | view, &key) == ERROR_SUCCESS;
  if (exists) RegCloseKey(key);
  return exists;
}

RegistryKeyGuard::RegistryKeyGuard(HKEY root, const std::string& path, REGSAM view)
    : root_(root), path_(path), view_(view), existedBefore_(KeyExists(root, path, view)) {}

RegistryKeyGuard::~RegistryKeyGuard() {
  // Opened in its view: RegDeleteTree's own opening of a subkey path would read the program's view.
  HKEY key;
  if (existedBefore_ || RegOpenKeyExA(root_, path_.c_str(), 0, KEY_ALL_ACCESS | view_, &key) != ERROR_SUCCESS) return;
  RegDeleteTreeA(key, nullptr);
  RegCloseKey(key);
  RegDeleteKeyExA(root_, path_.c_str(), view_, 0);
}

bool ReadValue(HKEY root, const std::string& key, const std::string& name, Bytes* data, DWORD* type, REGSAM view) {
  HKEY handle;
  DWORD size = 65536;
  data->assign(size, 0);
  LONG status = RegOpenKeyExA(root, key.c_str(), 0, KEY_QUERY_VALUE | view, &handle);
  if (status == ERROR_SUCCESS) {
    status = RegQueryValueExA(handle, name.c_str(), nullptr, type, data->data(), &size);
    RegCloseKey(handle);
  }
  data->resize(status == ERROR_SUCCESS ? size : 0);
  return status == ERROR_SUCCESS;
}

bool SetString(HKEY root, const std::string& key, const std::string& name, const std::string& text, DWORD type,
               REGSAM view) {
  // Through the wide API: Wine's ANSI registry calls refuse key paths over 260 characters, and
  // tests build deeper trees than that on purpose.
  std::wstring wide(key.size() + 1, L'\0');
  MultiByteToWideChar(CP_ACP, 0, key.c_str(), -1, &wide[0], static_cast<int>(wide.size()));
  HKEY handle;
  if (RegCreateKeyExW(root, wide.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &handle, nullptr)) {
    return false;
  }
  LONG status = RegSetValueExA(handle, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                               static_cast<DWORD>(text.size() + 1));
  RegCloseKey(handle);
  return status == ERROR_SUCCESS;
}

namespace {
const char kSessionManager[] = "System\\CurrentControlSet\\Control\\Session Manager";

// PendingFileRenameOperations: pairs of "\??\path" and the new name, empty for a deletion.
std::vector<std::pair<std::string, std::string>> PendingPairs() {
  Bytes data;
  std::vector<std::pair<std::string, std::string>> pairs;
  if (!ReadValue(HKEY_LOCAL_MACHINE, kSessionManager, "PendingFileRenameOperations", &data)) return pairs;
  data.push_back(0);
  for (size_t at = 0; at < data.size() && data[at]; at += pairs.back().first.size() + pairs.back().second.size() + 2) {
    const char* from = reinterpret_cast<const char*>(&data[at]);
    pairs.emplace_back(from, from + strlen(from) + 1);
  }
  return pairs;
}
}  // namespace

std::vector<std::string> PendingDeletions() {
  std::vector<std::string> deleted;
  for (const auto& pair : PendingPairs()) {
    if (pair.second.empty()) deleted.push_back(pair.first.substr(pair.first.find(':') - 1));
  }
  return deleted;
}

void ForgetPendingDeletions(const std::string& path) {
  std::string kept;
  for (const auto& pair : PendingPairs()) {
    if (pair.first.find(path.substr(0, path.find_last_not_of('\\') + 1)) != std::string::npos) continue;
    kept += pair.first + '\0' + pair.second + '\0';
  }
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
  if (kept.empty()) {
    RegDeleteValueA(key, "PendingFileRenameOperations");
  } else {
    RegSetValueExA(key, "PendingFileRenameOperations", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(kept.c_str()),
                   static_cast<DWORD>(kept.size() + 1));
  }
  RegCloseKey(key);
}

std::vector<std::string> FolderRows() {
  std::vector<std::string> rows;
  for (const FolderEntry& row : FolderTable) {
    if (row.path[0]) rows.push_back(row.path);
  }
  return rows;
}

void ClearFolderTable() { std::fill(std::begin(FolderTable), std::end(FolderTable), FolderEntry()); }

int RandomBelow(int n) {  // xorshift
  static unsigned state = 20261206;
  state ^= state << 13, state ^= state >> 17, state ^= state << 5;
  return static_cast<int>(state % static_cast<unsigned>(n));
}

std::string RandomText(int maxLength, const char* alphabet) {
  std::string text(RandomBelow(maxLength + 1), ' ');
  for (char& c : text) c = alphabet[RandomBelow(static_cast<int>(strlen(alphabet)))];
  return text;
}

void SweepGuarded(int cases, int maxLength, int slack, const char* alphabet,
                  const std::function<void(char* text, size_t capacity)>& operation) {
  cases *= std::max(1, getenv("SETUP_SOAK") ? atoi(getenv("SETUP_SOAK")) : 1);
  for (int n = 0; n < cases; ++n) {
    std::string input = RandomText(maxLength, alphabet);
    char buffer[32 + kPathCapacity + 32], *text = buffer + 32, *after = text + kPathCapacity;
    memset(buffer, 0xA5, sizeof buffer);
    text[input.copy(text, kPathCapacity - 1)] = '\0';
    size_t capacity = std::min<size_t>(input.size() + 1 + RandomBelow(slack + 1), kPathCapacity);
    operation(text, capacity);
    ASSERT_LT(strnlen(text, kPathCapacity), capacity) << "case " << n << ": " << input;
    ASSERT_EQ(64, std::count(buffer, text, '\xA5') + std::count(after, after + 32, '\xA5')) << "case " << n;
  }
}
