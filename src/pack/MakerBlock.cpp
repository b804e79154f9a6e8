#include "pack/MakerBlock.h"

#include <string>

#include "format/SetupFormat.h"
#include "pack/LittleEndian.h"

namespace {
// Characters each value may have: the setup builds registry keys, object names and paths from them.
const size_t kLongest[kMakerValueCount] = {
    60,   // maker name: "Software\<name>", "<name>Setup"
    60,   // maker folder
    30,   // scan word
    30,   // folder mark
    200,  // website
    250,  // help page
    60,   // product name: the entry's key, "Program Files\<name>\"
    23,   // version: four numbers of five digits and their points
};

bool IsPlainFolderName(const std::string& name) {
  static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL"};
  if (name.empty() || name.back() == '.' || name.back() == ' ' || name == "..") return false;
  for (char c : name) {
    if (static_cast<unsigned char>(c) < 32 || std::string("\\/:*?\"<>|").find(c) != std::string::npos) return false;
  }
  std::string stem = name.substr(0, name.find('.'));
  for (char& c : stem) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
  for (const char* device : kDevices) {
    if (stem == device) return false;
  }
  return !((stem.size() == 4) && (stem.compare(0, 3, "COM") == 0 || stem.compare(0, 3, "LPT") == 0) && stem[3] >= '1' &&
           stem[3] <= '9');
}

bool IsVersion(const std::string& version) {
  int numbers = 0;
  size_t at = 0;
  while (at <= version.size()) {
    size_t end = version.find('.', at);
    if (end == std::string::npos) end = version.size();
    std::string number = version.substr(at, end - at);
    if (number.empty() || number.size() > 5 || number.find_first_not_of("0123456789") != std::string::npos ||
        std::stoul(number) > 65535 || ++numbers > 4) {
      return false;
    }
    at = end + 1;
  }
  return true;
}

bool IsAddress(const std::string& text) {
  return (text.compare(0, 7, "http://") == 0 && text.size() > 7) || (text.compare(0, 8, "https://") == 0 && text.size() > 8);
}
}  // namespace

std::u16string Utf16(const std::string& text) {
  std::u16string out;
  for (size_t i = 0; i < text.size();) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    uint32_t point = c;
    int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    if (extra) point = c & (0x3F >> extra);
    for (int k = 1; k <= extra && i + k < text.size(); ++k) point = point << 6 | (text[i + k] & 0x3F);
    i += 1 + extra;
    if (point >= 0x10000) {
      out += static_cast<char16_t>(0xD800 + ((point - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((point - 0x10000) & 0x3FF));
    } else {
      out += static_cast<char16_t>(point);
    }
  }
  return out;
}

void CheckMakerValues(const Description& description, Refusals* refusals) {
  for (int i = 0; i < kMakerValueCount; ++i) {
    const DescribedText& value = description.maker[i];
    if (value.text.empty()) continue;  // refused as missing already
    if (Utf16(value.text).size() > kLongest[i]) {
      refusals->Add(value.where, "is longer than " + std::to_string(kLongest[i]) + " characters");
    }
  }
  const DescribedText& scanWord = description.maker[kMakerScanWord];
  const DescribedText& mark = description.maker[kMakerFolderMark];
  if (!scanWord.text.empty() && scanWord.text.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789") != std::string::npos) {
    refusals->Add(scanWord.where, "must be lower-case letters a-z and digits: discovery compares it with lower-cased keys");
  }
  if (!mark.text.empty() && scanWord.text.find(mark.text) == std::string::npos) {
    refusals->Add(mark.where, "must be a part of maker.scan_word ('" + scanWord.text + "')");
  }
  const DescribedText& folder = description.maker[kMakerMakerFolder];
  if (!folder.text.empty() && !IsPlainFolderName(folder.text)) refusals->Add(folder.where, "is no plain folder name");
  for (MakerValue address : {kMakerWebsite, kMakerHelpPage}) {
    const DescribedText& value = description.maker[address];
    if (!value.text.empty() && !IsAddress(value.text)) refusals->Add(value.where, "must be an http:// or https:// address");
  }
  const DescribedText& version = description.maker[kMakerVersion];
  if (!version.text.empty() && !IsVersion(version.text)) {
    refusals->Add(version.where, "must be one to four numbers up to 65535 with points between them: \"1.2.0\"");
  }
}

std::vector<uint8_t> MakerBlock(const Description& description) {
  std::vector<uint8_t> block(setup_format::kMakerMagic, setup_format::kMakerMagic + 4);
  Put16(&block, setup_format::kMakerVersion);
  Put16(&block, kMakerValueCount);
  for (const DescribedText& value : description.maker) {
    for (char16_t unit : Utf16(value.text) + u'\0') Put16(&block, unit);
  }
  return block;
}
