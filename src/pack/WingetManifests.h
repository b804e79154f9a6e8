#pragma once
// The three manifests of a Windows Package Manager (winget) package, schema 1.10.0, for exactly the
// setup just written: its SHA-256, its switches, its exit codes and its entry in the list of
// installed programs, beside it.
#include <string>

#include "pack/Description.h"
#include "pack/Refusals.h"

bool WriteWingetManifests(const Description& description, const std::string& setup, const std::string& architecture,
                          Refusals* refusals);
