#pragma once
// The bytes of an RT_VERSION resource: VS_VERSIONINFO with its fixed part (an application for
// 32-bit Windows), one string table for US English in UTF-16 (040904B0) holding the pairs in the
// order given, and the translation that names it.
#include <stdint.h>

#include <string>
#include <vector>

struct VersionString {
  std::string key, value;  // UTF-8
};

// dottedVersion: one to four numbers up to 65535, "1.1.0"; the missing ones are 0.
bool VersionResource(const std::string& dottedVersion, const std::vector<VersionString>& strings,
                     std::vector<uint8_t>* bytes, std::string* fault);
