#pragma once
// The system's own words for an error code, for messages and the log.
#include <windows.h>

// The system's message for the error, or its number where the system has none. text holds
// capacity characters, at least 32.
void DescribeError(DWORD error, wchar_t* text, DWORD capacity);
