#include "discovery/RegistryReader.h"

#include "base/ScopedHandle.h"

DWORD valueCursor;

namespace {
const DWORD kDataBytes = kRegistryTextLimit * sizeof(wchar_t);

// Registry string data need not end in a NUL; what was read ends where its size says.
void TerminateData(wchar_t* data, DWORD size, DWORD type) {
  if (size > kDataBytes) size = kDataBytes;
  data[size / sizeof(wchar_t)] = L'\0';
  if (type != REG_SZ) data[0] = L'\0';
}
}  // namespace

SystemError QueryStringValue(HKEY root, const wchar_t* keyPath, const wchar_t* valueName, wchar_t* data, REGSAM view) {
  data[0] = L'\0';
  ScopedKey key;
  SystemError status = key.Open(root, keyPath, KEY_READ | view);
  if (status != ERROR_SUCCESS) return status;
  DWORD type = REG_SZ;
  DWORD size = kDataBytes;
  status = RegQueryValueExW(key.get(), valueName, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
  if (status == ERROR_SUCCESS) {
    TerminateData(data, size, type);
  } else {
    data[0] = L'\0';
  }
  return status;
}

SystemError EnumNextValue(HKEY root, const wchar_t* keyPath, wchar_t* valueName, wchar_t* data, REGSAM view) {
  valueName[0] = L'\0';
  data[0] = L'\0';
  ScopedKey key;
  SystemError status = key.Open(root, keyPath, KEY_READ | view);
  if (status != ERROR_SUCCESS) {
    valueCursor = 0;
    return status;
  }
  DWORD nameLength = kRegistryTextLimit;
  DWORD type = REG_SZ;
  DWORD size = kDataBytes;
  status = RegEnumValueW(key.get(), valueCursor, valueName, &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(data),
                         &size);
  if (status == ERROR_SUCCESS) {
    valueName[nameLength < kRegistryTextLimit ? nameLength : kRegistryTextLimit - 1] = L'\0';
    TerminateData(data, size, type);
  } else {
    valueName[0] = L'\0';  // a failed read may have left part of a name or data behind
    data[0] = L'\0';
  }
  ++valueCursor;
  if (status != ERROR_SUCCESS) valueCursor = 0;
  return status;
}

SystemError EnumSubkey(HKEY root, const wchar_t* keyPath, wchar_t* subkeyName, DWORD index, REGSAM view) {
  subkeyName[0] = L'\0';
  ScopedKey key;
  SystemError status = key.Open(root, keyPath, KEY_READ | view);
  if (status != ERROR_SUCCESS) return status;
  DWORD nameLength = kRegistryTextLimit;
  status = RegEnumKeyExW(key.get(), index, subkeyName, &nameLength, nullptr, nullptr, nullptr, nullptr);
  if (status == ERROR_SUCCESS) {
    subkeyName[nameLength < kRegistryTextLimit ? nameLength : kRegistryTextLimit - 1] = L'\0';
  } else {
    subkeyName[0] = L'\0';
  }
  return status;
}
