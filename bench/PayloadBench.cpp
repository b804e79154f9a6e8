// Unattended installs of the same 28 plug-in files: our setup against the peer installer's two
// builds, interleaved, each into a folder of its own, in the same prefix. Also what the copy of
// our setup that every install keeps as its uninstaller costs.
// usage: bench_payload OURS NSIS_SOLID_LZMA NSIS_ZLIB FOLDER ROUNDS
#include <stdio.h>
#include <stdlib.h>

#include "BenchSupport.h"

int main(int argc, char** argv) {
  if (argc < 6) {
    printf("usage: bench_payload OURS NSIS_SOLID_LZMA NSIS_ZLIB FOLDER ROUNDS\n");
    return 1;
  }
  const std::string ours = argv[1], solid = argv[2], zlib = argv[3], base = std::string(argv[4]) + "\\";
  int rounds = atoi(argv[5]);
  std::vector<double> oursTimes, solidTimes, zlibTimes, copyTimes;
  for (int round = -1; round < rounds; ++round) {  // round -1 warms up
    std::string suffix = std::to_string(round + 1);
    double a = TimedRun(ours, "/S /D=" + base + "ours" + suffix);
    double b = TimedRun(solid, "/S /D=" + base + "solid" + suffix);
    double c = TimedRun(zlib, "/S /D=" + base + "zlib" + suffix);
    TimedRun(ours, "/UNINSTALL /S");  // so that every round starts from no record
    double start = Now();
    bool copied = CopyFileA(ours.c_str(), (base + "copy.exe").c_str(), FALSE) != FALSE;
    double copy = Now() - start;
    if (a < 0 || b < 0 || c < 0 || !copied) {
      printf("payload: a run failed (ours %.0f, solid %.0f, zlib %.0f)\n", a, b, c);
      return 1;
    }
    if (round < 0) continue;
    oursTimes.push_back(a);
    solidTimes.push_back(b);
    zlibTimes.push_back(c);
    copyTimes.push_back(copy);
  }
  printf("unattended install of the 28 files, median of %d interleaved rounds (whole runs):\n", rounds);
  printf("  ours                   %8.1f ms\n", Median(oursTimes));
  printf("  NSIS /SOLID lzma       %8.1f ms\n", Median(solidTimes));
  printf("  NSIS zlib              %8.1f ms\n", Median(zlibTimes));
  printf("  ours / NSIS solid lzma %8.2f\n", Median(oursTimes) / Median(solidTimes));
  printf("  of ours: the copy of the setup kept as uninstaller, CopyFileA %.1f ms\n", Median(copyTimes));
  return 0;
}
