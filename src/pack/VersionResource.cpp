#include "pack/VersionResource.h"

#include "pack/LittleEndian.h"

namespace {

bool Refuse(std::string* fault, const std::string& why) {
  if (fault) *fault = why;
  return false;
}

void PadTo32Bits(std::vector<uint8_t>* bytes) {
  while (bytes->size() % 4) bytes->push_back(0);
}

bool Utf16(const std::string& text, std::u16string* out) {
  out->clear();
  for (size_t i = 0; i < text.size();) {
    const uint8_t lead = static_cast<uint8_t>(text[i]);
    const size_t length = lead < 0x80 ? 1 : lead >> 5 == 6 ? 2 : lead >> 4 == 14 ? 3 : lead >> 3 == 30 ? 4 : 0;
    if (!length || i + length > text.size()) return false;
    uint32_t code = length == 1 ? lead : lead & (0x7F >> length);
    for (size_t k = 1; k < length; ++k) {
      const uint8_t next = static_cast<uint8_t>(text[i + k]);
      if (next >> 6 != 2) return false;
      code = code << 6 | (next & 0x3F);
    }
    static const uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < kSmallest[length] || code > 0x10FFFF || (code >= 0xD800 && code < 0xE000)) return false;
    if (code >= 0x10000) {
      out->push_back(static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10)));
      code = 0xDC00 + (code & 0x3FF);
    }
    out->push_back(static_cast<char16_t>(code));
    i += length;
  }
  return true;
}

void PutText(std::vector<uint8_t>* bytes, const std::u16string& text) {
  for (char16_t c : text) Put16(bytes, c);
  Put16(bytes, 0);
}

// Every block: its length, the length of its value (in characters for text), whether the value is
// text, its key; each block and each value starts on 32 bits. Returns where the block starts.
size_t OpenBlock(std::vector<uint8_t>* bytes, const std::u16string& key, uint32_t valueLength, bool text) {
  PadTo32Bits(bytes);
  const size_t start = bytes->size();
  Put16(bytes, 0);
  Put16(bytes, valueLength);
  Put16(bytes, text ? 1 : 0);
  PutText(bytes, key);
  PadTo32Bits(bytes);
  return start;
}

// A block's length ends with its last byte: the padding after it belongs to what follows.
bool CloseBlock(std::vector<uint8_t>* bytes, size_t start, std::string* fault) {
  const size_t length = bytes->size() - start;
  if (length > 0xFFFF) return Refuse(fault, "the version strings are too long");
  (*bytes)[start] = static_cast<uint8_t>(length);
  (*bytes)[start + 1] = static_cast<uint8_t>(length >> 8);
  return true;
}

bool ParseVersion(const std::string& dotted, uint32_t numbers[4]) {
  size_t count = 0, i = 0;
  while (count < 4) {
    const size_t begin = i;
    uint32_t number = 0;
    for (; i < dotted.size() && dotted[i] >= '0' && dotted[i] <= '9' && i - begin < 5; ++i) {
      number = number * 10 + (dotted[i] - '0');
    }
    if (i == begin || number > 0xFFFF) return false;
    numbers[count++] = number;
    if (i == dotted.size()) return true;
    if (dotted[i++] != '.') return false;
  }
  return false;
}

}  // namespace

bool VersionResource(const std::string& dottedVersion, const std::vector<VersionString>& strings,
                     std::vector<uint8_t>* bytes, std::string* fault) {
  uint32_t numbers[4] = {0, 0, 0, 0};
  if (!ParseVersion(dottedVersion, numbers)) {
    return Refuse(fault, "\"" + dottedVersion + "\" is not a version of one to four numbers up to 65535");
  }
  bytes->clear();
  const size_t root = OpenBlock(bytes, u"VS_VERSION_INFO", 52, false);
  const uint32_t fixed[13] = {0xFEEF04BD, 0x10000,  // signature, structure version 1.0
                              numbers[0] << 16 | numbers[1], numbers[2] << 16 | numbers[3],
                              numbers[0] << 16 | numbers[1], numbers[2] << 16 | numbers[3],
                              0x3F, 0,        // flags mask, flags
                              0x40004, 1, 0,  // VOS_NT_WINDOWS32, VFT_APP, no subtype
                              0, 0};          // no date
  for (uint32_t word : fixed) Put32(bytes, word);
  const size_t fileInfo = OpenBlock(bytes, u"StringFileInfo", 0, true);
  const size_t table = OpenBlock(bytes, u"040904B0", 0, true);
  for (const VersionString& pair : strings) {
    std::u16string key, value;
    if (pair.key.empty()) return Refuse(fault, "a version string has no key");
    if (!Utf16(pair.key, &key) || !Utf16(pair.value, &value)) {
      return Refuse(fault, "the version string \"" + pair.key + "\" is not valid UTF-8 text");
    }
    if (value.size() >= 0xFFFF) return Refuse(fault, "the version string \"" + pair.key + "\" is too long");
    const size_t block = OpenBlock(bytes, key, static_cast<uint32_t>(value.size() + 1), true);
    PutText(bytes, value);
    if (!CloseBlock(bytes, block, fault)) return false;
  }
  if (!CloseBlock(bytes, table, fault) || !CloseBlock(bytes, fileInfo, fault)) return false;
  const size_t varInfo = OpenBlock(bytes, u"VarFileInfo", 0, true);
  const size_t translation = OpenBlock(bytes, u"Translation", 4, false);
  Put16(bytes, 0x0409);  // US English
  Put16(bytes, 1200);    // UTF-16
  return CloseBlock(bytes, translation, fault) && CloseBlock(bytes, varInfo, fault) &&
         CloseBlock(bytes, root, fault);
}
