#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>

#include <algorithm>

#include <aclapi.h>
#include <sddl.h>
#include <shlobj.h>

#include "base/MakerValues.h"
#include "base/PathText.h"
#include "discovery/FolderTable.h"

std::wstring Wide(const std::string& utf8) {  // NULs inside stay
  std::wstring wide(utf8.size(), L'\0');
  int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0],
                                   static_cast<int>(wide.size()));
  wide.resize(length > 0 ? length : 0);
  return wide;
}

std::string Utf8(const std::wstring& wide) {
  std::string utf8(3 * wide.size(), '\0');
  int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &utf8[0],
                                   static_cast<int>(utf8.size()), nullptr, nullptr);
  utf8.resize(length > 0 ? length : 0);
  return utf8;
}

TempFolder::TempFolder() {
  static int counter;
  do {
    path_ = "C:\\Testfolder" + Pid() + "-" + std::to_string(++counter) + "\\";
  } while (!CreateDirectoryW(Wide(path_).c_str(), nullptr) && GetLastError() == ERROR_ALREADY_EXISTS);
}

TempFolder::~TempFolder() { RemoveTree(path_); }

std::string TempFolder::Make(const std::string& relative) const { return MakeFolders(path_ + relative); }

std::string MakeFolders(const std::string& path) {
  for (size_t at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1)) {
    CreateDirectoryW(Wide(path.substr(0, at)).c_str(), nullptr);
  }
  CreateDirectoryW(Wide(path).c_str(), nullptr);
  return path;
}

std::string KnownFolder(int csidl) {
  wchar_t path[MAX_PATH] = L"";
  SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
  return Utf8(path);
}

void RemoveTree(const std::string& path) {
  std::string folder = path.back() == '\\' ? path.substr(0, path.size() - 1) : path;
  for (const std::string& name : ListFolder(folder + "\\")) {
    std::wstring full = Wide(folder + "\\" + name);
    SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!DeleteFileW(full.c_str())) RemoveTree(Utf8(full));
  }
  SetFileAttributesW(Wide(folder).c_str(), FILE_ATTRIBUTE_NORMAL);
  RemoveDirectoryW(Wide(folder).c_str());
}

std::string AccessList(const std::string& path) {
  HANDLE handle = CreateFileW(Wide(path).c_str(), READ_CONTROL, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  LPWSTR text = nullptr;
  if (GetSecurityInfo(handle, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, nullptr, nullptr,
                      &descriptor) == ERROR_SUCCESS) {
    ConvertSecurityDescriptorToStringSecurityDescriptorW(descriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION,
                                                         &text, nullptr);
  }
  std::string list = text ? Utf8(text) : "";
  LocalFree(text);
  LocalFree(descriptor);
  CloseHandle(handle);
  return list;
}

bool SetAccessList(const std::string& path, const wchar_t* list) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  PACL access = nullptr;
  BOOL present = FALSE, defaulted = FALSE;
  HANDLE handle = CreateFileW(Wide(path).c_str(), WRITE_DAC | READ_CONTROL,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  bool set = ConvertStringSecurityDescriptorToSecurityDescriptorW(list, SDDL_REVISION_1, &descriptor, nullptr) &&
             GetSecurityDescriptorDacl(descriptor, &present, &access, &defaulted) &&
             SetSecurityInfo(handle, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, access,
                             nullptr) == ERROR_SUCCESS;
  CloseHandle(handle);
  LocalFree(descriptor);
  return set;
}

bool WriteWholeFile(const std::string& path, const Bytes& bytes) {
  FILE* file = _wfopen(Wide(path).c_str(), L"wb");
  bool ok = file && fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return file && fclose(file) == 0 && ok;
}

Bytes ReadWholeFile(const std::string& path) {
  Bytes bytes;
  if (FILE* file = _wfopen(Wide(path).c_str(), L"rb")) {
    for (int c; (c = getc(file)) != EOF;) bytes.push_back(static_cast<unsigned char>(c));
    fclose(file);
  }
  return bytes;
}

std::vector<std::string> ListFolder(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(Wide(folder + "*").c_str(), &found);
  for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &found)) {
    if (wcscmp(found.cFileName, L".") && wcscmp(found.cFileName, L"..")) names.push_back(Utf8(found.cFileName));
  }
  if (search != INVALID_HANDLE_VALUE) FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

