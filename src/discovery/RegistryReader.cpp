#include "discovery/RegistryReader.h"

#include "base/ScopedHandle.h"

DWORD valueCursor;

namespace {
const DWORD kDataBytes = kRegistryTextLimit * sizeof(wchar_t);
static_assert(static_cast<int>(kRegistryTextLimit) < static_cast<int>(kPathCapacity),
              "the text and its terminator fit");

// Registry string data need not end in a NUL; what was read ends where its size says.
void TerminateData(FolderPath* data, DWORD size, DWORD type) {
  if (size > kDataBytes) size = kDataBytes;
  data->Truncate(type == REG_SZ ? size / sizeof(wchar_t) : 0);
}

// A name the registry wrote, of nameLength characters.
void TerminateName(KeyPath* name, DWORD nameLength) {
  name->Truncate(nameLength < kRegistryTextLimit ? nameLength : kRegistryTextLimit - 1);
}
}  // namespace

SystemError QueryStringValue(HKEY root, const wchar_t* keyPath, const wchar_t* valueName, FolderPath* data,
                             REGSAM view) {
  data->Clear();
  ScopedKey key;
  SystemError status = key.Open(root, keyPath, KEY_READ | view);
  if (status != ERROR_SUCCESS) return status;
  DWORD type = REG_SZ;
  DWORD size = kDataBytes;
  status = RegQueryValueExW(key.get(), valueName, nullptr, &type, reinterpret_cast<BYTE*>(data->buffer()), &size);
  if (status == ERROR_SUCCESS) {
    TerminateData(data, size, type);
  } else {
    data->Clear();
  }
  return status;
}

SystemError EnumNextValue(HKEY root, const wchar_t* keyPath, KeyPath* valueName, FolderPath* data, REGSAM view) {
  valueName->Clear();
  data->Clear();
  ScopedKey key;
  SystemError status = key.Open(root, keyPath, KEY_READ | view);
  if (status != ERROR_SUCCESS) {
    valueCursor = 0;
    return status;
  }
  DWORD nameLength = kRegistryTextLimit;
  DWORD type = REG_SZ;
  DWORD size = kDataBytes;
  status = RegEnumValueW(key.get(), valueCursor, valueName->buffer(), &nameLength, nullptr, &type,
                         reinterpret_cast<BYTE*>(data->buffer()), &size);
  if (status == ERROR_SUCCESS) {
    TerminateName(valueName, nameLength);
    TerminateData(data, size, type);
  } else {
    valueName->Clear();  // a failed read may have left part of a name or data behind
    data->Clear();
  }
  ++valueCursor;
  if (status != ERROR_SUCCESS) valueCursor = 0;
  return status;
}

SystemError EnumSubkey(HKEY root, const wchar_t* keyPath, KeyPath* subkeyName, DWORD index, REGSAM view) {
  subkeyName->Clear();
  ScopedKey key;
  SystemError status = key.Open(root, keyPath, KEY_READ | view);
  if (status != ERROR_SUCCESS) return status;
  DWORD nameLength = kRegistryTextLimit;
  status = RegEnumKeyExW(key.get(), index, subkeyName->buffer(), &nameLength, nullptr, nullptr, nullptr, nullptr);
  if (status == ERROR_SUCCESS) {
    TerminateName(subkeyName, nameLength);
  } else {
    subkeyName->Clear();
  }
  return status;
}
