#pragma once
// Texts in one block that grows as needed, laid out as a REG_MULTI_SZ value: each text ends in a
// NUL, and the block in one more. Nothing but memory and the registry bound what it holds.
#include <stddef.h>
#include <string.h>

struct TextList {
  char* text = nullptr;  // the texts, then one more NUL; null until the first text is added
  size_t used = 0;       // bytes of the texts, their NULs included
  size_t capacity = 0;   // bytes of the block
};

// Adds a copy of the first length bytes of text, and a NUL, at the end. False when no memory is
// left: the list is then unchanged.
bool AddText(TextList* list, const char* text, size_t length);
inline bool AddText(TextList* list, const char* text) { return AddText(list, text, strlen(text)); }

// Removes the text that starts at offset.
void RemoveText(TextList* list, size_t offset);

// Makes room for bytes more bytes. False when no memory is left.
bool ReserveText(TextList* list, size_t bytes);

// Where the text after the one at offset starts; list.used after the last one. Walk with
//   for (size_t at = 0; at < list.used; at = NextText(list, at))
inline size_t NextText(const TextList& list, size_t offset) { return offset + strlen(list.text + offset) + 1; }

void ClearTexts(TextList* list);  // empty, keeping the block
void FreeTexts(TextList* list);   // empty, returning the block
