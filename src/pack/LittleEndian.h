#pragma once
// Numbers as every format a setup carries stores them: little-endian, whatever the packing machine.
#include <stddef.h>
#include <stdint.h>

#include <vector>

inline uint16_t Get16(const uint8_t* at) { return static_cast<uint16_t>(at[0] | at[1] << 8); }
inline uint32_t Get32(const uint8_t* at) { return Get16(at) | static_cast<uint32_t>(Get16(at + 2)) << 16; }

// The value's low bytes appended, or written in place.
inline void PutNumber(std::vector<uint8_t>* out, uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out->push_back(static_cast<uint8_t>(value >> (8 * i)));
}
inline void Put16(std::vector<uint8_t>* out, uint32_t value) { PutNumber(out, value, 2); }
inline void Put32(std::vector<uint8_t>* out, uint32_t value) { PutNumber(out, value, 4); }
inline void Set16(uint8_t* at, uint32_t value) {
  at[0] = static_cast<uint8_t>(value);
  at[1] = static_cast<uint8_t>(value >> 8);
}
inline void Set32(uint8_t* at, uint32_t value) {
  Set16(at, value);
  Set16(at + 2, value >> 16);
}
