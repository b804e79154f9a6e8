// In-process figures of the setup's own work: writing the payload the way a run does against
// CopyFileA of the same bytes followed by a flush of the copy, and the painting of the real dialog: a full paint cycle of each
// state, and the hover and press feedback of a button.
#include <stdio.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "BenchSupport.h"

#include "base/FileReplacement.h"
#include "base/MakerValues.h"
#include "base/Texts.h"
#include "install/Uninstall.h"
#include "skin/SkinSurface.h"
#include "skin/Widget.h"
#include "ui/DialogState.h"
#include "ui/SetupDialog.h"

namespace {

// What a run does for one file: a flushed temporary file put in place, the old one moved aside and deleted.
SystemError WriteFileReplacing(const TrustedFolder& folder, const wchar_t* name, const void* data, DWORD size) {
  Replacements journal;
  NewFile file;
  FilePath stranded;
  SystemError error = file.Begin(folder);
  if (!error) error = file.Write(data, size);
  if (!error) error = file.PutInPlace(name, &journal, &stranded);
  journal.Commit();
  return error;
}

void InstallFigures(const std::string& folder, int rounds) {
  printf("install, %d interleaved rounds (flushed temporary file and replace, against CopyFileA and a flush):\n",
         rounds);
  for (size_t size : {size_t(77824), size_t(10u << 20)}) {
    std::vector<unsigned char> bytes(size);
    unsigned state = 12345;
    for (unsigned char& b : bytes) b = static_cast<unsigned char>(state = state * 1103515245u + 12345u);
    std::string source = folder + "source.bin", ours = folder + "ours.8bf", copy = folder + "copy.8bf";
    HANDLE file = CreateFileA(source.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written;
    WriteFile(file, bytes.data(), static_cast<DWORD>(size), &written, nullptr);
    CloseHandle(file);
    std::vector<double> oursTimes, copyTimes, ratios;
    TrustedFolder trusted;
    std::wstring wideFolder(folder.begin(), folder.end());  // ASCII: the temporary folder of the bench
    if (SystemError error = trusted.Open(wideFolder.c_str(), kWriteFolder)) printf("  folder not opened: %lu\n", error.code());
    for (int round = -1; round < rounds; ++round) {
      double a = Now();
      SystemError error = WriteFileReplacing(trusted, L"ours.8bf", bytes.data(), static_cast<DWORD>(size));
      double b = Now();
      // The reference keeps the same promise: the copy is on the disk when it returns.
      CopyFileA(source.c_str(), copy.c_str(), FALSE);
      HANDLE copied = CreateFileA(copy.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
      FlushFileBuffers(copied);
      CloseHandle(copied);
      double c = Now();
      if (error) printf("  write failed: %lu\n", error.code());
      if (round < 0) continue;  // warm-up
      oursTimes.push_back(b - a);
      copyTimes.push_back(c - b);
      ratios.push_back((b - a) / (c - b));
    }
    printf("  %8zu bytes: ours %7.2f ms, CopyFileA+flush %7.2f ms, median paired ratio %.2f\n", size, Median(oursTimes),
           Median(copyTimes), Median(ratios));
    DeleteFileA(source.c_str());
    DeleteFileA(ours.c_str());
    DeleteFileA(copy.c_str());
  }
}

double TimedPaint(HWND dialog) {
  double a = Now();
  InvalidateRect(dialog, nullptr, FALSE);
  UpdateWindow(dialog);
  return Now() - a;
}

double TimedMouse(HWND dialog, UINT message, int x, int y) {
  double a = Now();
  SendMessageA(dialog, message, message == WM_LBUTTONDOWN ? MK_LBUTTON : 0, MAKELPARAM(x, y));
  return Now() - a;
}

void PaintFigures(const std::string& folder, int rounds, HMODULE setup, HANDLE ownFile) {
  // Into a folder of our own, named as on the command line: listed and chosen.
  std::string target = folder + "target\\";
  std::wstring wideTarget(target.begin(), target.end());
  SkinState skin = {};
  static DialogState state;
  state.source = {setup, ownFile};
  state.commandLineFolder = wideTarget.c_str();
  state.surface = new SkinSurface(&skin, state.source.module);
  HWND dialog = CreateDialogParamW(state.source.module, L"main", nullptr, SetupDialogProc, reinterpret_cast<LPARAM>(&state));
  ShowWindow(dialog, SW_SHOW);
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);

  std::vector<double> choosing, hover, press;
  for (int round = 0; round < rounds; ++round) {
    choosing.push_back(TimedPaint(dialog));
    TimedMouse(dialog, WM_MOUSEMOVE, 10, 10);  // away: the status line clears
    hover.push_back(TimedMouse(dialog, WM_MOUSEMOVE, 440, 280));
    press.push_back(TimedMouse(dialog, WM_LBUTTONDOWN, 380, 276));
    TimedMouse(dialog, WM_MOUSEMOVE, 10, 10);  // cancels the press without a click
  }
  SendMessageA(dialog, WM_COMMAND, IDOK, 0);  // then the completed state
  std::vector<double> completed;
  for (int round = 0; round < rounds; ++round) completed.push_back(TimedPaint(dialog));
  printf("painting, %d rounds (each paint cycle waits 50 ms before it draws, by design):\n", rounds);
  printf("  full paint, choosing state   %7.1f ms\n", Median(choosing));
  printf("  full paint, completed state  %7.1f ms (installed: %s)\n", Median(completed), state.installed ? "yes" : "no");
  printf("  hover feedback (status line) %7.2f ms\n", Median(hover));
  printf("  press feedback (button)      %7.2f ms\n", Median(press));
  DestroyWindow(dialog);
  // The installation's entry in the programs list, its kept uninstaller and the plug-in go again.
  RunUninstall(true, ownFile);
  RemoveDirectoryA(target.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  int rounds = argc > 1 ? atoi(argv[1]) : 20;
  // The built setup beside the benchmark, its resources read as a data file.
  wchar_t path[MAX_PATH];
  DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  while (length > 0 && path[length - 1] != L'\\') --length;
  lstrcpynW(path + length, L"VelmoranSetup.exe", MAX_PATH - length);
  HMODULE setup = LoadLibraryExW(path, nullptr, LOAD_LIBRARY_AS_DATAFILE);
  HANDLE ownFile = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (!setup || !LoadMakerValues(setup) || LoadTexts(setup, L"") == kTextsDamaged) {
    printf("no VelmoranSetup.exe beside the benchmark\n");
    return 1;
  }
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  std::string folder = std::string(temp) + "setup-bench\\";
  CreateDirectoryA(folder.c_str(), nullptr);
  InstallFigures(folder, rounds);
  PaintFigures(folder, rounds, setup, ownFile);
  CloseHandle(ownFile);
  RemoveDirectoryA(folder.c_str());
  return 0;
}
