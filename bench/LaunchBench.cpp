// Launch to ready: from just before CreateProcess until the program's first window is visible and
// painted (no update region left after it has answered a message). Contenders run interleaved,
// one untimed warm-up each; prints medians and the medians of the paired differences and ratios.
#include <stdio.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "BenchSupport.h"

namespace {

struct Search {
  DWORD processId;
  HWND found;
};

BOOL CALLBACK FindVisible(HWND window, LPARAM parameter) {
  Search* search = reinterpret_cast<Search*>(parameter);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->processId || !IsWindowVisible(window) || GetWindow(window, GW_OWNER)) return TRUE;
  RECT rect;
  GetWindowRect(window, &rect);
  if (rect.right - rect.left < 100) return TRUE;  // helper windows
  search->found = window;
  return FALSE;
}


// Milliseconds to ready, or a negative value when the program showed nothing in time.
double LaunchToReady(const std::string& exe, COLORREF* pixel) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  std::string commandLine = "\"" + exe + "\"";
  double start = Now();
  if (!CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    return -1;
  }
  double ready = -1;
  for (int spins = 0; spins < 20000; ++spins) {
    Search search = {process.dwProcessId, nullptr};
    EnumWindows(FindVisible, reinterpret_cast<LPARAM>(&search));
    if (search.found) {
      DWORD_PTR result;
      SendMessageTimeoutA(search.found, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result);
      if (!GetUpdateRect(search.found, nullptr, FALSE)) {
        ready = Now() - start;
        if (pixel) {
          HDC dc = GetDC(search.found);
          *pixel = GetPixel(dc, 480, 150);
          ReleaseDC(search.found, dc);
        }
        break;
      }
    }
    Sleep(1);
  }
  TerminateProcess(process.hProcess, 0);
  WaitForSingleObject(process.hProcess, 5000);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  Sleep(100);  // let the platform settle between contenders
  return ready;
}


}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    printf("usage: bench_launch ROUNDS OURS.exe PEER.exe BARE.exe\n");
    return 2;
  }
  int rounds = atoi(argv[1]);
  std::vector<std::string> contenders = {argv[2], argv[3], argv[4]};
  const char* names[] = {"ours", "peer (NSIS)", "bare dialog"};
  for (const std::string& exe : contenders) LaunchToReady(exe, nullptr);  // warm-up
  std::vector<double> times[3];
  std::vector<double> oursOverPeer, oursMinusBare;
  for (int round = 0; round < rounds; ++round) {
    double t[3];
    for (int i = 0; i < 3; ++i) {
      t[i] = LaunchToReady(contenders[i], nullptr);
      if (t[i] >= 0) times[i].push_back(t[i]);
    }
    if (t[0] >= 0 && t[1] > 0) oursOverPeer.push_back(t[0] / t[1]);
    if (t[0] >= 0 && t[2] >= 0) oursMinusBare.push_back(t[0] - t[2]);
  }
  COLORREF pixel = CLR_INVALID;
  LaunchToReady(contenders[0], &pixel);
  printf("launch to ready, %d interleaved rounds:\n", rounds);
  for (int i = 0; i < 3; ++i) printf("  %-12s median %7.1f ms  (%zu runs)\n", names[i], Median(times[i]), times[i].size());
  printf("  ours / peer: median of paired ratios %.2f\n", Median(oursOverPeer));
  printf("  ours - bare: median of paired differences %+.1f ms\n", Median(oursMinusBare));
  printf("  cross-check: ours showed background pixel (480,150) = %06lX when ready\n", pixel);
  return 0;
}
