#include "skin/PackedBitmap.h"

#include "base/ByteReader.h"
#include "base/GdiScope.h"
#include "base/Lzma.h"

namespace {
const DWORD kLargestPictures = 16u << 20;  // a setup's pictures together are a few hundred kilobytes

// The pictures' stream, decoded as far as the pictures asked for so far need, for as long as the
// process runs (plain data: no static object with a destructor).
struct PictureStream {
  HINSTANCE instance;
  const BYTE* table;  // count, then id and size per picture
  DWORD count, total;
  BYTE* decoded;      // total bytes, of which done are decoded
  DWORD done;
  LzmaReader reader;
  bool opened, broken;
};
PictureStream pictures;

// The module's stream, open for decoding; false when it has none or it is damaged.
bool OpenPictures(HINSTANCE instance) {
  if (pictures.opened && pictures.instance == instance) return !pictures.broken;
  CloseLzma(&pictures.reader);
  if (pictures.decoded) HeapFree(GetProcessHeap(), 0, pictures.decoded);
  pictures = PictureStream();
  pictures.instance = instance;
  pictures.opened = true;
  pictures.broken = true;
  HRSRC resource = FindResourceW(instance, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(kPackedBitmapType));
  DWORD size = resource ? SizeofResource(instance, resource) : 0;
  HGLOBAL loaded = resource ? LoadResource(instance, resource) : nullptr;
  const BYTE* data = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
  ByteReader table(data, data ? size : 0);
  DWORD count = 0, total = 0;
  if (!table.Dword(&count) || count > 1000) return false;
  for (DWORD i = 0, id = 0, picture = 0; i < count; ++i) {
    if (!table.Dword(&id) || !table.Dword(&picture) || picture > kLargestPictures - total) return false;
    total += picture;
  }
  if (table.left() < kLzmaPropertiesSize) return false;
  const BYTE* stream = table.position();
  pictures.decoded = static_cast<BYTE*>(HeapAlloc(GetProcessHeap(), 0, total ? total : 1));
  if (!pictures.decoded || OpenLzma(&pictures.reader, stream, table.left(), total, kLargestPictures)) {
    return false;
  }
  pictures.table = data;
  pictures.count = count;
  pictures.total = total;
  pictures.broken = false;
  return true;
}

// Where the picture lies in the decoded stream; false when the stream has none of that id.
bool FindPicture(UINT id, DWORD* offset, DWORD* size) {
  ByteReader table(pictures.table + 4, 8 * pictures.count);  // checked as the stream opened
  DWORD at = 0;
  for (DWORD entryId = 0, entrySize = 0; table.Dword(&entryId) && table.Dword(&entrySize); at += entrySize) {
    if (entryId == id) {
      *offset = at;
      *size = entrySize;
      return true;
    }
  }
  return false;
}

// Decodes the stream up to end; false, and the stream broken, when it does not decode.
bool DecodeUpTo(DWORD end) {
  while (!pictures.broken && pictures.done < end) {
    DWORD produced = 0;
    if (ReadLzma(&pictures.reader, pictures.decoded + pictures.done, pictures.total - pictures.done, &produced) ||
        produced == 0) {
      pictures.broken = true;
    }
    pictures.done += produced;
  }
  if (pictures.done == pictures.total) CloseLzma(&pictures.reader);
  return !pictures.broken || pictures.done >= end;
}

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

bool HasPackedBitmap(HINSTANCE instance, UINT id) {
  DWORD offset, size;
  return OpenPictures(instance) && FindPicture(id, &offset, &size);
}

HBITMAP LoadPackedBitmap(HINSTANCE instance, UINT id, HDC referenceDC) {
  DWORD offset = 0, size = 0;
  if (!OpenPictures(instance) || !FindPicture(id, &offset, &size) || size < sizeof(BITMAPINFOHEADER) ||
      !DecodeUpTo(offset + size)) {
    return nullptr;
  }
  const BYTE* bytes = pictures.decoded + offset;
  const BITMAPINFOHEADER* header = reinterpret_cast<const BITMAPINFOHEADER*>(bytes);
  DWORD pixels = PixelsAt(*header, size);
  if (!pixels) return nullptr;
  WindowDC screen(nullptr);
  return CreateDIBitmap(referenceDC ? referenceDC : screen.get(), header, CBM_INIT, bytes + pixels,
                        reinterpret_cast<const BITMAPINFO*>(header), DIB_RGB_COLORS);
}