bool Exists(const std::string& path) { return GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

HMODULE PayloadModule() {
  static HMODULE module = [] {
    wchar_t path[MAX_PATH];
    std::wstring own(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
    HMODULE loaded = LoadLibraryExW((own.substr(0, own.find_last_of(L'\\') + 1) + L"UnitsPayload.exe").c_str(), nullptr,
                                    LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (loaded) LoadMakerValues(loaded);
    return loaded;
  }();
  return module;
}

// The maker's values before any test: keys, folders and names are made from them.
const bool kMakerValuesLoaded = PayloadModule() != nullptr;

Bytes ResourceBytes(const char* name, UINT type) {
  HMODULE module = PayloadModule();
  HRSRC resource = FindResourceA(module, name, MAKEINTRESOURCEA(type));
  HGLOBAL loaded = resource ? LoadResource(module, resource) : nullptr;
  const unsigned char* data = loaded ? static_cast<const unsigned char*>(LockResource(loaded)) : nullptr;
  return data ? Bytes(data, data + SizeofResource(module, resource)) : Bytes();
}

bool KeyExists(HKEY root, const std::string& path, REGSAM view) {
  HKEY key;
  bool exists = RegOpenKeyExW(root, Wide(path).c_str(), 0, KEY_READ | view, &key) == ERROR_SUCCESS;
  if (exists) RegCloseKey(key);
  return exists;
}

RegistryKeyGuard::RegistryKeyGuard(HKEY root, const std::string& path, REGSAM view)
    : root_(root), path_(path), view_(view), existedBefore_(KeyExists(root, path, view)) {}

RegistryKeyGuard::~RegistryKeyGuard() {
  // Opened in its view: RegDeleteTree's own opening of a subkey path would read the program's view.
  HKEY key;
  std::wstring path = Wide(path_);
  if (existedBefore_ || RegOpenKeyExW(root_, path.c_str(), 0, KEY_ALL_ACCESS | view_, &key) != ERROR_SUCCESS) return;
  RegDeleteTreeW(key, nullptr);
  RegCloseKey(key);
  RegDeleteKeyExW(root_, path.c_str(), view_, 0);
}

bool ReadValue(HKEY root, const std::string& key, const std::string& name, Bytes* data, DWORD* type, REGSAM view) {
  HKEY handle;
  DWORD size = 262144;
  data->assign(size, 0);
  LONG status = RegOpenKeyExW(root, Wide(key).c_str(), 0, KEY_QUERY_VALUE | view, &handle);
  if (status == ERROR_SUCCESS) {
    status = RegQueryValueExW(handle, Wide(name).c_str(), nullptr, type, data->data(), &size);
    RegCloseKey(handle);
  }
  data->resize(status == ERROR_SUCCESS ? size : 0);
  return status == ERROR_SUCCESS;
}

std::string ReadText(HKEY root, const std::string& key, const std::string& name) {
  Bytes data;
  if (!ReadValue(root, key, name, &data) || data.size() < 2) return "";
  return Utf8(std::wstring(reinterpret_cast<const wchar_t*>(data.data()), data.size() / 2 - 1));
}

std::vector<std::string> ReadTexts(HKEY root, const std::string& key, const std::string& name) {
  Bytes data;
  std::vector<std::string> texts;
  ReadValue(root, key, name, &data);
  data.insert(data.end(), 4, 0);
  for (const wchar_t* text = reinterpret_cast<const wchar_t*>(data.data()); *text; text += wcslen(text) + 1) {
    texts.push_back(Utf8(text));
  }
  return texts;
}

bool SetString(HKEY root, const std::string& key, const std::string& name, const std::string& text, DWORD type,
               REGSAM view) {
  HKEY handle;
  if (RegCreateKeyExW(root, Wide(key).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &handle, nullptr)) {
    return false;
  }
  std::wstring data = Wide(text);
  LONG status = RegSetValueExW(handle, Wide(name).c_str(), 0, type, reinterpret_cast<const BYTE*>(data.c_str()),
                               static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(handle);
  return status == ERROR_SUCCESS;
}

namespace {
const char kSessionManager[] = "System\\CurrentControlSet\\Control\\Session Manager";

// PendingFileRenameOperations: pairs of "\??\path" and the new name, empty for a deletion.
std::vector<std::pair<std::wstring, std::wstring>> PendingPairs() {
  Bytes data;
  std::vector<std::pair<std::wstring, std::wstring>> pairs;
  if (!ReadValue(HKEY_LOCAL_MACHINE, kSessionManager, "PendingFileRenameOperations", &data)) return pairs;
  data.insert(data.end(), 4, 0);
  const wchar_t* text = reinterpret_cast<const wchar_t*>(data.data());
  for (size_t at = 0; text[at]; at += pairs.back().first.size() + pairs.back().second.size() + 2) {
    pairs.emplace_back(text + at, text + at + wcslen(text + at) + 1);
  }
  return pairs;
}
}  // namespace

std::vector<std::string> PendingDeletions() {
  std::vector<std::string> deleted;
  for (const auto& pair : PendingPairs()) {
    if (pair.second.empty()) deleted.push_back(Utf8(pair.first.substr(pair.first.find(L':') - 1)));
  }
  return deleted;
}

void ForgetPendingDeletions(const std::string& path) {
  std::wstring kept, below = Wide(path.substr(0, path.find_last_not_of('\\') + 1));
  for (const auto& pair : PendingPairs()) {
    if (pair.first.find(below) != std::wstring::npos) continue;
    kept += pair.first + L'\0' + pair.second + L'\0';
  }
  HKEY key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, Wide(kSessionManager).c_str(), 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
  if (kept.empty()) {
    RegDeleteValueW(key, L"PendingFileRenameOperations");
  } else {
    RegSetValueExW(key, L"PendingFileRenameOperations", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(kept.c_str()),
                   static_cast<DWORD>((kept.size() + 1) * sizeof(wchar_t)));
  }
  RegCloseKey(key);
}

std::vector<std::string> FolderRows() {
  std::vector<std::string> rows;
  for (const FolderEntry& row : FolderTable) {
    if (!row.path.empty()) rows.push_back(Utf8(row.path.get()));
  }
  return rows;
}

void ClearFolderTable() { std::fill(std::begin(FolderTable), std::end(FolderTable), FolderEntry()); }

int RandomBelow(int n) {  // xorshift
  static unsigned state = 20261206;
  state ^= state << 13, state ^= state >> 17, state ^= state << 5;
  return static_cast<int>(state % static_cast<unsigned>(n));
}

std::wstring RandomText(int maxLength, const wchar_t* alphabet) {
  std::wstring text(RandomBelow(maxLength + 1), L' ');
  for (wchar_t& c : text) c = alphabet[RandomBelow(static_cast<int>(wcslen(alphabet)))];
  return text;
}

void SweepGuarded(int cases, int maxLength, int slack, const wchar_t* alphabet,
                  const std::function<void(wchar_t* text, size_t capacity)>& operation) {
  cases *= std::max(1, getenv("SETUP_SOAK") ? atoi(getenv("SETUP_SOAK")) : 1);
  for (int n = 0; n < cases; ++n) {
    std::wstring input = RandomText(maxLength, alphabet);
    wchar_t buffer[32 + kPathCapacity + 32], *text = buffer + 32, *after = text + kPathCapacity;
    std::fill(std::begin(buffer), std::end(buffer), L'\xA5A5');
    text[input.copy(text, kPathCapacity - 1)] = L'\0';
    size_t capacity = std::min<size_t>(input.size() + 1 + RandomBelow(slack + 1), kPathCapacity);
    operation(text, capacity);
    ASSERT_LT(wcsnlen(text, kPathCapacity), capacity) << "case " << n << ": " << Utf8(input);
    ASSERT_EQ(64, std::count(buffer, text, L'\xA5A5') + std::count(after, after + 32, L'\xA5A5')) << "case " << n;
  }
}
