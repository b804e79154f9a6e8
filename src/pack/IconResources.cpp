#include "pack/IconResources.h"

#include <utility>

#include "pack/LittleEndian.h"

namespace {

const uint16_t kCursor = 1, kIcon = 3, kGroupCursor = 12, kGroupIcon = 14;


bool Refuse(std::string* fault, const char* why) {
  if (fault) *fault = why;
  return false;
}

}  // namespace

bool IconResources(const std::vector<uint8_t>& file, bool cursor, uint16_t groupId, uint16_t firstImageId,
                   std::vector<OwnedResource>* out, std::string* fault) {
  const char* kind = cursor ? "not a cursor file" : "not an icon file";
  if (file.size() < 6 || Get16(&file[0]) != 0 || Get16(&file[2]) != (cursor ? 2 : 1)) return Refuse(fault, kind);
  const uint32_t count = Get16(&file[4]);
  if (count == 0 || file.size() < 6 + 16 * count) return Refuse(fault, kind);
  if (firstImageId + count - 1 > 0xFFFF) return Refuse(fault, "the image ids run past 65535");
  std::vector<OwnedResource> made;
  OwnedResource group{cursor ? kGroupCursor : kGroupIcon, groupId, {}};
  Put16(&group.bytes, 0);
  Put16(&group.bytes, cursor ? 2 : 1);
  Put16(&group.bytes, count);
  for (uint32_t i = 0; i < count; ++i) {
    const uint8_t* entry = &file[6 + 16 * i];
    const uint32_t size = Get32(entry + 8), offset = Get32(entry + 12);
    if (size == 0 || offset > file.size() || size > file.size() - offset) {
      return Refuse(fault, "an image lies outside the file");
    }
    const uint8_t* image = &file[offset];
    // Planes and bit count as the image's bitmap header has them, the way the system matches an
    // image to the display; a PNG image counts as one plane of 32 bits.
    uint16_t planes = 1, bitCount = 32;
    if (size >= 40 && Get32(image) >= 40) {
      planes = Get16(image + 12);
      bitCount = Get16(image + 14);
    } else if (size < 8 || image[0] != 0x89 || image[1] != 'P' || image[2] != 'N' || image[3] != 'G') {
      return Refuse(fault, "an image is neither a bitmap nor a PNG");
    }
    const uint16_t id = static_cast<uint16_t>(firstImageId + i);
    OwnedResource single{cursor ? kCursor : kIcon, id, {}};
    if (cursor) {
      // The .cur directory holds the hotspot where an icon's has planes and bit count; the
      // group's entry gives width and the height of both masks as words.
      Put16(&single.bytes, Get16(entry + 4));
      Put16(&single.bytes, Get16(entry + 6));
      Put16(&group.bytes, entry[0] ? entry[0] : 256);
      Put16(&group.bytes, 2 * (entry[1] ? entry[1] : 256));
    } else {
      group.bytes.insert(group.bytes.end(), entry, entry + 4);  // width, height, colours, reserved
    }
    Put16(&group.bytes, planes);
    Put16(&group.bytes, bitCount);
    single.bytes.insert(single.bytes.end(), image, image + size);
    Put32(&group.bytes, static_cast<uint32_t>(single.bytes.size()));
    Put16(&group.bytes, id);
    made.push_back(std::move(single));
  }
  made.push_back(std::move(group));
  for (OwnedResource& resource : made) out->push_back(std::move(resource));
  return true;
}
