#pragma once
// Folders as the system knows them, never as the environment names them: a user's own environment
// variables reach the elevated setup, and would point it at a folder the user can write.
#include <windows.h>

// The program files folder of this program's kind (the 32-bit one on 64-bit Windows), which only
// administrators can write. path holds MAX_PATH characters. False when the shell cannot say.
bool ProgramFilesFolder(char* path);
