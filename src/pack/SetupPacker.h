#pragma once
// From a description and the stub to a finished setup: checked whole before anything is written,
// written under a temporary name beside the output and put in its place only when complete (and
// signed, where the description asks), with the package manager's manifests beside it.
#include <string>

#include "pack/Refusals.h"

struct PackRequest {
  std::string description;
  std::string output;
  std::string stub;
  std::string base;  // where relative paths start; empty: the description's folder
};

enum PackOutcome { kPacked, kPackRefused, kPackNotWritten };

// Refusals name the description's places; a failure to write names the file.
PackOutcome PackSetup(const PackRequest& request, Refusals* refusals, std::string* summary);
