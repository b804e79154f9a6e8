#pragma once
// The program's own allocation functions: a plain new that fails ends the program with a message.

// Set for an unattended run: running out of memory then ends the program without a message.
extern bool silentRun;
