#pragma once
// Bitmaps that the packer compressed, all in one stream (resource type 3002 "1": a table of ids and
// sizes, then the LZMA stream; src/format/SetupFormat.h), decoded as far as the pictures asked for
// need. The pictures are most of what a setup weighs without its payload.
#include <windows.h>

#include "format/SetupFormat.h"

enum { kPackedBitmapType = setup_format::kPicturesType };

// Whether the module's stream holds the picture.
bool HasPackedBitmap(HINSTANCE instance, UINT id);

// The bitmap, compatible with referenceDC (the screen when null); null when the module carries no
// such bitmap or it does not decode to one.
HBITMAP LoadPackedBitmap(HINSTANCE instance, UINT id, HDC referenceDC);
