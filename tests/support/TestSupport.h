#pragma once
// Real folders, files and registry keys for tests, removed again when a test ends.
#include <windows.h>

#include <string>
#include <vector>

// A new, empty folder, removed with everything in it when the test ends.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::string& path() const { return path_; }  // ends in a backslash
  std::string Make(const std::string& relative) const;  // creates the folders; returns the full path
 private:
  std::string path_;
};

void RemoveTree(const std::string& path);
bool FolderExists(const std::string& path);
bool WriteWholeFile(const std::string& path, const std::vector<unsigned char>& bytes);
bool ReadWholeFile(const std::string& path, std::vector<unsigned char>* bytes);
std::vector<std::string> ListFolder(const std::string& folder);  // names, sorted

// The bytes of a type-3000 resource of the given module (this test executable by default).
std::vector<unsigned char> ResourceBytes(const char* name, HMODULE module = nullptr);

// Deletes a registry key and everything below it, when the test ends, unless it existed before.
class RegistryKeyGuard {
 public:
  RegistryKeyGuard(HKEY root, const std::string& path);
  ~RegistryKeyGuard();
  RegistryKeyGuard(const RegistryKeyGuard&) = delete;
  RegistryKeyGuard& operator=(const RegistryKeyGuard&) = delete;
  bool existedBefore() const { return existedBefore_; }
 private:
  HKEY root_;
  std::string path_;
  bool existedBefore_;
};

bool KeyExists(HKEY root, const std::string& path);

// The value's type and data, or false when it cannot be read.
bool ReadValue(HKEY root, const std::string& key, const std::string& name, DWORD* type,
               std::vector<unsigned char>* data);

// Creates the key (and its parents) and sets one value.
bool SetValue(HKEY root, const std::string& key, const std::string& name, DWORD type, const void* data,
              DWORD size);
bool SetString(HKEY root, const std::string& key, const std::string& name, const std::string& text,
               DWORD type = REG_SZ);
bool MakeKey(HKEY root, const std::string& key);

// The occupied rows of the candidate table, in order; and a table as at start-up.
std::vector<std::string> FolderRows();
void ClearFolderTable();

std::string Pid();  // this process's id, for names no other test process uses
