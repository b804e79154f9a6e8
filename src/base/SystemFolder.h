#pragma once
// Folders as the system knows them, never as the environment names them: a user's own environment
// variables reach the elevated setup, and would point it at a folder the user can write.
#include <windows.h>

#include <shlobj.h>

#include "base/BoundedText.h"

// The folder the shell keeps for the CSIDL: CSIDL_PROGRAM_FILES (of this program's kind: the
// 32-bit one on 64-bit Windows; only administrators can write it), or the signed-in user's
// CSIDL_APPDATA, CSIDL_PERSONAL (documents) and CSIDL_PROFILE. False when the shell cannot say.
bool SystemFolderPath(int csidl, ShortPath* path);
