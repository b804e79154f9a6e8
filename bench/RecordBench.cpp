// What the install record costs as it grows: unattended installs and the uninstall of the largest
// setup (fourteen components, 28 files and 40 preset values a run), with the record of one
// installation against the record of forty installations in forty folders (1,120 files). Each
// figure is the whole run of the setup as a process, start-up included.
#include <stdio.h>

#include "BenchSupport.h"

namespace {

const char kEntry[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velmoran Plugins";

std::string Folder(const std::string& base, int i) {
  return base + "editor " + std::to_string(100 + i) + "\\Plug-ins\\Velmoran";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    printf("usage: bench_record SETUP.EXE FOLDER [ROUNDS]\n");
    return 1;
  }
  std::string setup = argv[1], base = std::string(argv[2]) + "\\";
  int rounds = argc > 3 ? atoi(argv[3]) : 3;
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kEntry, 0, KEY_READ, &key) == ERROR_SUCCESS) {
    RegCloseKey(key);
    printf("record: skipped, this prefix has an installation of its own\n");
    return 0;
  }
  const int kInstallations = 40;
  std::vector<double> firstInstall, lastInstall, smallUninstall, largeUninstall;
  TimedRun(setup, "/S /D=" + Folder(base, 0));  // warm-up: the first start of a program costs more
  TimedRun(setup, "/UNINSTALL /S");
  for (int round = 0; round < rounds; ++round) {
    firstInstall.push_back(TimedRun(setup, "/S /D=" + Folder(base, 0)));
    smallUninstall.push_back(TimedRun(setup, "/UNINSTALL /S"));
    for (int i = 0; i < kInstallations; ++i) {
      double took = TimedRun(setup, "/S /D=" + Folder(base, i));
      if (i == kInstallations - 1) lastInstall.push_back(took);
    }
    DWORD size = 0;
    RegGetValueA(HKEY_LOCAL_MACHINE, kEntry, "InstalledFiles", RRF_RT_REG_MULTI_SZ, nullptr, nullptr, &size);
    if (round == 0) printf("record of %d installations: InstalledFiles holds %lu bytes\n", kInstallations, size);
    largeUninstall.push_back(TimedRun(setup, "/UNINSTALL /S"));
  }
  for (const auto* figures : {&firstInstall, &lastInstall, &smallUninstall, &largeUninstall}) {
    if (std::count_if(figures->begin(), figures->end(), [](double t) { return t < 0; })) {
      printf("record: a run failed\n");
      return 1;
    }
  }
  printf("record, median of %d rounds (whole runs, start-up included):\n", rounds);
  printf("  install, record empty                  %8.1f ms\n", Median(firstInstall));
  printf("  install, record of %d installations    %8.1f ms\n", kInstallations - 1, Median(lastInstall));
  printf("  uninstall, 1 installation (28 files)    %8.1f ms\n", Median(smallUninstall));
  printf("  uninstall, %d installations (%d files) %8.1f ms\n", kInstallations, 28 * kInstallations,
         Median(largeUninstall));
  return 0;
}
