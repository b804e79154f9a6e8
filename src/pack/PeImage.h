#pragma once
// The resources of a Windows executable (PE32 or PE32+): read from an image, and written into a copy
// of a stub image in place of its own. The stub is untrusted bytes: every offset is checked.
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

#include <string>
#include <vector>

// A resource type or name: an id, or (when name is not empty) a name, upper-case UTF-16 as stored.
struct ResourceKey {
  uint16_t id = 0;
  std::u16string name;
};

struct Resource {
  ResourceKey type, name;
  uint16_t language = 0;
  const uint8_t* data = nullptr;  // not owned: payloads are large, so the caller keeps them alive
  size_t size = 0;
};

// All resources of image (type, name, language), their data pointing into image.
bool ReadResources(const std::vector<uint8_t>& image, std::vector<Resource>* resources,
                   std::string* fault);

// Writes to out, a new binary file ("wb"), the stub with exactly these resources:
// its own .rsrc goes, a .reloc after it moves down, the new .rsrc comes last; the certificate and
// anything after the sections go; the header's sizes, directories and checksum are made right.
// Names given in lower-case ASCII are stored upper-case, as the system looks them up.
bool WriteWithResources(const std::vector<uint8_t>& stub, const std::vector<Resource>& resources,
                        FILE* out, std::string* fault);
