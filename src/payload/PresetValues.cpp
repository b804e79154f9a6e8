#include "payload/PresetValues.h"

#include <wchar.h>

#include "base/PathText.h"
#include "base/MakerValues.h"
#include "base/RegistryView.h"
#include "base/ScopedHandle.h"
#include "format/PresetKinds.h"
#include "payload/PayloadRun.h"

namespace {
// A value as the record, the log and the messages name it. subject: kFailureSubjectCapacity
// characters, more than a preset kind's key and value name need.
void NameValue(wchar_t* subject, const wchar_t* keyPath, const wchar_t* valueName, bool otherView) {
  wsprintfW(subject, L"HKEY_LOCAL_MACHINE\\%s\\%s%s", keyPath, valueName, otherView ? OTHER_VIEW_SUFFIX : L"");
}

const PresetKind kPresetKinds[] = {
#define SETUP_PRESET_KIND(kind, keyword, subkey, prefix, count, size) {L"" keyword, L"" subkey, L"" prefix, count, size},
    SETUP_PRESET_KINDS(SETUP_PRESET_KIND)
#undef SETUP_PRESET_KIND
};
}  // namespace

bool PresetKeyPathOf(const PresetKind& kind, PresetKeyPath* keyPath) {
  return keyPath->Join(MakerKey(), kind.subkey);
}

const PresetKind* FindPresetKind(const wchar_t* installName) {
  for (const PresetKind& kind : kPresetKinds) {
    if (wcsstr(installName, kind.keyword)) return &kind;
  }
  return nullptr;
}

void WritePresetBlock(PayloadRun* run, const PresetKind& kind, const BYTE* data, DWORD size, const wchar_t* resourceName) {
  DWORD needed = static_cast<DWORD>(kind.recordCount) * static_cast<DWORD>(kind.recordSize);
  PresetKeyPath keyPath;
  if (!PresetKeyPathOf(kind, &keyPath)) {
    run->failures.Record(kRegistryNotWritten, kind.subkey, ERROR_INVALID_NAME);
    return;
  }
  if (size < needed) {
    run->failures.Record(kPresetTooShort, resourceName, ERROR_INVALID_DATA);
    return;
  }
  // 32-bit and 64-bit filters each read their own registry view: under WOW64 both get the values.
  REGSAM views[2];
  int viewCount = RegistryViews(views);
  for (int record = 1; record <= kind.recordCount; ++record) {
    wchar_t valueName[32];  // prefixes are short constants
    wsprintfW(valueName, L"%s%0.2i", kind.valuePrefix, record);
    for (int view = 0; view < viewCount; ++view) {
      SystemError status = run->values.Remember(keyPath, valueName, views[view]);
      if (status == ERROR_SUCCESS) {
        status = WriteRegistryValue(valueName, keyPath, data + static_cast<DWORD>(record - 1) * kind.recordSize,
                                    static_cast<DWORD>(kind.recordSize), views[view]);
      }
      wchar_t subject[kFailureSubjectCapacity];
      NameValue(subject, keyPath, valueName, view != 0);
      if (status != ERROR_SUCCESS) {
        run->failures.Record(kRegistryNotWritten, subject, status);
      } else {
        run->written.Record(true, subject, static_cast<DWORD>(kind.recordSize));
      }
    }
  }
}

SystemError WriteRegistryValue(const wchar_t* valueName, const wchar_t* keyPath, const void* data, DWORD size, REGSAM view) {
  ScopedKey key;
  SystemError status = RegCreateKeyExW(HKEY_LOCAL_MACHINE, keyPath, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE | view,
                                nullptr, key.receive(), nullptr);
  if (status != ERROR_SUCCESS) return status;
  return RegSetValueExW(key.get(), valueName, 0, REG_BINARY, static_cast<const BYTE*>(data), size);
}

void RemoveEmptyKeys(const wchar_t* key, REGSAM view) {
  KeyPath keyPath;
  if (!keyPath.Assign(key)) return;
  while (MakerKey()[0] && HasPrefixIgnoringCase(keyPath, MakerKey())) {
    ScopedKey key;
    DWORD subkeys = 1, valueCount = 1;
    if (key.Open(HKEY_LOCAL_MACHINE, keyPath, KEY_READ | view) != ERROR_SUCCESS) return;
    RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &valueCount, nullptr, nullptr,
                     nullptr, nullptr);
    key.reset();
    if (subkeys || valueCount || RegDeleteKeyExW(HKEY_LOCAL_MACHINE, keyPath, view, 0) != ERROR_SUCCESS) return;
    const wchar_t* parent = wcsrchr(keyPath, L'\\');
    if (!parent) return;
    keyPath.Truncate(static_cast<size_t>(parent - keyPath.get()));
  }
}

SystemError ValueJournal::Remember(const wchar_t* keyPath, const wchar_t* name, REGSAM view) {
  if (!entries_.Reserve()) return ERROR_NOT_ENOUGH_MEMORY;
  Entry entry;
  if (!entry.name.Assign(name) || !entry.keyPath.Assign(keyPath)) return ERROR_INVALID_NAME;
  entry.view = view;
  entry.size = kDataCapacity;
  ScopedKey key;
  SystemError status = key.Open(HKEY_LOCAL_MACHINE, keyPath, KEY_QUERY_VALUE | view);
  if (status == ERROR_SUCCESS) status = RegQueryValueExW(key.get(), name, nullptr, &entry.type, entry.data, &entry.size);
  entry.existed = status == ERROR_SUCCESS;
  if (!entry.existed && status != ERROR_FILE_NOT_FOUND) return status;
  if (recorder) {
    status = recorder->WillWriteValue(keyPath, name, view, entry.existed, entry.type, entry.data, entry.size);
    if (status != ERROR_SUCCESS) return status;
  }
  *entries_.Append() = entry;  // the room was reserved above
  return ERROR_SUCCESS;
}

void ValueJournal::TakeBack(InstallFailures* failures) {
  for (int i = entries_.count() - 1; i >= 0; --i) {
    const Entry& entry = entries_[i];
    ScopedKey key;
    SystemError status = key.Open(HKEY_LOCAL_MACHINE, entry.keyPath, KEY_SET_VALUE | entry.view);
    if (status == ERROR_SUCCESS) {
      status = entry.existed ? RegSetValueExW(key.get(), entry.name, 0, entry.type, entry.data, entry.size)
                             : RegDeleteValueW(key.get(), entry.name);
    }
    key.reset();
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) {
      wchar_t subject[kFailureSubjectCapacity];
      NameValue(subject, entry.keyPath, entry.name, entry.view != 0);
      failures->Record(kNotTakenBack, subject, status);
    }
    RemoveEmptyKeys(entry.keyPath, entry.view);
  }
  entries_.Clear();
}
