#include "payload/PresetValues.h"

#include <string.h>

#include "base/Product.h"
#include "base/RegistryView.h"
#include "payload/InstallFailures.h"
#include "payload/WrittenItems.h"

namespace {
const PresetKind kPresetKinds[] = {
    {"PresetsSketchesbin", MAKER_KEY "\\Graphitor", "Portrait", 12, 64},
    {"PresetsBouquetsbin", MAKER_KEY "\\Quiltor", "Bouquet", 16, 128},
    {"PresetsPatternsbin", MAKER_KEY "\\Quiltor", "Patterns", 12, 128},
};
}  // namespace

const PresetKind* FindPresetKind(const char* installName) {
  for (const PresetKind& kind : kPresetKinds) {
    if (strstr(installName, kind.keyword)) return &kind;
  }
  return nullptr;
}

void WritePresetBlock(const PresetKind& kind, const BYTE* data, DWORD size, const char* resourceName) {
  DWORD needed = static_cast<DWORD>(kind.recordCount) * static_cast<DWORD>(kind.recordSize);
  if (size < needed) {
    RecordInstallFailure(kPresetTooShort, resourceName, ERROR_INVALID_DATA);
    return;
  }
  // 32-bit and 64-bit filters each read their own registry view: under WOW64 both get the values.
  REGSAM views[2];
  int viewCount = RegistryViews(views);
  for (int record = 1; record <= kind.recordCount; ++record) {
    char valueName[32];  // prefixes are short constants; wsprintfA itself stops at 1024
    wsprintfA(valueName, "%s%0.2i", kind.valuePrefix, record);
    for (int view = 0; view < viewCount; ++view) {
      LONG status = WriteRegistryValue(valueName, kind.keyPath,
                                       data + static_cast<DWORD>(record - 1) * kind.recordSize,
                                       static_cast<DWORD>(kind.recordSize), views[view]);
      char subject[kFailureSubjectCapacity];
      wsprintfA(subject, "HKEY_LOCAL_MACHINE\\%s\\%s%s", kind.keyPath, valueName, view ? OTHER_VIEW_SUFFIX : "");
      if (status != ERROR_SUCCESS) {
        RecordInstallFailure(kRegistryNotWritten, subject, static_cast<DWORD>(status));
      } else {
        RecordWritten(true, subject, static_cast<DWORD>(kind.recordSize));
      }
    }
  }
}

LONG WriteRegistryValue(const char* valueName, const char* keyPath, const void* data, DWORD size, REGSAM view) {
  HKEY key;
  char noClass[] = "";
  LONG status = RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, noClass, REG_OPTION_NON_VOLATILE,
                                KEY_ALL_ACCESS | view, nullptr, &key, nullptr);
  if (status != ERROR_SUCCESS) return status;
  status = RegSetValueExA(key, valueName, 0, REG_BINARY, static_cast<const BYTE*>(data), size);
  RegCloseKey(key);
  return status;
}
