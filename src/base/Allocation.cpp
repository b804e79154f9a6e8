// The program's own allocation functions. The run-time library's versions report failure by
// throwing, which drags its whole exception machinery into the executable. The program allocates
// with the nothrow forms and tests for null; a plain new, which callers may not test, ends the
// program with a message instead of handing out null.
#include <new>
#include <windows.h>

#include "base/Allocation.h"
#include "base/ExitCode.h"
#include "base/Messages.h"
#include "base/SystemError.h"
#include "base/Texts.h"

bool silentRun;

namespace {
void* Allocate(size_t size) { return HeapAlloc(GetProcessHeap(), 0, size ? size : 1); }

void* AllocateOrEnd(size_t size) {
  void* block = Allocate(size);
  if (!block) {
    if (!silentRun) {
      // Before the setup's texts are read, the system's own words.
      wchar_t systemWords[256];
      const wchar_t* text = Text(kTextOutOfMemory);
      if (!text[0]) DescribeError(ERROR_NOT_ENOUGH_MEMORY, systemWords, 256);
      MessageBoxW(nullptr, text[0] ? text : systemWords, WindowTitle(), MB_OK | MB_ICONERROR | MB_TASKMODAL);
    }
    ExitProcess(static_cast<UINT>(ProcessExitCode(ExitCode::kOutOfMemory)));
  }
  return block;
}
}  // namespace

void* operator new(size_t size) { return AllocateOrEnd(size); }
void* operator new[](size_t size) { return AllocateOrEnd(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
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
