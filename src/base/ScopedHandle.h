#pragma once
// Holders that free what they own when their scope ends: kernel handles, heap blocks, registry
// keys, COM pointers and private namespaces. Moved, never copied; release() hands the thing over,
// receive() empties the holder and lends its slot to a call that fills it.
#include <windows.h>

// The one holder: owns a value of Traits::Type and frees it with Traits::Free when its scope ends.
// Traits also say what stands for none (Invalid) and whether a value is a real one (IsValid).
template <typename Traits>
class Scoped {
 public:
  using Type = typename Traits::Type;
  Scoped() = default;
  explicit Scoped(Type value) : value_(value) {}
  ~Scoped() { reset(); }
  Scoped(Scoped&& other) noexcept : value_(other.release()) {}
  Scoped& operator=(Scoped&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  Scoped(const Scoped&) = delete;
  Scoped& operator=(const Scoped&) = delete;

  Type get() const { return value_; }
  bool valid() const { return Traits::IsValid(value_); }
  Type release() {
    Type value = value_;
    value_ = Traits::Invalid();
    return value;
  }
  void reset(Type value = Traits::Invalid()) {
    if (valid()) Traits::Free(value_);
    value_ = value;
  }
  Type* receive() {
    reset();
    return &value_;
  }

 private:
  Type value_ = Traits::Invalid();
};

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
class ScopedKey {
 public:
  ScopedKey() = default;
  ~ScopedKey() { reset(); }
  ScopedKey(ScopedKey&& other) noexcept : key_(other.key_) { other.key_ = nullptr; }
  ScopedKey(const ScopedKey&) = delete;
  ScopedKey& operator=(const ScopedKey&) = delete;

  HKEY get() const { return key_; }
  void reset() {
    if (key_) RegCloseKey(key_);
    key_ = nullptr;
  }
  HKEY* receive() {
    reset();
    return &key_;
  }
  // 0 or the registry's status, which is a system error code.
  DWORD Open(HKEY root, const wchar_t* path, REGSAM access) { return static_cast<DWORD>(RegOpenKeyExW(root, path, 0, access, receive())); }

 private:
  HKEY key_ = nullptr;
};

// A COM interface pointer, released when the scope ends.
template <typename T>
class ScopedComPtr {
 public:
  ScopedComPtr() = default;
  ~ScopedComPtr() { reset(); }
  ScopedComPtr(const ScopedComPtr&) = delete;
  ScopedComPtr& operator=(const ScopedComPtr&) = delete;

  T* get() const { return object_; }
  T* operator->() const { return object_; }
  explicit operator bool() const { return object_ != nullptr; }
  void reset() {
    if (object_) object_->Release();
    object_ = nullptr;
  }
  T** receive() {
    reset();
    return &object_;
  }
  void** receiveVoid() { return reinterpret_cast<void**>(receive()); }

 private:
  T* object_ = nullptr;
};

// A private namespace and the boundary that admits to it; the namespace closes before its boundary
// is deleted.
class ScopedNamespace {
 public:
  ScopedNamespace() = default;
  ~ScopedNamespace() {
    if (namespace_) ClosePrivateNamespace(namespace_, 0);
    if (boundary_) DeleteBoundaryDescriptor(boundary_);
  }
  ScopedNamespace(const ScopedNamespace&) = delete;
  ScopedNamespace& operator=(const ScopedNamespace&) = delete;

  HANDLE* receiveBoundary() { return &boundary_; }
  HANDLE boundary() const { return boundary_; }
  void DropBoundary() {
    if (boundary_) DeleteBoundaryDescriptor(boundary_);
    boundary_ = nullptr;
  }
  void adopt(HANDLE opened) { namespace_ = opened; }
  bool open() const { return namespace_ != nullptr; }

 private:
  HANDLE boundary_ = nullptr;
  HANDLE namespace_ = nullptr;
};
