#include "pack/HostFiles.h"

#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>

#ifdef _WIN32
#include <windows.h>
#include <process.h>
#else
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <spawn.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

namespace {
#ifdef _WIN32
struct FindTraits {
  using Type = HANDLE;
  static Type Invalid() { return INVALID_HANDLE_VALUE; }
  static bool IsValid(Type search) { return search != INVALID_HANDLE_VALUE; }
  static void Free(Type search) { FindClose(search); }
};
struct KernelHandleTraits {
  using Type = HANDLE;
  static Type Invalid() { return nullptr; }
  static bool IsValid(Type handle) { return handle != nullptr; }
  static void Free(Type handle) { CloseHandle(handle); }
};
#else
struct FolderTraits {
  using Type = DIR*;
  static Type Invalid() { return nullptr; }
  static bool IsValid(Type folder) { return folder != nullptr; }
  static void Free(Type folder) { closedir(folder); }
};
#endif

#ifdef _WIN32
std::wstring Wide(const std::string& text) {
  int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(length), L'\0');
  if (length > 0) MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &wide[0], length);
  return wide;
}

std::string Narrow(const wchar_t* text) {
  int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string narrow(length > 0 ? static_cast<size_t>(length) : 1, '\0');
  if (length > 0) WideCharToMultiByte(CP_UTF8, 0, text, -1, &narrow[0], length, nullptr, nullptr);
  narrow.resize(narrow.size() - 1);
  return narrow;
}

std::string Reason(DWORD error) {
  wchar_t text[256];
  if (!FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, text, 256, nullptr)) {
    return "error " + std::to_string(error);
  }
  std::string reason = Narrow(text);
  while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == '.')) reason.pop_back();
  return reason;
}

FILE* Open(const std::string& path, const wchar_t* mode) { return _wfopen(Wide(path).c_str(), mode); }
#else
std::string Reason(int error) { return strerror(error); }
FILE* Open(const std::string& path, const char* mode) { return fopen(path.c_str(), mode); }
#endif

bool IsSeparator(char c) {
#ifdef _WIN32
  return c == '/' || c == '\\';
#else
  return c == '/';
#endif
}
}  // namespace

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>* bytes, std::string* reason) {
  bytes->clear();
  ScopedFile file = OpenFileForReading(path);
  if (!file.valid()) {
#ifdef _WIN32
    *reason = Reason(GetLastError());
#else
    *reason = Reason(errno);
#endif
    return false;
  }
  uint64_t size = 0;
  bool read = FileSize(path, &size) && size < SIZE_MAX;
  if (read) {
    bytes->resize(static_cast<size_t>(size));
    read = size == 0 || fread(bytes->data(), 1, bytes->size(), file.get()) == bytes->size();
  }
  if (!read) *reason = "cannot be read whole";
  return read;
}

