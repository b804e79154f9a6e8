#pragma once
// Real folders, files and registry keys for tests, removed again when a test ends. Texts are UTF-8
// here and go to the system through its wide interfaces, so that any name works in a test.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

using Bytes = std::vector<unsigned char>;

std::wstring Wide(const std::string& utf8);
std::string Utf8(const std::wstring& wide);

// A new folder below C:\ named after this process, in the letter case normalisation gives; removed at the end.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  const std::string& path() const { return path_; }     // ends in a backslash
  std::string Make(const std::string& relative) const;  // creates the folders; the full path
 private:
  std::string path_;
};

void RemoveTree(const std::string& path);
std::string MakeFolders(const std::string& path);  // with its parents; the path
std::string KnownFolder(int csidl);                // as the shell names it, without a backslash
bool WriteWholeFile(const std::string& path, const Bytes& bytes);
Bytes ReadWholeFile(const std::string& path);                     // empty when it cannot be read
std::vector<std::string> ListFolder(const std::string& folder);   // names, sorted
bool Exists(const std::string& path);
// The packed setup the layers' tests install from (UnitsPayload.exe beside the test), as a data file;
// the maker's values of the process are its own.
HMODULE PayloadModule();
Bytes ResourceBytes(const char* name, UINT type = 3000);  // one of its resources
// A file's or folder's access list as the system states it, and one set from its text (SDDL).
std::string AccessList(const std::string& path);
bool SetAccessList(const std::string& path, const wchar_t* list);

// Deletes the key and all below it at the end, unless it existed before: a test then must not use it.
class RegistryKeyGuard {
 public:
  RegistryKeyGuard(HKEY root, const std::string& path, REGSAM view = 0);
  ~RegistryKeyGuard();
  bool existedBefore() const { return existedBefore_; }
 private:
  HKEY root_;
  std::string path_;
  REGSAM view_;
  bool existedBefore_;
};

bool KeyExists(HKEY root, const std::string& path, REGSAM view = 0);
bool ReadValue(HKEY root, const std::string& key, const std::string& name, Bytes* data, DWORD* type = nullptr,
               REGSAM view = 0);
std::string ReadText(HKEY root, const std::string& key, const std::string& name);  // a REG_SZ value, "" if none
std::vector<std::string> ReadTexts(HKEY root, const std::string& key, const std::string& name);  // REG_MULTI_SZ
// Creates the key with its parents and sets one string value (REG_MULTI_SZ: texts separated by NULs);
// view may be KEY_WOW64_32KEY or _64KEY.
bool SetString(HKEY root, const std::string& key, const std::string& name, const std::string& text,
               DWORD type = REG_SZ, REGSAM view = 0);

// The files and folders the system deletes at the next start; entries below path are forgotten
// again, as they were the test's own.
std::vector<std::string> PendingDeletions();
void ForgetPendingDeletions(const std::string& path);

std::vector<std::string> FolderRows();  // the occupied rows of the candidate table, in order
void ClearFolderTable();
// This process's id, for names no other test process uses.
inline std::string Pid() { return std::to_string(GetCurrentProcessId()); }

// Seeded random texts (the same on every run; SETUP_SOAK=N runs N times as many) in a buffer of
// capacity characters at most, between guard characters: the operation gets each text and its
// capacity, length + 1 + up to slack. Fails where the text ends past its capacity or a guard changed.
int RandomBelow(int n);
std::wstring RandomText(int maxLength, const wchar_t* alphabet);
void SweepGuarded(int cases, int maxLength, int slack, const wchar_t* alphabet,
                  const std::function<void(wchar_t* text, size_t capacity)>& operation);
