#pragma once
// The payload items that the packer compressed: LZMA streams in the resources 3001 "1", "2", ...,
// each behind a table of the items in it (src/format/SetupFormat.h). A stream is decoded a piece
// at a time straight into each item's temporary file, never whole in memory, and an item goes in
// only when it decoded to exactly the size and bytes the table records. Items of components left
// out are decoded past and written nowhere.
#include <windows.h>

#include "format/SetupFormat.h"

struct PayloadRun;

enum { kPackedResourceType = setup_format::kPackedPayloadType };

// Installs the module's packed items into the run's folder, recording what was written and what
// failed as InstallResource does. False when the module carries none.
bool InstallPackedPayload(PayloadRun* run, HMODULE module);

// The bytes of the module's packed items that a run installs, its components left out aside.
ULONGLONG PackedBytes(HMODULE module, const PayloadRun& run);

// The same from the resource's bytes.
void InstallPackedItems(PayloadRun* run, const BYTE* data, size_t size);