bool FileSize(const std::string& path, uint64_t* size) {
#ifdef _WIN32
  struct _stat64 status;
  if (_wstat64(Wide(path).c_str(), &status) != 0 || !(status.st_mode & _S_IFREG)) return false;
#else
  struct stat status;
  if (stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return false;
#endif
  *size = static_cast<uint64_t>(status.st_size);
  return true;
}

bool IsFolderPath(const std::string& path) {
#ifdef _WIN32
  DWORD attributes = GetFileAttributesW(Wide(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
#else
  struct stat status;
  return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
#endif
}

bool ListFolder(const std::string& path, std::vector<std::string>* names) {
  names->clear();
#ifdef _WIN32
  WIN32_FIND_DATAW found;
  Scoped<FindTraits> search(FindFirstFileW(Wide(path + "\\*").c_str(), &found));
  if (!search.valid()) return false;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names->push_back(Narrow(found.cFileName));
  } while (FindNextFileW(search.get(), &found));
#else
  Scoped<FolderTraits> folder(opendir(path.c_str()));
  if (!folder.valid()) return false;
  while (dirent* entry = readdir(folder.get())) {
    std::string name = entry->d_name;
    if (!IsFolderPath(path + "/" + name)) names->push_back(name);
  }
#endif
  std::sort(names->begin(), names->end());
  return true;
}

ScopedFile OpenFileForReading(const std::string& path) {
#ifdef _WIN32
  return ScopedFile(Open(path, L"rb"));
#else
  return ScopedFile(Open(path, "rb"));
#endif
}

ScopedFile OpenPrivateForWriting(const std::string& path) {
#ifdef _WIN32
  // The folder's permissions, which a maker's own folder keeps to its owner.
  return ScopedFile(Open(path, L"wb"));
#else
  int file = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
  FILE* stream = file < 0 ? nullptr : fdopen(file, "wb");
  if (file >= 0 && !stream) close(file);  // the descriptor is the stream's only once fdopen took it
  return ScopedFile(stream);
#endif
}

ScopedFile OpenForWriting(const std::string& path) {
#ifdef _WIN32
  return ScopedFile(Open(path, L"wb"));
#else
  return ScopedFile(Open(path, "wb"));
#endif
}

bool CloseWritten(ScopedFile* file) {
  FILE* written = file->release();
  return written && fclose(written) == 0;
}

bool PutFileInPlace(const std::string& from, const std::string& to) {
#ifdef _WIN32
  return MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
  return rename(from.c_str(), to.c_str()) == 0;
#endif
}

void RemoveFile(const std::string& path) {
#ifdef _WIN32
  DeleteFileW(Wide(path).c_str());
#else
  unlink(path.c_str());
#endif
}

std::string TemporaryNameBeside(const std::string& path) {
#ifdef _WIN32
  unsigned long process = GetCurrentProcessId();
#else
  unsigned long process = static_cast<unsigned long>(getpid());
#endif
  return path + "." + std::to_string(process) + ".part";
}

bool IsAbsolute(const std::string& path) {
#ifdef _WIN32
  return (path.size() > 2 && path[1] == ':' && IsSeparator(path[2])) || (path.size() > 1 && IsSeparator(path[0]));
#else
  return !path.empty() && path[0] == '/';
#endif
}

std::string FolderOf(const std::string& path) {
  size_t at = path.size();
  while (at > 0 && !IsSeparator(path[at - 1])) --at;
  if (at == 0) return ".";
  return path.substr(0, at > 1 ? at - 1 : at);
}

std::string FileNameOf(const std::string& path) {
  size_t at = path.size();
  while (at > 0 && !IsSeparator(path[at - 1])) --at;
  return path.substr(at);
}

std::string ResolvedPath(const std::string& folder, const std::string& path) {
  if (IsAbsolute(path) || folder.empty() || folder == ".") return path;
#ifdef _WIN32
  return folder + "\\" + path;
#else
  return folder + "/" + path;
#endif
}

bool EnvironmentValue(const char* name, std::string* value) {
#ifdef _WIN32
  wchar_t text[32768];
  DWORD length = GetEnvironmentVariableW(Wide(name).c_str(), text, 32768);
  if (length == 0 || length >= 32768) return false;
  *value = Narrow(text);
#else
  const char* text = getenv(name);
  if (!text) return false;
  *value = text;
#endif
  return true;
}

int RunProgram(const std::vector<std::string>& arguments) {
#ifdef _WIN32
  std::wstring line;
  for (const std::string& argument : arguments) {
    // Quoted as the C run-time library reads a command line back.
    std::wstring wide = Wide(argument), quoted = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : wide) {
      if (c == L'\\') {
        ++backslashes;
        continue;
      }
      quoted.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
      backslashes = 0;
      quoted += c;
    }
    quoted.append(2 * backslashes, L'\\');
    line += (line.empty() ? L"" : L" ") + quoted + L"\"";
  }
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) return -1;
  Scoped<KernelHandleTraits> child(process.hProcess), thread(process.hThread);
  WaitForSingleObject(child.get(), INFINITE);
  DWORD code = 1;
  GetExitCodeProcess(child.get(), &code);
  return static_cast<int>(code);
#else
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  pid_t child;
  if (posix_spawnp(&child, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
  int status = 0;
  if (waitpid(child, &status, 0) != child) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
}
