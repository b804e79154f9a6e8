// The program's own allocation functions. The run-time library's versions report failure by
// throwing, which drags its whole exception machinery into the executable; this program never
// throws and tests every allocation for null instead.
#include <new>
#include <windows.h>

void* operator new(size_t size) { return HeapAlloc(GetProcessHeap(), 0, size ? size : 1); }
void* operator new[](size_t size) { return HeapAlloc(GetProcessHeap(), 0, size ? size : 1); }
void* operator new(size_t size, const std::nothrow_t&) noexcept { return HeapAlloc(GetProcessHeap(), 0, size ? size : 1); }
void operator delete(void* block) noexcept {
  if (block) HeapFree(GetProcessHeap(), 0, block);
}
void operator delete[](void* block) noexcept {
  if (block) HeapFree(GetProcessHeap(), 0, block);
}
void operator delete(void* block, size_t) noexcept {
  if (block) HeapFree(GetProcessHeap(), 0, block);
}
void operator delete[](void* block, size_t) noexcept {
  if (block) HeapFree(GetProcessHeap(), 0, block);
}
