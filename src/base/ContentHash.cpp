#include "base/ContentHash.h"

ContentHash HashBytes(ContentHash hash, const void* bytes, size_t size) {
  const BYTE* at = static_cast<const BYTE*>(bytes);
  for (size_t i = 0; i < size; ++i) hash = (hash ^ at[i]) * 1099511628211ull;
  return hash;
}

void HashText(ContentHash hash, wchar_t* text) {
  wsprintfW(text, L"%08lx%08lx", static_cast<unsigned long>(hash >> 32), static_cast<unsigned long>(hash));
}

bool HashOpenFile(HANDLE file, ContentHash* hash) {
  static BYTE chunk[65536];
  *hash = kEmptyContentHash;
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file, chunk, sizeof chunk, &got, nullptr)) return false;
    if (got == 0) return true;
    *hash = HashBytes(*hash, chunk, got);
  }
}
