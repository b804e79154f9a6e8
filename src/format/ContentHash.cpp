#include "format/ContentHash.h"

#include <string.h>

namespace setup_format {

namespace {
const uint32_t kPrime = 16777619u;
}  // namespace

void ContentHasher::Add(const void* bytes, size_t size) {
  const uint8_t* at = static_cast<const uint8_t*>(bytes);
  length_ += size;
  if (pendingSize_ > 0) {
    size_t taken = kBlock - pendingSize_ < size ? kBlock - pendingSize_ : size;
    memcpy(pending_ + pendingSize_, at, taken);
    pendingSize_ += taken;
    at += taken;
    size -= taken;
    if (pendingSize_ < kBlock) return;
    for (int lane = 0; lane < kLanes; ++lane) {
      uint32_t word;
      memcpy(&word, pending_ + 4 * lane, 4);
      lanes_[lane] = (lanes_[lane] ^ word) * kPrime;
    }
    pendingSize_ = 0;
  }
  uint32_t a = lanes_[0], b = lanes_[1], c = lanes_[2], d = lanes_[3];
  for (; size >= kBlock; at += kBlock, size -= kBlock) {
    uint32_t words[kLanes];
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
  for (uint32_t lane : lanes_) hash = (hash ^ lane) * 1099511628211ull;
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
  const uint8_t* at = static_cast<const uint8_t*>(bytes);
  for (size_t i = 0; i < size; ++i) hash = (hash ^ at[i]) * 1099511628211ull;
  return hash;
}

}  // namespace setup_format
