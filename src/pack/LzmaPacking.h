#pragma once
// The LZMA streams a setup decodes: 5 bytes of properties, then the raw stream without end mark, with
// the LZMA SDK's encoder, single-threaded, so that the same input gives the same bytes everywhere.
#include <stddef.h>
#include <stdint.h>

#include <vector>

// Where the encoder's input comes from, piece by piece: a payload is never held whole.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Up to *size bytes into out; *size becomes what was read, 0 at the end. False on a read error.
  virtual bool Read(uint8_t* out, size_t* size) = 0;
};

// Appends the stream of size bytes (size: a hint for the dictionary) to out. utf16: the input is
// UTF-16 text, which LZMA takes best as two-byte units without literal context. False when the
// source fails or memory runs out.
bool Compress(ByteSource* source, uint64_t size, bool utf16, std::vector<uint8_t>* out);
bool CompressBytes(const uint8_t* bytes, size_t size, bool utf16, std::vector<uint8_t>* out);
// How many bytes the fast mode makes of them, in a fraction of the time: enough to tell whether
// they compress at all. The source's size where it fails.
uint64_t QuickCompressedSize(ByteSource* source, uint64_t size);
uint64_t QuickCompressedSize(const uint8_t* bytes, size_t size);
