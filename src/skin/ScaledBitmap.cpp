#include "skin/ScaledBitmap.h"

#include "base/GdiScope.h"
#include "base/ScopedHandle.h"
#include "skin/PackedBitmap.h"

namespace {

const int kPercents[] = {100, 150, 200};

HBITMAP LoadPicture(HINSTANCE instance, UINT id, HDC referenceDC) {
  HBITMAP bitmap = LoadBitmapW(instance, MAKEINTRESOURCEW(id));
  return bitmap ? bitmap : LoadPackedBitmap(instance, id, referenceDC);
}

bool HasPicture(HINSTANCE instance, UINT id) {
  return FindResourceW(instance, MAKEINTRESOURCEW(id), RT_BITMAP) || HasPackedBitmap(instance, id);
}

// One pixel on its way through the filter: colour times weight, and weight (0 for see-through white).
struct Sample {
  int blue, green, red, weight;
};

// Resamples count samples spaced step apart from in (length from) to out (length to, spaced step
// apart): each output sample averages the inputs its span covers when shrinking, or interpolates
// between the two nearest when growing. Weights are in 1/256.
void Resample(const Sample* in, int from, Sample* out, int to, int step) {
  for (int i = 0; i < to; ++i) {
    Sample sum = {};
    auto add = [&](int at, int weight) {
      const Sample& s = in[at * step];
      sum.blue += s.blue * weight / 256;
      sum.green += s.green * weight / 256;
      sum.red += s.red * weight / 256;
      sum.weight += s.weight * weight / 256;
    };
    if (to < from) {  // the input span [i * from / to, (i + 1) * from / to), in 1/256 of a pixel
      int start = MulDiv(i * 256, from, to), end = MulDiv((i + 1) * 256, from, to);  // 64 bits between
      for (int at = start / 256; at * 256 < end && at < from; ++at) {
        int left = at * 256 > start ? at * 256 : start, right = (at + 1) * 256 < end ? (at + 1) * 256 : end;
        add(at, (right - left) * 256 / (end - start));
      }
    } else {  // the input point under this output pixel's centre, between two input centres
      int centre = (MulDiv((2 * i + 1) * 256, from, to) - 256) / 2;
      if (centre < 0) centre = 0;
      int at = centre / 256, fraction = centre % 256;
      add(at, 256 - fraction);
      if (fraction) add(at + 1 < from ? at + 1 : at, fraction);
    }
    out[i * step] = sum;
  }
}

// A channel of the weighted sum. Each weighted term is rounded down, the weight's too, so the
// quotient can pass 255 by a little: that is white, not a wrap to black.
BYTE Channel(int sum, int weight) {
  int value = sum / weight;
  return static_cast<BYTE>(value > 255 ? 255 : value);
}

// The bitmap resampled to width x height, as a DIB section compatible with any DC.
HBITMAP Resized(HBITMAP source, int width, int height) {
  BITMAP info = {};
  if (!GetObjectW(source, sizeof info, &info) || width <= 0 || height <= 0) return nullptr;
  const int w = info.bmWidth, h = info.bmHeight;
  BITMAPINFO format = {};
  format.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  ScopedHeapBlock pixels(HeapAlloc(GetProcessHeap(), 0, sizeof(RGBQUAD) * w * h));
  int larger = (w > width ? w : width) * (h > height ? h : height);
  ScopedHeapBlock samples(HeapAlloc(GetProcessHeap(), 0, sizeof(Sample) * 2 * larger));
  WindowDC screen(nullptr);
  if (!pixels.valid() || !samples.valid() ||
      GetDIBits(screen.get(), source, 0, static_cast<UINT>(h), pixels.get(), &format, DIB_RGB_COLORS) != h) {
    return nullptr;
  }
  const RGBQUAD* in = static_cast<const RGBQUAD*>(pixels.get());
  Sample* before = static_cast<Sample*>(samples.get());  // w x h, then width x h, then width x height
  Sample* across = before + larger;
  for (int i = 0; i < w * h; ++i) {
    bool seeThrough = in[i].rgbBlue == 255 && in[i].rgbGreen == 255 && in[i].rgbRed == 255;
    int weight = seeThrough ? 0 : 256;
    before[i] = {in[i].rgbBlue * weight, in[i].rgbGreen * weight, in[i].rgbRed * weight, weight};
  }
  for (int row = 0; row < h; ++row) Resample(before + row * w, w, across + row * width, width, 1);
  for (int column = 0; column < width; ++column) Resample(across + column, h, before + column, height, width);
  format.bmiHeader.biWidth = width;
  format.bmiHeader.biHeight = -height;
  void* bits = nullptr;
  HBITMAP resized = CreateDIBSection(screen.get(), &format, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!resized) return nullptr;
  RGBQUAD* out = static_cast<RGBQUAD*>(bits);
  for (int i = 0; i < width * height; ++i) {
    const Sample& s = before[i];
    // Mostly see-through stays see-through; elsewhere the colour of what is not.
    if (s.weight < 128) {
      out[i] = {255, 255, 255, 0};
    } else {
      out[i] = {Channel(s.blue, s.weight), Channel(s.green, s.weight), Channel(s.red, s.weight), 0};
      if (out[i].rgbBlue == 255 && out[i].rgbGreen == 255 && out[i].rgbRed == 255) out[i].rgbBlue = 254;
    }
  }
  return resized;
}

}  // namespace

SIZE ScaledPictureSize(int width, int height, int dpi) {
  SIZE size = {MulDiv(width, dpi, 96), MulDiv(height, dpi, 96)};
  if (height > 0 && width % height == 0) size.cx = width / height * size.cy;
  return size;
}

HBITMAP LoadBitmapForDpi(HINSTANCE instance, UINT id, HDC referenceDC, int dpi) {
  int wanted = MulDiv(100, dpi, 96), chosen = 100;
  // The nearest larger picture the module has, else its largest.
  for (int percent : kPercents) {
    UINT candidate = id + kScaledPictureStep * static_cast<UINT>(percent / 50 - 2);
    if (percent != 100 && !HasPicture(instance, candidate)) continue;
    chosen = percent;
    if (percent >= wanted) break;
  }
  ScopedBitmap picture(LoadPicture(instance, id + kScaledPictureStep * static_cast<UINT>(chosen / 50 - 2), referenceDC));
  if (!picture.valid() || chosen == wanted) return picture.release();
  BITMAP info = {};
  GetObjectW(picture.get(), sizeof info, &info);
  SIZE size = ScaledPictureSize(MulDiv(info.bmWidth, 100, chosen), MulDiv(info.bmHeight, 100, chosen), dpi);
  return Resized(picture.get(), size.cx, size.cy);
}
