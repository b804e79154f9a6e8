#pragma once
// Holders for GDI resources, instances of the one holder (ScopedHandle.h): fonts and bitmaps, memory
// and window device contexts, and a window's paint cycle; nothing leaks on any path.
#include <windows.h>

#include "base/ScopedHandle.h"

// A GDI object the holder deletes: a font, a bitmap.
template <typename Object>
struct GdiObjectTraits {
  using Type = Object;
  static Type Invalid() { return nullptr; }
  static bool IsValid(Type object) { return object != nullptr; }
  static void Free(Type object) { DeleteObject(object); }
};
using ScopedFont = Scoped<GdiObjectTraits<HFONT>>;
using ScopedBitmap = Scoped<GdiObjectTraits<HBITMAP>>;
using ScopedBrush = Scoped<GdiObjectTraits<HBRUSH>>;

// A memory device context, deleted.
struct MemoryDCTraits {
  using Type = HDC;
  static Type Invalid() { return nullptr; }
  static bool IsValid(Type dc) { return dc != nullptr; }
  static void Free(Type dc) { DeleteDC(dc); }
};
using MemoryDC = Scoped<MemoryDCTraits>;

// A window's device context, released to its window.
struct WindowDCValue {
  HWND window;
  HDC dc;
};
struct WindowDCTraits {
  using Type = WindowDCValue;
  static Type Invalid() { return {nullptr, nullptr}; }
  static bool IsValid(Type value) { return value.dc != nullptr; }
  static void Free(Type value) { ReleaseDC(value.window, value.dc); }
};
class WindowDC : public Scoped<WindowDCTraits> {
 public:
  WindowDC() = default;
  explicit WindowDC(HWND window) : Scoped(WindowDCValue{window, GetDC(window)}) {}
  HDC get() const { return Scoped::get().dc; }
};

// A window's paint cycle, from BeginPaint to EndPaint.
struct PaintValue {
  HWND window;
  PAINTSTRUCT paint;
};
struct PaintTraits {
  using Type = PaintValue;
  static Type Invalid() { return {nullptr, {}}; }
  static bool IsValid(const Type& value) { return value.window != nullptr; }
  static void Free(Type value) { EndPaint(value.window, &value.paint); }
};
class PaintCycle : public Scoped<PaintTraits> {
 public:
  PaintCycle() = default;
  explicit PaintCycle(HWND window) { Begin(window); }
  void Begin(HWND window) {
    PaintValue value = {window, {}};
    BeginPaint(window, &value.paint);
    reset(value);
  }
  RECT area() const { return Scoped::get().paint.rcPaint; }
};

// Selects an object into a device context and puts the previous one back when the scope ends.
struct SelectionValue {
  HDC dc;
  HGDIOBJ previous;
};
struct SelectionTraits {
  using Type = SelectionValue;
  static Type Invalid() { return {nullptr, nullptr}; }
  static bool IsValid(Type value) { return value.previous != nullptr; }
  static void Free(Type value) { SelectObject(value.dc, value.previous); }
};
class SelectedObject : public Scoped<SelectionTraits> {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) : Scoped(SelectionValue{dc, dc && object ? SelectObject(dc, object) : nullptr}) {}
};
