#pragma once
// Bitmaps that the build compressed (resource type 3002 with the bitmap's id: the bitmap's size in
// bytes, then its LZMA stream; see tools/pack_payload.c). The pictures are most of what a setup
// weighs without its payload.
#include <windows.h>

enum { kPackedBitmapType = 3002 };

// The bitmap, compatible with referenceDC (the screen when null); null when the module carries no
// such bitmap or it does not decode to one.
HBITMAP LoadPackedBitmap(HINSTANCE instance, UINT id, HDC referenceDC);
