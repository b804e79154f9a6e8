#include "base/ContentHash.h"

#include <string.h>

namespace {
const UINT32 kPrime = 16777619u;
}  // namespace

void ContentHasher::Add(const void* bytes, size_t size) {
  const BYTE* at = static_cast<const BYTE*>(bytes);
  length_ += size;
  if (pendingSize_ > 0) {
    size_t taken = kBlock - pendingSize_ < size ? kBlock - pendingSize_ : size;
    memcpy(pending_ + pendingSize_, at, taken);
    pendingSize_ += taken;
    at += taken;
    size -= taken;
    if (pendingSize_ < kBlock) return;
    for (int lane = 0; lane < kLanes; ++lane) {
      UINT32 word;
      memcpy(&word, pending_ + 4 * lane, 4);
      lanes_[lane] = (lanes_[lane] ^ word) * kPrime;
    }
    pendingSize_ = 0;
  }
  UINT32 a = lanes_[0], b = lanes_[1], c = lanes_[2], d = lanes_[3];
  for (; size >= kBlock; at += kBlock, size -= kBlock) {
    UINT32 words[kLanes];
    memcpy(words, at, kBlock);  // little-endian, as every processor Windows runs on
    a = (a ^ words[0]) * kPrime;
    b = (b ^ words[1]) * kPrime;
    c = (c ^ words[2]) * kPrime;
    d = (d ^ words[3]) * kPrime;
  }
  lanes_[0] = a, lanes_[1] = b, lanes_[2] = c, lanes_[3] = d;
  memcpy(pending_, at, size);
  pendingSize_ = size;
}

ContentHash ContentHasher::Finish() const {
  ContentHash hash = EarlierHashOf(kEarlierEmptyHash, pending_, pendingSize_);
  for (UINT32 lane : lanes_) hash = (hash ^ lane) * 1099511628211ull;
  hash = (hash ^ length_) * 1099511628211ull;
  hash ^= hash >> 29;  // the high bits into the low ones
  return hash;
}

ContentHash HashOf(const void* bytes, size_t size) {
  ContentHasher hasher;
  hasher.Add(bytes, size);
  return hasher.Finish();
}

ContentHash EarlierHashOf(ContentHash hash, const void* bytes, size_t size) {
  const BYTE* at = static_cast<const BYTE*>(bytes);
  for (size_t i = 0; i < size; ++i) hash = (hash ^ at[i]) * 1099511628211ull;
  return hash;
}

void HashText(ContentHash hash, wchar_t* text) {
  wsprintfW(text, L"%08lx%08lx", static_cast<unsigned long>(hash >> 32), static_cast<unsigned long>(hash));
}

bool HashOpenFile(HANDLE file, ContentHash* hash, bool earlier) {
  static BYTE chunk[65536];
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
