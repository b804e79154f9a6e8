#pragma once
// SHA-256 of a file, as the package manager checks a download: 64 upper-case hex digits.
#include <string>

// False when the file cannot be read.
bool FileSha256(const std::string& path, std::string* hex);
