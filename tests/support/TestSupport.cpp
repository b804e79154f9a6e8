#include "support/TestSupport.h"

#include <stdio.h>

#include <algorithm>

TempFolder::TempFolder() {
  static int counter;
  char base[MAX_PATH];
  DWORD length = GetTempPathA(MAX_PATH, base);
  if (length == 0 || length >= MAX_PATH) lstrcpyA(base, "C:\\");
  char name[64];
  for (;;) {
    wsprintfA(name, "setuptest-%lu-%d\\", GetCurrentProcessId(), ++counter);
    path_ = std::string(base) + name;
    if (CreateDirectoryA(path_.c_str(), nullptr)) break;
    if (GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
}

TempFolder::~TempFolder() {
  // Tests move the current directory into the folder; leave it so the folder can go.
  char base[MAX_PATH];
  if (GetTempPathA(MAX_PATH, base)) SetCurrentDirectoryA(base);
  RemoveTree(path_);
}

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
