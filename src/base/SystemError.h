#pragma once
// The system's own words for an error code, for messages and the log.
#include <windows.h>

enum ErrorWords { kUsersWords, kLogWords };

// The system's message for the error, or its number where the system has none: in the user's
// language for a message, in English where the system has it for the log. text holds capacity
// characters, at least 32.
void DescribeError(DWORD error, wchar_t* text, DWORD capacity, ErrorWords words = kUsersWords);
