#pragma once
// Preset blocks: payload items for two other products of ours that become registry values below
// the maker's key instead of files. Per kind: the name a description gives it, the word its
// installed name holds (the packer stores the block under that name), the key below the maker's,
// the value names' prefix (followed by the record number, two digits at least) and its records.
#define SETUP_PRESET_KINDS(X)                                   \
  X("sketches", "PresetsSketchesbin", "Graphitor", "Portrait", 12, 64) \
  X("bouquets", "PresetsBouquetsbin", "Quiltor", "Bouquet", 16, 128)   \
  X("patterns", "PresetsPatternsbin", "Quiltor", "Patterns", 12, 128)
