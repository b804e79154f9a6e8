#include "support/TestSupport.h"

#include <stdio.h>

#include <algorithm>

#include "discovery/FolderTable.h"

TempFolder::TempFolder() {
  // Directly below C:\ and already in the letter case that path normalisation produces, so that
  // expected rows can be written as this path followed by a literal.
  static int counter;
  char name[64];
  for (;;) {
    wsprintfA(name, "C:\\Testfolder%lu-%d\\", GetCurrentProcessId(), ++counter);
    path_ = name;
    if (CreateDirectoryA(path_.c_str(), nullptr)) break;
    if (GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
}

TempFolder::~TempFolder() { RemoveTree(path_); }

std::string TempFolder::Make(const std::string& relative) const {
  std::string full = path_;
  for (size_t i = 0; i <= relative.size(); ++i) {
    if (i == relative.size() || relative[i] == '\\') {
      CreateDirectoryA(full.c_str(), nullptr);
      if (i == relative.size()) break;
    }
    full += relative[i];
  }
  return full;
}

void RemoveTree(const std::string& path) {
  // Folder searches move the current directory into what they find: leave, so the folder can go.
  SetCurrentDirectoryA("C:\\");
  std::string folder = path;
  if (!folder.empty() && folder.back() == '\\') folder.pop_back();
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      std::string full = folder + "\\" + name;
      SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(full);
      } else {
        DeleteFileA(full.c_str());
      }
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  SetFileAttributesA(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
  RemoveDirectoryA(folder.c_str());
}

bool FolderExists(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool WriteWholeFile(const std::string& path, const std::vector<unsigned char>& bytes) {
  FILE* file = fopen(path.c_str(), "wb");
  if (!file) return false;
  bool ok = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return fclose(file) == 0 && ok;
}

bool ReadWholeFile(const std::string& path, std::vector<unsigned char>* bytes) {
  bytes->clear();
  FILE* file = fopen(path.c_str(), "rb");
  if (!file) return false;
  unsigned char chunk[4096];
  size_t got;
  while ((got = fread(chunk, 1, sizeof chunk, file)) > 0) bytes->insert(bytes->end(), chunk, chunk + got);
  fclose(file);
  return true;
}

std::vector<std::string> ListFolder(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    std::string name = found.cFileName;
    if (name != "." && name != "..") names.push_back(name);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<unsigned char> ResourceBytes(const char* name, HMODULE module) {
  if (!module) module = GetModuleHandleA(nullptr);
  HRSRC resource = FindResourceA(module, name, MAKEINTRESOURCEA(3000));
  if (!resource) return {};
  DWORD size = SizeofResource(module, resource);
  const unsigned char* data = static_cast<const unsigned char*>(LockResource(LoadResource(module, resource)));
  if (!data) return {};
  return std::vector<unsigned char>(data, data + size);
}

bool KeyExists(HKEY root, const std::string& path) {
  HKEY key;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

RegistryKeyGuard::RegistryKeyGuard(HKEY root, const std::string& path)
    : root_(root), path_(path), existedBefore_(KeyExists(root, path)) {}

RegistryKeyGuard::~RegistryKeyGuard() {
  if (!existedBefore_) RegDeleteTreeA(root_, path_.c_str());  // the key itself goes too
}

bool ReadValue(HKEY root, const std::string& key, const std::string& name, DWORD* type,
               std::vector<unsigned char>* data) {
  HKEY handle;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
  DWORD size = 0;
  LONG status = RegQueryValueExA(handle, name.c_str(), nullptr, type, nullptr, &size);
  if (status == ERROR_SUCCESS) {
    data->resize(size);
    status = RegQueryValueExA(handle, name.c_str(), nullptr, type, data->data(), &size);
    data->resize(size);
  }
  RegCloseKey(handle);
  return status == ERROR_SUCCESS;
}

namespace {
// Created through the wide API: Wine's ANSI registry calls refuse key paths over 260 characters,
// and tests build deeper trees than that on purpose.
HKEY CreateKey(HKEY root, const std::string& key) {
  std::wstring wide(key.size() + 1, L'\0');
  int length = MultiByteToWideChar(CP_ACP, 0, key.c_str(), -1, &wide[0], static_cast<int>(wide.size()));
  if (length <= 0) return nullptr;
  HKEY handle;
  if (RegCreateKeyExW(root, wide.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle, nullptr) !=
      ERROR_SUCCESS) {
    return nullptr;
  }
  return handle;
}
}  // namespace

bool SetValue(HKEY root, const std::string& key, const std::string& name, DWORD type, const void* data,
              DWORD size) {
  HKEY handle = CreateKey(root, key);
  if (!handle) return false;
  LONG status = RegSetValueExA(handle, name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
  RegCloseKey(handle);
  return status == ERROR_SUCCESS;
}

bool SetString(HKEY root, const std::string& key, const std::string& name, const std::string& text, DWORD type) {
  return SetValue(root, key, name, type, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

bool MakeKey(HKEY root, const std::string& key) {
  HKEY handle = CreateKey(root, key);
  if (handle) RegCloseKey(handle);
  return handle != nullptr;
}

std::vector<std::string> FolderRows() {
  std::vector<std::string> rows;
  for (const FolderEntry& row : FolderTable) {
    if (row.path[0]) rows.push_back(row.path);
  }
  return rows;
}

void ClearFolderTable() {
  for (FolderEntry& row : FolderTable) row = FolderEntry();
}

std::string Pid() { return std::to_string(GetCurrentProcessId()); }
