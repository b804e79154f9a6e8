// A payload of today's size (the test build's LargeSetup: a 128 MB model that does not compress and the placeholder
// filter): an unattended install against copying the same files and flushing the copies, interleaved; and the most
// private memory the run commits against the bare dialog's.
// usage: bench_large LARGE_SETUP MODEL BARE_DIALOG FOLDER ROUNDS
#include <stdio.h>
#include <stdlib.h>
#include <windows.h>

#include "BenchSupport.h"

namespace {

// The process's private committed memory now: what the system must back with its page file. Mapped files and the
// image are not counted (Wine's own counters count them, as if they were).
SIZE_T PrivateCommit(HANDLE process) {
  SIZE_T total = 0;
  MEMORY_BASIC_INFORMATION region;
  for (BYTE* at = nullptr; VirtualQueryEx(process, at, &region, sizeof region) == sizeof region;
       at = static_cast<BYTE*>(region.BaseAddress) + region.RegionSize) {
    if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) total += region.RegionSize;
    if (region.RegionSize == 0) break;
  }
  return total;
}

// The program run to its end, polled for its private commit: what it committed at its most, in bytes; 0 when it
// failed. settle: milliseconds after which a program that does not end (a dialog) is measured and ended.
SIZE_T PeakCommit(const std::string& exe, const std::string& arguments, DWORD settle = INFINITE) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process;
  std::string line = "\"" + exe + "\" " + arguments;
  if (!CreateProcessA(exe.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) return 0;
  SIZE_T peak = 0;
  for (DWORD waited = 0; WaitForSingleObject(process.hProcess, 5) == WAIT_TIMEOUT; waited += 5) {
    SIZE_T now = PrivateCommit(process.hProcess);
    if (now > peak) peak = now;
    if (waited >= settle) TerminateProcess(process.hProcess, 0);
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return peak;
}

// The model and the filter copied as a plain copy does, each flushed to the disk; negative when a copy failed.
double CopyAndFlush(const std::string& model, const std::string& filter, const std::string& folder) {
  double start = Now();
  for (const std::string& from : {model, filter}) {
    std::string to = folder + from.substr(from.find_last_of("\\/") + 1);
    if (!CopyFileA(from.c_str(), to.c_str(), FALSE)) return -1;
    HANDLE copied = CreateFileA(to.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    bool flushed = FlushFileBuffers(copied);
    CloseHandle(copied);
    if (!flushed) return -1;
  }
  return Now() - start;
}

}  // namespace

int main(int argc, char** argv) {
  // The copy as a program of its own, which pays a process's start as the setup does.
  if (argc == 5 && std::string(argv[1]) == "--copy") return CopyAndFlush(argv[2], argv[3], std::string(argv[4]) + "\\") > 0 ? 0 : 1;
  if (argc < 6) {
    printf("usage: bench_large LARGE_SETUP MODEL BARE_DIALOG FOLDER ROUNDS\n");
    return 1;
  }
  const std::string setup = argv[1], model = argv[2], bare = argv[3], base = std::string(argv[4]) + "\\";
  int rounds = atoi(argv[5]);
  std::string filter = setup.substr(0, setup.find_last_of("\\/") + 1) + "..\\payload\\MienFold.8bf";
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::vector<double> ours, copies, ratios, startups, programCopies, programRatios;
  CreateDirectoryA(argv[4], nullptr);
  for (int round = -1; round < rounds; ++round) {  // round -1 warms up
    std::string folder = base + "large" + std::to_string(round + 1) + "\\", copy = base + "copy\\";
    CreateDirectoryA(copy.c_str(), nullptr);
    double a = TimedRun(setup, "/S /D=" + folder);
    double b = CopyAndFlush(model, filter, copy);
    double c = TimedRun(self, "--copy \"" + model + "\" \"" + filter + "\" \"" + base + "copy\"");  // no \ before the quote
    double start = Now();
    TimedRun(setup, "/S /?");  // the start-up alone: the 128 MB image mapped, the command line read
    double startup = Now() - start;
    TimedRun(setup, "/UNINSTALL /S");
    if (a < 0 || b < 0 || c < 0) {
      printf("large payload: the %s failed\n", a < 0 ? "install" : "copy");
      return 1;
    }
    if (round < 0) continue;
    ours.push_back(a);
    copies.push_back(b);
    ratios.push_back(a / b);
    programCopies.push_back(c);
    programRatios.push_back(a / c);
    startups.push_back(startup);
  }
  printf("unattended install of a 128 MB payload, median of %d interleaved rounds:\n", rounds);
  printf("  ours (whole run)                    %8.1f ms\n", Median(ours));
  printf("  CopyFileA and a flush of the files  %8.1f ms\n", Median(copies));
  printf("  ours / copy and flush               %8.2f\n", Median(ratios));
  printf("  the same copy as a program         %8.1f ms\n", Median(programCopies));
  printf("  ours / the copy as a program        %8.2f\n", Median(programRatios));
  printf("  of ours: the start-up alone (/?)    %8.1f ms; the rest / copy and flush %.2f\n", Median(startups),
         (Median(ours) - Median(startups)) / Median(copies));
  SIZE_T run = PeakCommit(setup, "/S /D=" + base + "memory\\"), dialog = PeakCommit(bare, "", 1500);
  TimedRun(setup, "/UNINSTALL /S");
  printf("peak private commit: the unattended run %.1f MB, the bare dialog %.1f MB, %.1f MB above it\n", run / 1048576.0,
         dialog / 1048576.0, (static_cast<double>(run) - static_cast<double>(dialog)) / 1048576.0);
  return 0;
}
