#pragma once
// Work side by side on the machine the packer runs on: its own processors, whatever the system.
#include <stddef.h>

#include <functional>
#include <vector>

// Runs every job, at most `most` at once, and returns when all have ended. A job that gets no thread
// of its own runs on the caller's; each writes only what is its own.
void RunSideBySide(const std::vector<std::function<void()>>& jobs, size_t most);

// How many jobs the machine runs at once: its processors, at least one.
size_t ProcessorCount();
