#pragma once
// Arrays on the process heap that grow as a run fills them: written items, the run's journals.
#include <stddef.h>

// Makes room for one more item in *block, which holds count items of size bytes and has room for
// *capacity: the block doubles, from 16, up to limit items. False, the block unchanged, when no
// memory is left or the limit is reached.
bool MakeRoom(void** block, int count, int* capacity, size_t size, int limit);

// Gives the block back to the heap.
void FreeBlock(void* block);
