#pragma once
// A text held in place in at most Capacity characters, NUL included: the value type of a path or
// a name. It is always terminated. What does not fit whole is refused, never cut into another
// path: an assignment that does not fit leaves the text empty, an append leaves it as it was.
#include <windows.h>

#include <stddef.h>
#include <wchar.h>

#include "base/PathText.h"

template <size_t Capacity>
class BoundedText {
 public:
  static_assert(Capacity > 1, "room for a character and the NUL");
  static constexpr size_t capacity() { return Capacity; }

  operator const wchar_t*() const { return text_; }
  const wchar_t* get() const { return text_; }
  bool empty() const { return text_[0] == L'\0'; }
  size_t length() const { return BoundedLength(text_, Capacity); }

  void Clear() { text_[0] = L'\0'; }
  bool Assign(const wchar_t* text) { return CopyText(text_, Capacity, text); }
  // The first length characters of text.
  bool AssignPart(const wchar_t* text, size_t length) { return CopyTextPart(text_, Capacity, text, length); }
  // head, a backslash unless head ends in one, and tail; head may be this text itself.
  bool Join(const wchar_t* head, const wchar_t* tail) { return JoinPath(text_, Capacity, tail, head) != nullptr; }
  // A backslash unless there is one, and part.
  bool AppendPart(const wchar_t* part) { return JoinPath(text_, Capacity, part) != nullptr; }
  bool Append(const wchar_t* tail) { return AppendText(text_, Capacity, tail); }
  bool EnsureTrailingBackslash() { return ::EnsureTrailingBackslash(text_, Capacity); }
  // Keeps the first length characters.
  void Truncate(size_t length) {
    if (length < Capacity) text_[length] = L'\0';
  }

  // For an edit in place that keeps the text terminated within capacity(), and for a system
  // function told capacity() that writes a terminated text or fails.
  wchar_t* buffer() { return text_; }

 private:
  // All of it set: a copy reads nothing undefined, and static tables start empty at no cost.
  wchar_t text_[Capacity] = {};
};

enum { kFileNameCapacity = 500 };  // a folder and a file's name, NUL included

using FolderPath = BoundedText<kPathCapacity>;    // a folder, as the dialog lists it and the run installs into it
using FilePath = BoundedText<kFileNameCapacity>;  // a folder and a file's name in it
using ShortPath = BoundedText<MAX_PATH>;          // a file's name, or a path the system keeps within MAX_PATH
using KeyPath = BoundedText<kPathCapacity>;       // a registry key below its root
