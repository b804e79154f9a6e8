#include "base/OwnFile.h"

#include <winternl.h>

#include "base/BoundedText.h"
#include "base/ScopedHandle.h"

extern "C" NTSTATUS NTAPI NtAreMappedFilesTheSame(PVOID firstView, PVOID secondView);

HANDLE OpenOwnFile() {
  BoundedText<32768> path;  // the longest path the system has
  DWORD length = GetModuleFileNameW(nullptr, path.buffer(), static_cast<DWORD>(path.capacity()));
  if (length == 0 || length >= path.capacity()) return INVALID_HANDLE_VALUE;
  // Executing is asked for as the loader asks for it: an image view needs it.
  const DWORD kRead = GENERIC_READ | FILE_EXECUTE;
  HANDLE own = CreateFileW(path, kRead | DELETE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  // Where renaming is not granted (some network shares), reading alone still keeps it unchanged.
  if (own == INVALID_HANDLE_VALUE) own = CreateFileW(path, kRead, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  return own;
}

bool IsRunningImage(HANDLE file) {
  // A view of its first page is enough to compare: a view of the whole image would want as much
  // room again as the running image, which a setup of a large payload does not leave in a 32-bit
  // process.
  ScopedHandle section(CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr));
  if (!section.valid()) return false;
  ScopedView view(MapViewOfFile(section.get(), FILE_MAP_READ, 0, 0, 4096));
  return view.valid() && NtAreMappedFilesTheSame(GetModuleHandleW(nullptr), view.get()) == 0;
}
