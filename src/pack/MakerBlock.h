#pragma once
// The maker's values: checked as the setup uses them, and the block it reads them from.
#include <stdint.h>

#include <vector>

#include "pack/Description.h"
#include "pack/Refusals.h"

// Refuses, naming the key, a value the setup could not use: too long for its keys and names, a
// scan word that is not lower-case letters, a folder mark that is not part of it, a folder name
// that is no plain folder name, an address that is no http(s) address, a version that is not one to
// four numbers up to 65535.
void CheckMakerValues(const Description& description, Refusals* refusals);

// The block as src/format/SetupFormat.h describes it, before compression.
std::vector<uint8_t> MakerBlock(const Description& description);

// UTF-8 into UTF-16, as the setup holds its texts (the packer refuses what is not UTF-8 before).
std::u16string Utf16(const std::string& text);
