#include "skin/PackedBitmap.h"

#include "base/GdiScope.h"
#include "base/Lzma.h"

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
  ScopedHeapBlock bytes;
  DWORD size = 0;
  if (UnpackResource(instance, kPackedBitmapType, id, kLargestBitmap, &bytes, &size) != 0 ||
      size < sizeof(BITMAPINFOHEADER)) {
    return nullptr;
  }
  const BITMAPINFOHEADER* header = static_cast<const BITMAPINFOHEADER*>(bytes.get());
  DWORD pixels = PixelsAt(*header, size);
  if (!pixels) return nullptr;
  WindowDC screen(nullptr);
  return CreateDIBitmap(referenceDC ? referenceDC : screen.get(), header, CBM_INIT,
                        static_cast<const BYTE*>(bytes.get()) + pixels, reinterpret_cast<const BITMAPINFO*>(header),
                        DIB_RGB_COLORS);
}
