#pragma once
// Authenticode signatures, SHA-256, by osslsigncode from the search path: the key and certificate
// from the description's PKCS#12 file, its password from the environment variable it names, never
// from a command line or a file another user can read.
#include <string>

#include "pack/Description.h"

// Signs the file in place. False with the reason.
bool SignImage(const Description& description, const std::string& path, std::string* fault);
