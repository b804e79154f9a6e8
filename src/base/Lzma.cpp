#include "base/Lzma.h"

#include "base/ByteReader.h"

#include "LzmaDec.h"

static_assert(kLzmaPropertiesSize == LZMA_PROPS_SIZE, "the SDK's property size");

namespace {
void* Allocate(void*, size_t size) { return size ? HeapAlloc(GetProcessHeap(), 0, size) : nullptr; }
void Release(void*, void* block) {
  if (block) HeapFree(GetProcessHeap(), 0, block);
}
ISzAlloc heapAllocator = {Allocate, Release};
}  // namespace

SystemError OpenLzma(LzmaReader* reader, const BYTE* stream, size_t size, ULONGLONG total, DWORD largestWindow) {
  *reader = LzmaReader();
  if (size < LZMA_PROPS_SIZE) return ERROR_INVALID_DATA;
  CLzmaDec* decoder = static_cast<CLzmaDec*>(Allocate(nullptr, sizeof(CLzmaDec)));
  if (!decoder) return ERROR_NOT_ENOUGH_MEMORY;
  LzmaDec_Construct(decoder);
  SRes result = LzmaDec_AllocateProbs(decoder, stream, LZMA_PROPS_SIZE, &heapAllocator);
  // The window needs no more than the whole output: a match never reaches back past its start.
  ULONGLONG window = decoder->prop.dicSize < total ? decoder->prop.dicSize : total;
  if (window == 0) window = 1;
  SystemError error = result == SZ_ERROR_MEM ? ERROR_NOT_ENOUGH_MEMORY
                : result != SZ_OK || window > largestWindow ? ERROR_INVALID_DATA
                                                             : 0;
  if (!error) {
    decoder->dic = static_cast<Byte*>(Allocate(nullptr, static_cast<size_t>(window)));
    decoder->dicBufSize = static_cast<SizeT>(window);
    if (!decoder->dic) error = ERROR_NOT_ENOUGH_MEMORY;
  }
  reader->decoder = decoder;
  if (error) {
    CloseLzma(reader);
    return error;
  }
  LzmaDec_Init(decoder);
  reader->at = stream + LZMA_PROPS_SIZE;
  reader->end = stream + size;
  reader->left = total;
  return 0;
}

SystemError ReadLzma(LzmaReader* reader, BYTE* out, DWORD capacity, DWORD* produced) {
  *produced = 0;
  CLzmaDec* decoder = static_cast<CLzmaDec*>(reader->decoder);
  if (!decoder) return ERROR_INVALID_DATA;
  SizeT made = reader->left < capacity ? static_cast<SizeT>(reader->left) : capacity;
  SizeT taken = static_cast<SizeT>(reader->end - reader->at);
  ELzmaFinishMode mode = made == reader->left ? LZMA_FINISH_END : LZMA_FINISH_ANY;
  ELzmaStatus status;
  SRes result = LzmaDec_DecodeToBuf(decoder, out, &made, reader->at, &taken, mode, &status);
  reader->at += taken;
  reader->left -= made;
  *produced = static_cast<DWORD>(made);
  bool ended = reader->left == 0;
  if (result != SZ_OK || (made == 0 && capacity > 0 && !ended) ||
      (ended && status != LZMA_STATUS_MAYBE_FINISHED_WITHOUT_MARK && status != LZMA_STATUS_FINISHED_WITH_MARK)) {
    return ERROR_INVALID_DATA;
  }
  return 0;
}

void CloseLzma(LzmaReader* reader) {
  CLzmaDec* decoder = static_cast<CLzmaDec*>(reader->decoder);
  if (decoder) {
    Release(nullptr, decoder->dic);
    decoder->dic = nullptr;
    LzmaDec_FreeProbs(decoder, &heapAllocator);
    Release(nullptr, decoder);
  }
  *reader = LzmaReader();
}

SystemError UnpackResource(HMODULE module, UINT type, UINT id, DWORD largest, ScopedHeapBlock* bytes, DWORD* size) {
  bytes->reset();
  *size = 0;
  HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(type));
  DWORD stored = resource ? SizeofResource(module, resource) : 0;
  HGLOBAL loaded = resource ? LoadResource(module, resource) : nullptr;
  const BYTE* data = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
  if (!data || stored < 4 + kLzmaPropertiesSize) return ERROR_RESOURCE_DATA_NOT_FOUND;
  DWORD total = 0;
  ByteReader(data, stored).Dword(&total);
  if (total == 0 || total > largest) return ERROR_INVALID_DATA;
  bytes->reset(HeapAlloc(GetProcessHeap(), 0, total));
  if (!bytes->valid()) return ERROR_NOT_ENOUGH_MEMORY;
  LzmaReader reader;
  SystemError error = OpenLzma(&reader, data + 4, stored - 4, total, largest);
  for (DWORD got = 0, produced = 0; !error && got < total; got += produced) {
    error = ReadLzma(&reader, static_cast<BYTE*>(bytes->get()) + got, total - got, &produced);
  }
  CloseLzma(&reader);
  if (error) {
    bytes->reset();
    return error;
  }
  *size = total;
  return 0;
}
