#pragma once
// Files on the machine the packer runs on, named in UTF-8 on Linux and on Windows alike.
#include <stdint.h>
#include <stdio.h>

#include <string>
#include <vector>

#include "format/Scoped.h"

// An open file of the C library's.
struct FileTraits {
  using Type = FILE*;
  static Type Invalid() { return nullptr; }
  static bool IsValid(Type file) { return file != nullptr; }
  static void Free(Type file) { fclose(file); }
};
using ScopedFile = Scoped<FileTraits>;

// The whole file; false with the system's reason.
bool ReadWholeFile(const std::string& path, std::vector<uint8_t>* bytes, std::string* reason);
// Its size without reading it; false when it cannot be looked at.
bool FileSize(const std::string& path, uint64_t* size);
bool IsFolderPath(const std::string& path);
// The file names in a folder, sorted by their bytes (the same order on every system).
bool ListFolder(const std::string& path, std::vector<std::string>* names);
ScopedFile OpenFileForReading(const std::string& path);
ScopedFile OpenForWriting(const std::string& path);
// Written so that only this user can read it (a password on its way to another program); on Windows
// as the folder's permissions allow.
ScopedFile OpenPrivateForWriting(const std::string& path);
// Closes a file written through the C library: true when all that was written reached the file,
// which the close's flush decides.
bool CloseWritten(ScopedFile* file);
// Puts the finished file at its name, replacing what was there: never a half-written file at it.
bool PutFileInPlace(const std::string& from, const std::string& to);
void RemoveFile(const std::string& path);
// A name beside the output for the file being written, which no other packer run takes.
std::string TemporaryNameBeside(const std::string& path);
bool IsAbsolute(const std::string& path);
// path relative to base's folder (base itself where it is a folder), as it is where absolute.
std::string ResolvedPath(const std::string& folder, const std::string& path);
std::string FolderOf(const std::string& path);
std::string FileNameOf(const std::string& path);
// An environment variable's value; false where it is not set.
bool EnvironmentValue(const char* name, std::string* value);
// Runs a program found on the search path with these arguments and waits; its exit code, -1 when it
// could not be started.
int RunProgram(const std::vector<std::string>& arguments);
