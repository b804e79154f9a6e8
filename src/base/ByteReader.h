#pragma once
// Reads what the packer wrote into a setup: little-endian numbers and runs of bytes from a block of
// known size, in order, never past its end. A read that does not fit fails and moves nothing.
#include <stddef.h>
#include <string.h>
#include <windows.h>

class ByteReader {
 public:
  ByteReader(const void* data, size_t size) : at_(static_cast<const BYTE*>(data)), end_(at_ + size) {}

  bool Word(WORD* value) { return Number(value); }
  bool Dword(DWORD* value) { return Number(value); }
  bool Qword(ULONGLONG* value) { return Number(value); }
  // The next count bytes where they lie; null when fewer are left.
  const BYTE* Bytes(size_t count) {
    if (count > left()) return nullptr;
    const BYTE* start = at_;
    at_ += count;
    return start;
  }
  // Whether the next bytes are these; passed over when they are.
  bool Expect(const void* expected, size_t count) {
    if (count > left() || memcmp(at_, expected, count) != 0) return false;
    at_ += count;
    return true;
  }
  size_t left() const { return static_cast<size_t>(end_ - at_); }
  const BYTE* position() const { return at_; }

 private:
  template <typename T>
  bool Number(T* value) {
    const BYTE* bytes = Bytes(sizeof(T));
    if (!bytes) return false;
    T read = 0;
    for (size_t i = sizeof(T); i-- > 0;) read = static_cast<T>(read << 8 | bytes[i]);
    *value = read;
    return true;
  }

  const BYTE* at_;
  const BYTE* end_;
};
