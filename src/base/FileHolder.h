#pragma once
// Which program holds a file, as far as the system can say (the Restart Manager). Wine's names
// nothing; a message that uses the name must read well without it.
#include <stddef.h>

// The name of a program that has the file open or loaded, cut between characters to fit capacity
// characters. False, with name empty, when the system cannot say.
bool NameProgramHolding(const wchar_t* path, wchar_t* name, size_t capacity);
