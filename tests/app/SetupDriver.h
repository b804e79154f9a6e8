#pragma once
// Runs the real setup executable as a person would: starts it, finds its window, clicks, reads
// what it shows, and waits for it to end.
#include <windows.h>

#include <string>
#include <vector>

#include <functional>

std::string BinFolder();  // where the test and setup executables are, with a backslash

// Polls until the condition holds: what a person waits for after a click is its effect.
bool WaitUntil(const std::function<bool()>& condition, DWORD milliseconds = 15000);

class RunningSetup {
 public:
  explicit RunningSetup(const std::string& exe, const std::string& arguments = "");
  ~RunningSetup();  // a setup still running is ended
  RunningSetup(const RunningSetup&) = delete;
  RunningSetup& operator=(const RunningSetup&) = delete;

  bool WaitForWindow(DWORD milliseconds = 20000);  // the dialog, shown and painted
  HWND window() const { return window_; }
  DWORD WaitForExit(DWORD milliseconds = 20000);  // the exit code, or STILL_ACTIVE

  void Click(int x, int y, bool right = false);  // move, press, release in client pixels
  void Move(int x, int y);
  void Command(WPARAM wParam, LPARAM lParam = 0);  // a WM_COMMAND to the dialog
  void Settle(DWORD extra = 250);  // lets the dialog handle what was sent, and paint

  std::vector<std::string> ListEntries() const;
  int ListSelection() const;
  void SelectListEntry(int index);  // as a person does: the selection and its notification

  COLORREF Pixel(int x, int y) const;
  int CountPixels(const RECT& area, COLORREF colour) const;

  // Another top-level window of the setup's process, by class and title; null if none appears.
  HWND WaitForPopup(const char* className, const char* title, DWORD milliseconds = 10000) const;
  std::string PopupText(HWND popup) const;  // the texts of its static controls

  DWORD processId() const { return process_.dwProcessId; }
  HANDLE process() const { return process_.hProcess; }

 private:
  PROCESS_INFORMATION process_ = {};
  HWND window_ = nullptr;
};

// The setup executable's own bitmaps, to compare the window's pixels with.
class SetupBitmaps {
 public:
  explicit SetupBitmaps(const std::string& exe);
  ~SetupBitmaps();
  COLORREF Pixel(int id, int x, int y) const;

 private:
  HMODULE module_;
};
