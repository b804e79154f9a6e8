#pragma once
// Texts in one block that grows as needed, laid out as a REG_MULTI_SZ value: each text ends in a
// NUL, and the block in one more. Nothing but memory and the registry bound what it holds.
#include <stddef.h>
#include <wchar.h>

struct TextList {
  wchar_t* text = nullptr;  // the texts, then one more NUL; null until the first text is added
  size_t used = 0;          // characters of the texts, their NULs included
  size_t capacity = 0;      // characters of the block

  TextList() = default;
  ~TextList();  // gives the block back
  TextList(TextList&& other) noexcept;
  TextList& operator=(TextList&& other) noexcept;
  TextList(const TextList&) = delete;
  TextList& operator=(const TextList&) = delete;
};

// Adds a copy of the first length characters of text, and a NUL, at the end. False when no memory
// is left: the list is then unchanged.
bool AddText(TextList* list, const wchar_t* text, size_t length);
inline bool AddText(TextList* list, const wchar_t* text) { return AddText(list, text, wcslen(text)); }

// Removes the text that starts at offset.
void RemoveText(TextList* list, size_t offset);

// Makes room for count more characters. False when no memory is left.
bool ReserveText(TextList* list, size_t count);

// Where the text after the one at offset starts; list.used after the last one. Walk with
//   for (size_t at = 0; at < list.used; at = NextText(list, at))
inline size_t NextText(const TextList& list, size_t offset) { return offset + wcslen(list.text + offset) + 1; }

// Makes to a copy of from. False when no memory is left.
bool CopyTexts(TextList* to, const TextList& from);
void ClearTexts(TextList* list);  // empty, keeping the block
