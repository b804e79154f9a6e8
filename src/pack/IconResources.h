#pragma once
// An .ico or .cur file split into the resources the system loads: one RT_ICON or RT_CURSOR per
// image, ids firstImageId on, and the RT_GROUP_ICON or RT_GROUP_CURSOR (id groupId) that names
// them, after them; appended to out. A cursor's image starts with its hotspot.
#include <stdint.h>

#include <string>
#include <vector>

struct OwnedResource {
  uint16_t type, id;
  std::vector<uint8_t> bytes;
};

bool IconResources(const std::vector<uint8_t>& file, bool cursor, uint16_t groupId, uint16_t firstImageId,
                   std::vector<OwnedResource>* out, std::string* fault);
