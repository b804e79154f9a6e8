// setup-pack: a maker's setup from one description file and the prebuilt stub, in one command.
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "pack/Description.h"
#include "pack/HostFiles.h"
#include "pack/SetupPacker.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

const char kUsage[] =
    "usage: setup-pack DESCRIPTION -o SETUP.exe [--stub STUB.exe] [--base FOLDER]\n"
    "       setup-pack --new DESCRIPTION\n"
    "\n"
    "Builds a plug-in setup from DESCRIPTION, a TOML file (see the README, or write a commented\n"
    "one with --new), and the prebuilt stub: setup-stub.exe beside setup-pack unless --stub names\n"
    "another. Paths in the description are taken from its own folder, or from --base.\n"
    "Nothing is written where the description is refused: each refusal names the file, the line\n"
    "and the key. With [package] in the description, the package manager's manifests are written\n"
    "beside the setup; with [signing], the setup is signed.\n"
    "\n"
    "Exit codes: 0 written, 1 refused, 2 bad command line, 3 could not be written.\n";

enum Exit { kExitWritten = 0, kExitRefused = 1, kExitUsage = 2, kExitNotWritten = 3 };

std::string OwnFolder(const char* argv0) {
#ifdef _WIN32
  (void)argv0;
  wchar_t path[32768];
  DWORD length = GetModuleFileNameW(nullptr, path, 32768);
  if (length == 0 || length >= 32768) return ".";
  char narrow[3 * 32768];
  if (!WideCharToMultiByte(CP_UTF8, 0, path, -1, narrow, sizeof narrow, nullptr, nullptr)) return ".";
  return FolderOf(narrow);
#else
  char path[4096];
  ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return FolderOf(argv0);
  path[length] = '\0';
  return FolderOf(path);
#endif
}

int WriteNewDescription(const std::string& path) {
  uint64_t size;
  if (FileSize(path, &size) || IsFolderPath(path)) {
    fprintf(stderr, "setup-pack: %s exists already; --new writes a new file only\n", path.c_str());
    return kExitNotWritten;
  }
  ScopedFile out = OpenForWriting(path);
  bool written = out.valid() && fputs(kNewDescription, out.get()) >= 0;
  written = CloseWritten(&out) && written;
  if (!written) {
    fprintf(stderr, "setup-pack: %s cannot be written\n", path.c_str());
    return kExitNotWritten;
  }
  printf("Wrote %s: fill it in, then run setup-pack %s -o Setup.exe\n", path.c_str(), path.c_str());
  return kExitWritten;
}

int Pack(const std::vector<std::string>& arguments, const char* argv0) {
  PackRequest request;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    bool hasValue = i + 1 < arguments.size();
    if ((argument == "-o" || argument == "--output") && hasValue) {
      request.output = arguments[++i];
    } else if (argument == "--stub" && hasValue) {
      request.stub = arguments[++i];
    } else if (argument == "--base" && hasValue) {
      request.base = arguments[++i];
    } else if (argument == "--new" && hasValue && arguments.size() == 2) {
      return WriteNewDescription(arguments[++i]);
    } else if (argument == "--help" || argument == "-h") {
      fputs(kUsage, stdout);
      return kExitWritten;
    } else if (argument.empty() || argument[0] == '-' || !request.description.empty()) {
      fprintf(stderr, "setup-pack: %s is not understood\n\n%s", argument.c_str(), kUsage);
      return kExitUsage;
    } else {
      request.description = argument;
    }
  }
  if (request.description.empty() || request.output.empty()) {
    fputs(kUsage, stderr);
    return kExitUsage;
  }
  if (request.stub.empty()) request.stub = ResolvedPath(OwnFolder(argv0), "setup-stub.exe");
  Refusals refusals;
  std::string summary;
  PackOutcome outcome = PackSetup(request, &refusals, &summary);
  refusals.Write(stderr);
  if (outcome == kPacked) {
    if (!summary.empty()) printf("%s\n", summary.c_str());
    printf("Wrote %s\n", request.output.c_str());
  } else {
    fprintf(stderr, "setup-pack: %s\n", outcome == kPackRefused ? "refused: nothing was written" : "the setup was not written");
  }
  return outcome == kPacked ? kExitWritten : outcome == kPackRefused ? kExitRefused : kExitNotWritten;
}

}  // namespace

#ifdef _WIN32
// The command line in UTF-16, as Windows hands it over, into UTF-8 for the rest of the packer.
int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) {
    int length = WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, nullptr, 0, nullptr, nullptr);
    std::string argument(length > 0 ? static_cast<size_t>(length) : 1, '\0');
    if (length > 0) WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, &argument[0], length, nullptr, nullptr);
    argument.resize(argument.size() - 1);
    arguments.push_back(argument);
  }
  return Pack(arguments, "");
}
#else
int main(int argc, char** argv) { return Pack(std::vector<std::string>(argv + 1, argv + argc), argv[0]); }
#endif
