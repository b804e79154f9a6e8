#pragma once
// Holders that close what they own when their scope ends: kernel handles, registry keys, COM
// pointers and private namespaces. Moved, never copied; release() hands the thing over, receive()
// empties the holder and lends its slot to a call that fills it.
#include <windows.h>

// A kernel handle; null and INVALID_HANDLE_VALUE both stand for none.
class ScopedHandle {
 public:
  ScopedHandle() = default;
  explicit ScopedHandle(HANDLE handle) : handle_(handle) {}
  ~ScopedHandle() { reset(); }
  ScopedHandle(ScopedHandle&& other) noexcept : handle_(other.release()) {}
  ScopedHandle& operator=(ScopedHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;

  HANDLE get() const { return handle_; }
  bool valid() const { return handle_ && handle_ != INVALID_HANDLE_VALUE; }
  HANDLE release() {
    HANDLE handle = handle_;
    handle_ = nullptr;
    return handle;
  }
  void reset(HANDLE handle = nullptr) {
    if (valid()) CloseHandle(handle_);
    handle_ = handle;
  }
  HANDLE* receive() {
    reset();
    return &handle_;
  }

 private:
  HANDLE handle_ = nullptr;
};

// An open registry key; the registry calls return their status unchanged.
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
  LONG Open(HKEY root, const wchar_t* path, REGSAM access) { return RegOpenKeyExW(root, path, 0, access, receive()); }

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
  void adopt(HANDLE opened) { namespace_ = opened; }
  bool open() const { return namespace_ != nullptr; }

 private:
  HANDLE boundary_ = nullptr;
  HANDLE namespace_ = nullptr;
};
