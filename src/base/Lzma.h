#pragma once
// Decoding of the LZMA streams the build made (5 bytes of properties, then the data, no end mark),
// a piece at a time, with the LZMA SDK's decoder. Its memory is bounded: a window of at most the
// largest dictionary the build uses, a few kilobytes of tables.
#include <windows.h>

#include "base/ScopedHandle.h"
#include "base/SystemError.h"

enum { kLzmaPropertiesSize = 5 };

struct LzmaReader {
  void* decoder = nullptr;  // the SDK's state, private to Lzma.cpp
  const BYTE* at = nullptr;
  const BYTE* end = nullptr;
  ULONGLONG left = 0;  // bytes still to come out
};

// Opens the stream of size bytes that decodes to total bytes. 0, or ERROR_INVALID_DATA for
// properties the decoder refuses or a window over largestWindow, ERROR_NOT_ENOUGH_MEMORY.
SystemError OpenLzma(LzmaReader* reader, const BYTE* stream, size_t size, ULONGLONG total, DWORD largestWindow);

// Decodes the next bytes, as many as fit capacity and are left, into out. 0, or ERROR_INVALID_DATA
// when the stream is damaged or ends too soon; *produced then counts the good bytes before it.
SystemError ReadLzma(LzmaReader* reader, BYTE* out, DWORD capacity, DWORD* produced);

void CloseLzma(LzmaReader* reader);

// A resource the build compressed alone (type and id: u32 bytes when decoded, then its stream),
// decoded whole onto the heap. 0, or ERROR_RESOURCE_DATA_NOT_FOUND when the module carries none,
// ERROR_INVALID_DATA when it is larger than largest or does not decode, ERROR_NOT_ENOUGH_MEMORY.
SystemError UnpackResource(HMODULE module, UINT type, UINT id, DWORD largest, ScopedHeapBlock* bytes, DWORD* size);
