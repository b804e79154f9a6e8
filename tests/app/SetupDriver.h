#pragma once
// Runs the real setup executable as a person would: starts it, finds its window, clicks, reads
// what it shows, and waits for it to end.
#include <windows.h>

#include <string>
#include <vector>

std::string BinFolder();  // where the test and setup executables are, with a backslash

// Polls until the condition holds: what a person waits for after a click is its effect.
template <typename Condition>
bool WaitUntil(Condition condition, DWORD milliseconds = 15000) {
  for (DWORD waited = 0; !condition(); waited += 50) {
    if (waited >= milliseconds) return false;
    Sleep(50);
  }
  return true;
}

COLORREF ArtPixel(int id, int x, int y);  // a pixel of one of the setup's bitmaps

class RunningSetup {
 public:
  explicit RunningSetup(const std::string& exe = BinFolder() + "VelmoranSetup.exe", const std::string& arguments = "");
  ~RunningSetup();  // a setup still running is ended
  bool WaitForWindow();  // the dialog, shown and painted
  HWND window() const { return window_; }
  DWORD WaitForExit(DWORD milliseconds = 20000);  // the exit code, or STILL_ACTIVE
  void Click(int x, int y);                        // move, press, release in client pixels
  void Post(UINT message, WPARAM wParam, LPARAM lParam = 0);  // then lets the dialog handle it and paint
  std::vector<std::string> ListEntries() const;
  int ListSelection() const;
  void SelectListEntry(int index);  // as a person does: the selection and its notification
  int CountPixels(const RECT& area, COLORREF colour) const;
  COLORREF Pixel(int x, int y) const;
  // Another visible top-level window of the setup's process; null if none appears in time.
  HWND WaitForPopup(const char* title, DWORD milliseconds = 10000) const;
  std::string CloseMessage(DWORD milliseconds = 10000);  // a message box's text, "" if none came
  bool Browse(const std::string& folder);  // chooses it in the folder browser; "" cancels

 private:
  PROCESS_INFORMATION process_ = {};
  HWND window_ = nullptr;
};
