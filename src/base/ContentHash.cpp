#include "base/ContentHash.h"

void HashText(ContentHash hash, wchar_t* text) {
  wsprintfW(text, L"%08lx%08lx", static_cast<unsigned long>(hash >> 32), static_cast<unsigned long>(hash));
}

bool HashOpenFile(HANDLE file, ContentHash* hash, bool earlier) {
  BYTE chunk[65536];
  ContentHasher hasher;
  ContentHash earlierHash = kEarlierEmptyHash;
  LARGE_INTEGER start = {};
  if (!SetFilePointerEx(file, start, nullptr, FILE_BEGIN)) return false;
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file, chunk, sizeof chunk, &got, nullptr)) return false;
    if (got == 0) break;
    if (earlier) {
      earlierHash = EarlierHashOf(earlierHash, chunk, got);
    } else {
      hasher.Add(chunk, got);
    }
  }
  *hash = earlier ? earlierHash : hasher.Finish();
  return true;
}
