#include "skin/PackedBitmap.h"

#include "base/Lzma.h"
#include "base/GdiScope.h"

namespace {
const DWORD kLargestBitmap = 4u << 20;  // the largest picture of a setup is a few hundred kilobytes

// Where the pixels start behind the header and the colour table; 0 when the bitmap's own sizes do
// not fit its bytes.
DWORD PixelsAt(const BITMAPINFOHEADER& header, DWORD size) {
  WORD bits = header.biBitCount;
  if (header.biSize < sizeof header || header.biSize > size || header.biWidth <= 0 || header.biHeight == 0 ||
      header.biWidth > 0x4000 || header.biHeight > 0x4000 || header.biHeight < -0x4000 || header.biPlanes != 1 ||
      (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)) {
    return 0;
  }
  DWORD colours = header.biClrUsed ? header.biClrUsed : bits <= 8 ? 1u << bits : 0;
  DWORD masks = header.biSize == sizeof header && header.biCompression == BI_BITFIELDS ? 12 : 0;
  if (colours > 256) return 0;
  DWORD at = header.biSize + masks + 4 * colours;
  DWORD rows = static_cast<DWORD>(header.biHeight < 0 ? -header.biHeight : header.biHeight);
  // Uncompressed rows have their size; RLE data says its own, which the decoder reads no further than.
  bool rle = (header.biCompression == BI_RLE8 && bits == 8) || (header.biCompression == BI_RLE4 && bits == 4);
  bool plain = header.biCompression == BI_RGB || (header.biCompression == BI_BITFIELDS && (bits == 16 || bits == 32));
  if (!rle && !plain) return 0;
  ULONGLONG pixels = plain ? (static_cast<ULONGLONG>(header.biWidth) * bits + 31) / 32 * 4 * rows : header.biSizeImage;
  return at < size && pixels > 0 && pixels <= size - at ? at : 0;
}
}  // namespace

HBITMAP LoadPackedBitmap(HINSTANCE instance, UINT id, HDC referenceDC) {
  HRSRC resource = FindResourceW(instance, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(kPackedBitmapType));
  DWORD size = resource ? SizeofResource(instance, resource) : 0;
  HGLOBAL loaded = resource ? LoadResource(instance, resource) : nullptr;
  const BYTE* data = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
  if (!data || size < 4 + kLzmaPropertiesSize) return nullptr;
  DWORD bitmapSize = data[0] | data[1] << 8 | data[2] << 16 | static_cast<DWORD>(data[3]) << 24;
  if (bitmapSize < sizeof(BITMAPINFOHEADER) || bitmapSize > kLargestBitmap) return nullptr;
  BYTE* bytes = static_cast<BYTE*>(HeapAlloc(GetProcessHeap(), 0, bitmapSize));
  LzmaReader reader;
  DWORD got = 0, produced = 0;
  if (bytes && OpenLzma(&reader, data + 4, size - 4, bitmapSize, kLargestBitmap) == 0) {
    while (got < bitmapSize && ReadLzma(&reader, bytes + got, bitmapSize - got, &produced) == 0 && produced > 0) {
      got += produced;
    }
    CloseLzma(&reader);
  }
  HBITMAP bitmap = nullptr;
  const BITMAPINFOHEADER* header = reinterpret_cast<const BITMAPINFOHEADER*>(bytes);
  DWORD pixels = got == bitmapSize ? PixelsAt(*header, bitmapSize) : 0;
  if (pixels) {
    WindowDC screen(nullptr);
    bitmap = CreateDIBitmap(referenceDC ? referenceDC : screen.get(), header, CBM_INIT, bytes + pixels,
                            reinterpret_cast<const BITMAPINFO*>(bytes), DIB_RGB_COLORS);
  }
  if (bytes) HeapFree(GetProcessHeap(), 0, bytes);
  return bitmap;
}
