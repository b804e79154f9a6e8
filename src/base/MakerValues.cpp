#include "base/MakerValues.h"

#include <string.h>
#include <wchar.h>

#include "base/ByteReader.h"
#include "base/Lzma.h"
#include "base/ScopedHandle.h"
#include "format/SetupFormat.h"

namespace {
enum { kValueCapacity = 260, kKeyCapacity = 128 + kValueCapacity };
const DWORD kLargestBlock = 16 * 1024;

// The process's values: read once, then only read (plain data: no static object with a destructor).
struct MakerTable {
  wchar_t values[kMakerValueCount][kValueCapacity];
  wchar_t makerKey[kKeyCapacity], entryName[kKeyCapacity], asideSuffix[kKeyCapacity], host[kValueCapacity];
};
MakerTable table;

bool Join(wchar_t* out, const wchar_t* a, const wchar_t* b, const wchar_t* c = L"") {
  if (wcslen(a) + wcslen(b) + wcslen(c) >= kKeyCapacity) return false;
  wcscpy(out, a);
  wcscat(out, b);
  wcscat(out, c);
  return true;
}

// The values in the decoded block; false when it is not as the packer writes it.
bool ReadBlock(const BYTE* bytes, DWORD size) {
  ByteReader block(bytes, size);
  WORD version = 0, count = 0;
  if (!block.Expect(setup_format::kMakerMagic, 4) || !block.Word(&version) || version != setup_format::kMakerVersion ||
      !block.Word(&count) || count != kMakerValueCount) {
    return false;
  }
  for (int i = 0; i < kMakerValueCount; ++i) {
    for (int length = 0;; ++length) {
      WORD c = 0;
      if (length >= kValueCapacity || !block.Word(&c)) return false;
      table.values[i][length] = static_cast<wchar_t>(c);
      if (!c) break;
    }
    if (!table.values[i][0]) return false;  // the packer refuses an empty value
  }
  return block.left() == 0;
}

void ForgetAll() { memset(&table, 0, sizeof table); }
}  // namespace

bool LoadMakerValues(HMODULE module) {
  ForgetAll();
  ScopedHeapBlock decoded;
  DWORD size = 0;
  if (UnpackResource(module, setup_format::kBlockType, setup_format::kMakerBlock, kLargestBlock, &decoded, &size) != 0 ||
      !ReadBlock(static_cast<const BYTE*>(decoded.get()), size)) {
    ForgetAll();
    return false;
  }
  const wchar_t* website = table.values[kMakerWebsite];
  const wchar_t* scheme = wcsstr(website, L"://");
  wcscpy(table.host, scheme ? scheme + 3 : website);
  table.host[wcscspn(table.host, L"/")] = L'\0';
  if (!Join(table.makerKey, L"Software\\", table.values[kMakerMakerName]) ||
      !Join(table.entryName, L"HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\",
            table.values[kMakerProductName]) ||
      !Join(table.asideSuffix, L".", table.values[kMakerScanWord], L"-old")) {
    ForgetAll();
    return false;
  }
  return true;
}

const wchar_t* Maker(MakerValue value) { return table.values[value]; }
const wchar_t* MakerKey() { return table.makerKey; }
const wchar_t* EntryName() { return table.entryName; }
const wchar_t* EntryKey() { return table.entryName + wcslen(L"HKEY_LOCAL_MACHINE\\"); }
const wchar_t* AsideSuffix() { return table.asideSuffix; }
const wchar_t* WebsiteHost() { return table.host; }
