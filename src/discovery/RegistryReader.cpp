#include "discovery/RegistryReader.h"

DWORD valueCursor;

namespace {
// Registry string data need not end in a NUL; what was read ends where its size says.
void TerminateData(char* data, DWORD size, DWORD type) {
  if (size > kRegistryTextLimit) size = kRegistryTextLimit;
  data[size] = '\0';
  if (type != REG_SZ) data[0] = '\0';
}
}  // namespace

LONG QueryStringValue(HKEY root, const char* keyPath, const char* valueName, char* data, REGSAM view) {
  HKEY key;
  LONG status = RegOpenKeyExA(root, keyPath, 0, KEY_READ | view, &key);
  if (status != ERROR_SUCCESS) return status;
  DWORD type = REG_SZ;
  DWORD size = kRegistryTextLimit;
  status = RegQueryValueExA(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
  if (status == ERROR_SUCCESS) {
    TerminateData(data, size, type);
  } else {
    data[0] = '\0';
  }
  RegCloseKey(key);
  return status;
}

LONG EnumNextValue(HKEY root, const char* keyPath, char* valueName, char* data, REGSAM view) {
  valueName[0] = '\0';
  data[0] = '\0';
  HKEY key;
  LONG status = RegOpenKeyExA(root, keyPath, 0, KEY_READ | view, &key);
  if (status != ERROR_SUCCESS) {
    valueCursor = 0;
    return status;
  }
  DWORD nameLength = kRegistryTextLimit;
  DWORD type = REG_SZ;
  DWORD size = kRegistryTextLimit;
  status = RegEnumValueA(key, valueCursor, valueName, &nameLength, nullptr, &type,
                         reinterpret_cast<BYTE*>(data), &size);
  if (status == ERROR_SUCCESS) {
    valueName[nameLength < kRegistryTextLimit ? nameLength : kRegistryTextLimit - 1] = '\0';
    TerminateData(data, size, type);
  } else {
    valueName[0] = '\0';  // a failed read may have left part of a name or data behind
    data[0] = '\0';
  }
  ++valueCursor;
  RegCloseKey(key);
  if (status != ERROR_SUCCESS) valueCursor = 0;
  return status;
}

LONG EnumSubkey(HKEY root, const char* keyPath, char* subkeyName, DWORD index, REGSAM view) {
  subkeyName[0] = '\0';
  HKEY key;
  LONG status = RegOpenKeyExA(root, keyPath, 0, KEY_READ | view, &key);
  if (status != ERROR_SUCCESS) return status;
  DWORD nameLength = kRegistryTextLimit;
  status = RegEnumKeyExA(key, index, subkeyName, &nameLength, nullptr, nullptr, nullptr, nullptr);
  if (status == ERROR_SUCCESS) {
    subkeyName[nameLength < kRegistryTextLimit ? nameLength : kRegistryTextLimit - 1] = '\0';
  } else {
    subkeyName[0] = '\0';
  }
  RegCloseKey(key);
  return status;
}
