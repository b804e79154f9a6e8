#pragma once
// Pictures for the display's scale. A picture id names its 100 % picture; the same picture drawn at
// 150 % and 200 % has the id + 1000 and + 2000 (a setup carries those it has). At another scale the
// nearest larger one is resampled to it (else the largest): averaged where it shrinks, interpolated
// where it grows, never pixel-doubled, with pure white, the see-through colour, kept whole.
#include <windows.h>

#include "format/SetupFormat.h"

enum { kScaledPictureStep = setup_format::kScaleStep };

// The picture for dpi (96: 100 %), compatible with referenceDC; null when the module has none.
HBITMAP LoadBitmapForDpi(HINSTANCE instance, UINT id, HDC referenceDC, int dpi);

// The size a picture of width x height at 100 % has at dpi: a strip of square frames stays a strip
// of whole square frames.
SIZE ScaledPictureSize(int width, int height, int dpi);
