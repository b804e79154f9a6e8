#pragma once
// Holders that free what they own when their scope ends: kernel handles, heap blocks, registry
// keys, COM pointers and private namespaces. Moved, never copied; release() hands the thing over,
// receive() empties the holder and lends its slot to a call that fills it.
#include <windows.h>

#include "format/Scoped.h"

// A kernel handle; null and INVALID_HANDLE_VALUE both stand for none.
struct KernelHandleTraits {
  using Type = HANDLE;
  static Type Invalid() { return nullptr; }
  static bool IsValid(Type handle) { return handle && handle != INVALID_HANDLE_VALUE; }
  static void Free(Type handle) { CloseHandle(handle); }
};
using ScopedHandle = Scoped<KernelHandleTraits>;

// A block of the process heap.
struct HeapBlockTraits {
  using Type = void*;
  static Type Invalid() { return nullptr; }
  static bool IsValid(Type block) { return block != nullptr; }
  static void Free(Type block) { HeapFree(GetProcessHeap(), 0, block); }
};
using ScopedHeapBlock = Scoped<HeapBlockTraits>;

// A block the system allocated with LocalAlloc for the caller: security descriptors, texts.
struct LocalBlockTraits {
  using Type = void*;
  static Type Invalid() { return nullptr; }
  static bool IsValid(Type block) { return block != nullptr; }
  static void Free(Type block) { LocalFree(block); }
};
using ScopedLocalBlock = Scoped<LocalBlockTraits>;

// A view of a file mapping.
struct MappedViewTraits {
  using Type = void*;
  static Type Invalid() { return nullptr; }
  static bool IsValid(Type view) { return view != nullptr; }
  static void Free(Type view) { UnmapViewOfFile(view); }
};
using ScopedView = Scoped<MappedViewTraits>;

// An open registry key.
struct RegistryKeyTraits {
  using Type = HKEY;
  static Type Invalid() { return nullptr; }
  static bool IsValid(Type key) { return key != nullptr; }
  static void Free(Type key) { RegCloseKey(key); }
};
class ScopedKey : public Scoped<RegistryKeyTraits> {
 public:
  // 0 or the registry's status, which is a system error code.
  DWORD Open(HKEY root, const wchar_t* path, REGSAM access) { return static_cast<DWORD>(RegOpenKeyExW(root, path, 0, access, receive())); }
};

// An object of ours made with new, deleted when the scope ends.
template <typename T>
struct OwnedObjectTraits {
  using Type = T*;
  static Type Invalid() { return nullptr; }
  static bool IsValid(Type object) { return object != nullptr; }
  static void Free(Type object) { delete object; }
};
template <typename T>
class ScopedObject : public Scoped<OwnedObjectTraits<T>> {
 public:
  using Scoped<OwnedObjectTraits<T>>::Scoped;
  T* operator->() const { return this->get(); }
  explicit operator bool() const { return this->valid(); }
};

// A COM interface pointer, released when the scope ends.
template <typename T>
struct ComPointerTraits {
  using Type = T*;
  static Type Invalid() { return nullptr; }
  static bool IsValid(Type object) { return object != nullptr; }
  static void Free(Type object) { object->Release(); }
};
template <typename T>
class ScopedComPtr : public Scoped<ComPointerTraits<T>> {
 public:
  T* operator->() const { return this->get(); }
  explicit operator bool() const { return this->valid(); }
  void** receiveVoid() { return reinterpret_cast<void**>(this->receive()); }
};

// A private namespace's boundary, deleted; and the namespace, closed. A namespace's holder is
// declared after its boundary's, so that it closes first.
struct BoundaryTraits {
  using Type = HANDLE;
  static Type Invalid() { return nullptr; }
  static bool IsValid(Type boundary) { return boundary != nullptr; }
  static void Free(Type boundary) { DeleteBoundaryDescriptor(boundary); }
};
using ScopedBoundary = Scoped<BoundaryTraits>;
struct PrivateNamespaceTraits {
  using Type = HANDLE;
  static Type Invalid() { return nullptr; }
  static bool IsValid(Type space) { return space != nullptr; }
  static void Free(Type space) { ClosePrivateNamespace(space, 0); }
};
using ScopedPrivateNamespace = Scoped<PrivateNamespaceTraits>;

// Ownership of a mutex this thread holds, given back when the scope ends.
struct MutexOwnershipTraits {
  using Type = HANDLE;
  static Type Invalid() { return nullptr; }
  static bool IsValid(Type mutex) { return mutex != nullptr; }
  static void Free(Type mutex) { ReleaseMutex(mutex); }
};
using HeldMutex = Scoped<MutexOwnershipTraits>;
