#pragma once
// Whether a file is still the one the setup wrote: a 64-bit hash of its bytes, kept in the install
// record as 16 hex digits, and checked against the packer's for every item it decodes. Four lanes
// of 32-bit FNV-1a over little-endian words, which a processor works on at once (a plug-in's model
// of hundreds of megabytes is hashed as fast as it is written), the rest and the length mixed in
// at the end. tools/pack_payload.c computes the same.
#include <windows.h>

enum { kHashTextCapacity = 17 };  // 16 hex digits and a NUL

typedef unsigned long long ContentHash;

class ContentHasher {
 public:
  void Add(const void* bytes, size_t size);
  ContentHash Finish() const;

 private:
  enum { kLanes = 4, kBlock = 4 * kLanes };
  UINT32 lanes_[kLanes] = {2166136261u, 2166136261u ^ 1u, 2166136261u ^ 2u, 2166136261u ^ 3u};
  BYTE pending_[kBlock] = {};
  size_t pendingSize_ = 0;
  ULONGLONG length_ = 0;
};

// The hash of the bytes, whole.
ContentHash HashOf(const void* bytes, size_t size);

// The 64-bit FNV-1a hash that records of earlier versions of the setup hold.
ContentHash EarlierHashOf(ContentHash hash, const void* bytes, size_t size);
const ContentHash kEarlierEmptyHash = 14695981039346656037ull;

// The hash as 16 lower-case hex digits.
void HashText(ContentHash hash, wchar_t* text);

// Hashes the file from its start to its end; earlier: with the hash of earlier versions. False, with
// GetLastError, on a read error.
bool HashOpenFile(HANDLE file, ContentHash* hash, bool earlier = false);
