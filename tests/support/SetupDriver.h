#pragma once
// Runs the real setup as a person would: starts it, finds its window, clicks, reads what it shows, waits for its end.
#include <gtest/gtest.h>
#include <windows.h>

#include <oleacc.h>

#include <memory>
#include <string>
#include <vector>

#include "support/TestSupport.h"

std::string BinFolder();  // where the test and setup executables are, with a backslash
// A text of the setup in a language, as resources/languages/<tag>.txt gives it, with the product's names filled in.
std::string LanguageText(const std::string& tag, const std::string& key);

// The setup's entry in the list of installed programs, below HKEY_LOCAL_MACHINE.
const char kEntry[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velmoran Plugins";

// Polls until the condition holds: what a person waits for after a click is its effect.
template <typename Condition>
bool WaitUntil(Condition condition, DWORD milliseconds = 15000) {
  for (DWORD waited = 0; !condition(); waited += 50) {
    if (waited >= milliseconds) return false;
    Sleep(50);
  }
  return true;
}

COLORREF ArtPixel(int id, int x, int y, int percent = 100);  // a pixel of one of the setup's bitmaps, at a scale

class RunningSetup {
 public:
  explicit RunningSetup(const std::string& exe = BinFolder() + "VelmoranSetup.exe", const std::string& arguments = "",
                        bool suspended = false);
  void Resume() { ResumeThread(process_.hThread); }  // a process started suspended runs
  ~RunningSetup();  // a setup still running is ended
  bool WaitForWindow();  // the dialog, shown and painted
  HWND window() const { return window_; }
  DWORD WaitForExit(DWORD milliseconds = 20000);  // the exit code, or STILL_ACTIVE
  void Click(int x, int y);                        // move, press, release in client pixels
  void ClickButton(int index);  // the index-th button a screen reader lists (0: INSTALL, or FINISH), wherever it is
  void Key(WORD key, bool shift = false);          // pressed and released on the keyboard, the dialog in front
  // What a screen reader reads from another process: each child of the dialog's accessible object.
  struct Child {
    LONG role;
    std::string name;
    LONG state;
    RECT place = {};  // in the dialog's client pixels; not compared
    bool operator==(const Child& o) const { return role == o.role && name == o.name && state == o.state; }
  };
  std::vector<Child> ReadAloud() const;
  void Post(UINT message, WPARAM wParam, LPARAM lParam = 0);  // then lets the dialog handle it and paint
  std::vector<std::string> ListEntries() const;
  int ListSelection() const;
  void SelectListEntry(int index);  // as a person does: the selection and its notification
  int CountPixels(const RECT& area, COLORREF colour) const;
  int CountInk(const RECT& area) const;  // pixels where the background picture does not show
  // Pixels drawn over a button's plate (its picture widened by its middle column to the place), and how many of them
  // lie within two pixels of the plate's sides.
  int CountOverPlate(const RECT& place, int plate, int* atSides) const;
  COLORREF Pixel(int x, int y) const;
  // Another visible top-level window of the setup's process; null if none appears in time.
  HWND WaitForPopup(const char* title, DWORD milliseconds = 10000) const;
  std::string CloseMessage(DWORD milliseconds = 10000);  // a message box's text, "" if none came
  bool Browse(const std::string& folder);  // chooses it in the folder browser; "" cancels
  // What the system tells a window moved to a monitor of another scale, with the place it suggests.
  void ChangeScale(int dpi, const RECT& suggested);

 private:
  PROCESS_INFORMATION process_ = {};
  HANDLE job_ = nullptr;
  HWND window_ = nullptr;
};

// A program that has loaded the plug-in as an editor does, for as long as the result lives; null
// when it could not load it.
std::unique_ptr<RunningSetup> LoadAsAnEditorDoes(const std::string& plugIn);

// The fixture of every test that runs the setup. It skips where what the setup leaves outside the
// folders it is given exists already (the maker's keys, the programs-list entry, the kept
// uninstaller), and removes all of it at the end.
class SetupTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  std::string Uninstaller() const { return keptFolder_ + "\\Uninstall.exe"; }
  // A folder the setup discovers; the list offers it with "Velmoran\" added.
  std::string Discover(const std::string& folder, const std::string& value = "PluginDir") {
    EXPECT_TRUE(SetString(HKEY_CURRENT_USER, "Software\\Velmoran\\Mien", value, folder));
    return folder + "Velmoran\\";
  }
  bool Start(const char* exe = "VelmoranSetup.exe", const std::string& arguments = "") {  // the dialog, one at a time
    setup_.reset();
    setup_.reset(new RunningSetup(BinFolder() + exe, arguments));
    return setup_->WaitForWindow();
  }
  bool Completed(DWORD wait = 15000) {  // the completed state's banner shows
    setup_->Post(WM_NULL, 0);
    return WaitUntil([&] { return setup_->Pixel(26, 26) == ArtPixel(213, 20, 20); }, wait);
  }
  void Install() { setup_->ClickButton(0); }
  static DWORD Run(const std::string& arguments, const std::string& exe = BinFolder() + "VelmoranSetup.exe") {
    return RunningSetup(exe, arguments).WaitForExit();
  }
  static bool Mentions(const std::string& text, const std::string& part) {  // in any letter case
    std::wstring wideText = Wide(text), widePart = Wide(part);
    CharLowerBuffW(&wideText[0], static_cast<DWORD>(wideText.size()));
    CharLowerBuffW(&widePart[0], static_cast<DWORD>(widePart.size()));
    return wideText.find(widePart) != std::wstring::npos;
  }
  static std::string Text(const std::string& file) {
    Bytes bytes = ReadWholeFile(file);
    return std::string(bytes.begin(), bytes.end());
  }
  static Bytes Placeholder() { return ReadWholeFile(BinFolder() + "..\\payload\\MienFold.8bf"); }  // in every setup

  RegistryKeyGuard maker_{HKEY_CURRENT_USER, "Software\\Velmoran"};
  RegistryKeyGuard machineMaker_{HKEY_LOCAL_MACHINE, "Software\\Velmoran"};
  RegistryKeyGuard otherViewMaker_{HKEY_LOCAL_MACHINE, "Software\\Velmoran", KEY_WOW64_64KEY};
  RegistryKeyGuard entry_{HKEY_LOCAL_MACHINE, kEntry};
  std::string keptFolder_;
  TempFolder folder_;
  std::unique_ptr<RunningSetup> setup_;
};
