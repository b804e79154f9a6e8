// The entry in the list of installed programs, written by a run against a key of this test's own.
#include <gtest/gtest.h>

#include <map>

#include "payload/PayloadRun.h"
#include "record/InstallRecord.h"
#include "support/TestSupport.h"

namespace {
// Every value of the key: its type and bytes, by name.
std::map<std::wstring, std::pair<DWORD, Bytes>> ValuesOf(HKEY key) {
  std::map<std::wstring, std::pair<DWORD, Bytes>> values;
  for (DWORD index = 0;; ++index) {
    wchar_t name[256];
    BYTE data[8192];
    DWORD nameLength = 256, type = 0, size = sizeof data;
    if (RegEnumValueW(key, index, name, &nameLength, nullptr, &type, data, &size) != ERROR_SUCCESS) return values;
    values[name] = {type, Bytes(data, data + size)};
  }
}
}  // namespace

// A run that fails as it writes the entry, at a late value or after the last, puts every value back: the version
// that deployment tools detect an installation by, the uninstall commands, the record's lists; the maker's own
// values stay untouched.
TEST(EntrySnapshot, ARunThatFailsWritingTheEntryPutsEveryValueBack) {
  const std::string path = "Software\\VelmoranEntryTest" + Pid();
  RegistryKeyGuard guard(HKEY_CURRENT_USER, path);
  ASSERT_FALSE(guard.existedBefore());
  TempFolder folder;
  const std::string earlier = folder.Make("earlier") + "\\";
  ASSERT_TRUE(SetString(HKEY_CURRENT_USER, path, "DisplayVersion", "1.0.0") &&
              SetString(HKEY_CURRENT_USER, path, "InstallLocation", earlier) &&
              SetString(HKEY_CURRENT_USER, path, "InstalledFolders", earlier, REG_MULTI_SZ) &&
              SetString(HKEY_CURRENT_USER, path, "Comments", "the maker's own"));
  HKEY entry = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_ALL_ACCESS, &entry));
  const auto before = ValuesOf(entry);
  PayloadRun run;
  ASSERT_EQ(0u, run.folder.Open(Wide(folder.path()).c_str(), kWriteFolder));
  run.written.Record(false, Wide(folder.path() + "MienFold.8bf").c_str(), 77824, 1);
  InstallRecord record;
  ASSERT_EQ(static_cast<DWORD>(ERROR_SUCCESS), ReadInstallRecord(entry, &record));
  for (const wchar_t* refused : {L"QuietUninstallString", L"MovedAsideFiles", static_cast<const wchar_t*>(nullptr)}) {
    SCOPED_TRACE(refused ? Utf8(refused) : "after the last value");
    EntrySnapshot snapshot;
    ASSERT_EQ(static_cast<DWORD>(ERROR_SUCCESS), snapshot.Take(entry));
    EXPECT_EQ(static_cast<DWORD>(refused ? ERROR_ACCESS_DENIED : ERROR_SUCCESS),
              RecordInstallation(entry, record, run, L"C:\\Program Files\\Velmoran Plugins\\Uninstall.exe", refused));
    EXPECT_NE(before, ValuesOf(entry));
    EXPECT_EQ(static_cast<DWORD>(ERROR_SUCCESS), snapshot.PutBack(entry));
    EXPECT_EQ(before, ValuesOf(entry));
  }
  RegCloseKey(entry);
}
