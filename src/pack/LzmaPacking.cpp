#include "pack/LzmaPacking.h"

#include <stdlib.h>
#include <string.h>

#include "LzmaEnc.h"
#include "format/SetupFormat.h"

namespace {
void* Allocate(void*, size_t size) { return size ? malloc(size) : nullptr; }
void Release(void*, void* block) { free(block); }
ISzAlloc allocator = {Allocate, Release};

// The SDK's streams: a C struct of function pointers first, our state behind it.
struct InStream {
  ISeqInStream stream;
  ByteSource* source;
  bool failed;
};
struct OutStream {
  ISeqOutStream stream;
  std::vector<uint8_t>* out;
};

SRes ReadIn(void* p, void* buffer, size_t* size) {
  InStream* in = static_cast<InStream*>(p);
  if (!in->source->Read(static_cast<uint8_t*>(buffer), size)) {
    in->failed = true;
    return SZ_ERROR_READ;
  }
  return SZ_OK;
}

size_t WriteOut(void* p, const void* buffer, size_t size) {
  std::vector<uint8_t>* out = static_cast<OutStream*>(p)->out;
  const uint8_t* bytes = static_cast<const uint8_t*>(buffer);
  out->insert(out->end(), bytes, bytes + size);
  return size;
}

class MemorySource : public ByteSource {
 public:
  MemorySource(const uint8_t* bytes, size_t size) : at_(bytes), left_(size) {}
  bool Read(uint8_t* out, size_t* size) override {
    size_t taken = *size < left_ ? *size : left_;
    if (taken) memcpy(out, at_, taken);
    at_ += taken;
    left_ -= taken;
    *size = taken;
    return true;
  }

 private:
  const uint8_t* at_;
  size_t left_;
};

bool Encode(ByteSource* source, uint64_t size, bool utf16, bool quick, std::vector<uint8_t>* out) {
  CLzmaEncProps props;
  LzmaEncProps_Init(&props);
  props.level = quick ? 1 : 9;
  if (utf16) {
    props.lc = 0;
    props.lp = 1;
    props.pb = 1;
  }
  props.dictSize = quick ? 1u << 20 : setup_format::kLargestDictionary;
  props.fb = quick ? 32 : 64;
  props.numThreads = 1;
  props.reduceSize = size > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<UInt32>(size);
  CLzmaEncHandle encoder = LzmaEnc_Create(&allocator);
  if (!encoder) return false;
  Byte header[LZMA_PROPS_SIZE];
  SizeT headerSize = LZMA_PROPS_SIZE;
  bool done = LzmaEnc_SetProps(encoder, &props) == SZ_OK &&
              LzmaEnc_WriteProperties(encoder, header, &headerSize) == SZ_OK && headerSize == LZMA_PROPS_SIZE;
  if (done) {
    out->insert(out->end(), header, header + LZMA_PROPS_SIZE);
    InStream in = {{ReadIn}, source, false};
    OutStream sink = {{WriteOut}, out};
    done = LzmaEnc_Encode(encoder, &sink.stream, &in.stream, nullptr, &allocator, &allocator) == SZ_OK && !in.failed;
  }
  LzmaEnc_Destroy(encoder, &allocator, &allocator);
  return done;
}

}  // namespace

bool Compress(ByteSource* source, uint64_t size, bool utf16, std::vector<uint8_t>* out) {
  return Encode(source, size, utf16, false, out);
}

bool CompressBytes(const uint8_t* bytes, size_t size, bool utf16, std::vector<uint8_t>* out) {
  MemorySource source(bytes, size);
  return Compress(&source, size, utf16, out);
}

uint64_t QuickCompressedSize(ByteSource* source, uint64_t size) {
  std::vector<uint8_t> out;
  return Encode(source, size, false, true, &out) ? out.size() : size;
}

uint64_t QuickCompressedSize(const uint8_t* bytes, size_t size) {
  MemorySource source(bytes, size);
  return QuickCompressedSize(&source, size);
}
