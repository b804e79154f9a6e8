#pragma once
// Whether a file is still the one the setup wrote: a 64-bit hash of its bytes, which the packer
// stores for every item and the setup checks as it decodes and records. Four lanes of 32-bit FNV-1a
// over little-endian words, which a processor works on at once (a plug-in's model of hundreds of
// megabytes is hashed as fast as it is written), the rest and the length mixed in at the end.
#include <stddef.h>
#include <stdint.h>

namespace setup_format {

typedef uint64_t ContentHash;

class ContentHasher {
 public:
  void Add(const void* bytes, size_t size);
  ContentHash Finish() const;

 private:
  enum { kLanes = 4, kBlock = 4 * kLanes };
  uint32_t lanes_[kLanes] = {2166136261u, 2166136261u ^ 1u, 2166136261u ^ 2u, 2166136261u ^ 3u};
  uint8_t pending_[kBlock] = {};
  size_t pendingSize_ = 0;
  uint64_t length_ = 0;
};

// The hash of the bytes, whole.
ContentHash HashOf(const void* bytes, size_t size);

// The 64-bit FNV-1a hash that records of earlier versions of the setup hold.
ContentHash EarlierHashOf(ContentHash hash, const void* bytes, size_t size);
const ContentHash kEarlierEmptyHash = 14695981039346656037ull;

}  // namespace setup_format
