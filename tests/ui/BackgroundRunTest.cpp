// A payload of today's size (a 128 MB model the build makes): the window answers while it goes in, shows how far it
// has come, and can stop it, which takes everything back.
#include "support/SetupDriver.h"

namespace {

using BackgroundRun = SetupTest;

// The percent the status line shows while the run goes on; -1 when it shows something else.
int ShownPercent(const RunningSetup& setup) {
  const std::string status = setup.ReadAloud().back().name, before = "Installing... ";
  if (status.compare(0, before.size(), before) != 0) return -1;
  return atoi(status.c_str() + before.size());
}

// Bytes of the file being written in the folder so far; 0 before there is one.
DWORD BytesBeingWritten(const std::string& folder) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "~vms*.tmp").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return 0;
  FindClose(search);
  return found.nFileSizeLow;
}

// While the files are written every message is answered within 100 ms, and the status line shows how far the
// run has come on its way. The run is faster than a screen reader's looks can be sure to catch it, but it waits while
// the exit button's question is open: the status line then stands part of the way.
TEST_F(BackgroundRun, TheWindowAnswersAndShowsProgressWhileALargePayloadGoesIn) {
  ASSERT_TRUE(Start("LargeSetup.exe", "/D=" + folder_.path()));
  PostMessageA(setup_->window(), WM_COMMAND, IDOK, 0);  // INSTALL, watched from the first moment on
  int slow = 0, between = -1;
  bool asked = false;
  const DWORD started = GetTickCount();
  while (setup_->Pixel(26, 26) != ArtPixel(213, 20, 20)) {  // until the completed state's banner shows
    DWORD_PTR result = 0;
    DWORD before = GetTickCount();
    bool answered = SendMessageTimeoutW(setup_->window(), WM_NULL, 0, 0, SMTO_NORMAL, 100, &result) != 0;
    // Timed while a file is being written; the completed state's first paint waits its 50 ms like any.
    if ((!answered || GetTickCount() - before > 100) && BytesBeingWritten(folder_.path()) > 0) ++slow;
    if (!asked && BytesBeingWritten(folder_.path()) >= (4u << 20)) {
      PostMessageA(setup_->window(), WM_COMMAND, IDCANCEL, 0);
      HWND question = setup_->WaitForPopup("Velmoran Plugins : Installation");
      ASSERT_TRUE(question);
      Sleep(200);  // the status line is redrawn every 50 ms
      between = ShownPercent(*setup_);
      PostMessageA(question, WM_COMMAND, IDNO, 0);
      // The dialog repaints where the question stood, a 50 ms paint cycle of the test's own making: only then
      // are its answers timed again.
      ASSERT_TRUE(WaitUntil([&] { return !IsWindow(question); }));
      SendMessageW(setup_->window(), WM_NULL, 0, 0);
      asked = true;
    }
    ASSERT_LT(GetTickCount() - started, 20000u);
  }
  ASSERT_TRUE(asked) << "the run ended before the model was seen being written";
  EXPECT_EQ(0, slow);
  EXPECT_LT(0, between) << "the status line did not show the run part of the way";
  EXPECT_GT(100, between);
  EXPECT_EQ(134217728u, ReadWholeFile(folder_.path() + "Zz Model.dat").size());
  // The uninstaller kept holds none of the payload: it is the setup without it.
  HMODULE kept = LoadLibraryExW(Wide(Uninstaller()).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_TRUE(kept);
  EXPECT_FALSE(FindResourceW(kept, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(3001)));
  EXPECT_TRUE(FindResourceW(kept, MAKEINTRESOURCEW(3), MAKEINTRESOURCEW(3003)));  // the maker's values
  FreeLibrary(kept);
  EXPECT_GT(1u << 20, ReadWholeFile(Uninstaller()).size());
}

// The exit button during the run asks once; yes stops it, and everything it wrote is taken back, the old plug-in
// included; the dialog stays ready for another try.
TEST_F(BackgroundRun, StoppingTheRunTakesBackEverythingItWrote) {
  ASSERT_TRUE(WriteWholeFile(folder_.path() + "MienFold.8bf", {1, 2, 3}));
  ASSERT_TRUE(Start("LargeSetup.exe", "/D=" + folder_.path()));
  PostMessageA(setup_->window(), WM_COMMAND, IDOK, 0);
  // The old plug-in moved aside, the new one in its place: the model is being written.
  bool aside = false;
  for (DWORD waited = 0; !aside && waited < 20000; waited += 2, Sleep(2)) {
    for (const std::string& name : ListFolder(folder_.path())) aside = aside || name.find(".velmoran-old") != std::string::npos;
  }
  ASSERT_TRUE(aside);
  PostMessageA(setup_->window(), WM_COMMAND, IDCANCEL, 0);
  HWND question = setup_->WaitForPopup("Velmoran Plugins : Installation");
  ASSERT_TRUE(question);
  PostMessageA(question, WM_COMMAND, IDYES, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(question); }));
  EXPECT_NE(std::string::npos, setup_->CloseMessage(20000).find(LanguageText("en", "Cancelled")));
  EXPECT_EQ(std::vector<std::string>{"MienFold.8bf"}, ListFolder(folder_.path()));
  EXPECT_TRUE(ReadWholeFile(folder_.path() + "MienFold.8bf") == Bytes({1, 2, 3}));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kEntry) || Exists(keptFolder_));
  EXPECT_FALSE(Completed(0));
  EXPECT_EQ(ArtPixel(219, 5, 5), setup_->Pixel(380, 276));  // INSTALL, for another try
}

}  // namespace
