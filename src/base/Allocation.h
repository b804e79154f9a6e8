#pragma once
// The program's own allocation functions: a plain new that fails ends the program with a message.
#include <new>

// What `new (kNoThrow)` takes: the run-time library's std::nothrow object alone would bring its
// handler code and unwind tables into the executable.
inline constexpr std::nothrow_t kNoThrow{};

// Set for an unattended run: running out of memory then ends the program without a message.
extern bool silentRun;
