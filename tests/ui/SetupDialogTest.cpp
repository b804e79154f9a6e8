// The real setup under the platform: what a person sees and gets on disk and in the registry, and the faults of a
// real machine: each is reported, keeps what was there, never claims completion, and a retry then succeeds.
#include <shlobj.h>

#include <algorithm>

#include "support/SetupDriver.h"

namespace {

const char kBrowseEntry[] = "******** BROWSE ********";
enum { kBackground = 117, kToggle = 128, kExit = 203, kBegin = 219, kFinish = 220 };

using SetupDialogTest = SetupTest;

TEST_F(SetupDialogTest, ShowsTheLaidOutDialogCentredAsASingleInstance) {
  Discover(folder_.Make("editor\\plug-ins") + "\\");
  ASSERT_TRUE(Start());
  RECT frame, list, work;
  GetWindowRect(setup_->window(), &frame);
  GetWindowRect(GetDlgItem(setup_->window(), 1033), &list);
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_EQ((std::vector<long>{(work.left + work.right - 500) / 2, (work.top + work.bottom - 292) / 2, 500, 292, 16,
                               232, 469}),
            (std::vector<long>{frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top,
                               list.left - frame.left, list.top - frame.top, list.right - list.left}));
  EXPECT_EQ((std::vector<std::string>{folder_.path() + "Editor\\Plug-Ins\\Velmoran\\", kBrowseEntry}),
            setup_->ListEntries());
  EXPECT_EQ(0, setup_->ListSelection());
  EXPECT_EQ(ArtPixel(kExit, 5, 5), setup_->Pixel(442, 276));
  EXPECT_EQ(ArtPixel(kBegin, 5, 5), setup_->Pixel(380, 276));
  EXPECT_EQ(ArtPixel(kToggle, 29, 3), setup_->Pixel(253, 83));            // ticked
  EXPECT_EQ(ArtPixel(kBackground, 100, 100), setup_->Pixel(100, 100));    // no banner yet
  EXPECT_GT(setup_->CountPixels({20, 206, 300, 219}, RGB(0, 0, 0)), 20);   // the prompt,
  EXPECT_GT(setup_->CountPixels({300, 20, 460, 34}, RGB(0, 0, 255)), 20);  // the link
  EXPECT_GT(setup_->CountPixels({270, 80, 380, 93}, RGB(0, 0, 0)), 20);    // and the caption
  setup_->Post(WM_MOUSEMOVE, 0, MAKELPARAM(440, 280));  // over the exit button: its status text, in white
  EXPECT_TRUE(WaitUntil([&] { return setup_->CountPixels({20, 273, 355, 292}, RGB(255, 255, 255)) > 10; }));
  RunningSetup second;
  EXPECT_EQ(0u, second.WaitForExit(10000));
}

TEST_F(SetupDialogTest, InstallsTheSelectedComponentsThenOnlyFinishes) {
  std::string target = Discover(folder_.path());
  ASSERT_TRUE(Start("FixtureSetup.exe"));  // two components: Mien Fold, and Alpha One under it
  EXPECT_GT(setup_->CountPixels({270, 98, 380, 111}, RGB(0, 0, 0)), 20);  // the second caption
  setup_->Click(255, 85);
  EXPECT_EQ(ArtPixel(kBegin, 5, 5), setup_->Pixel(380, 276));
  setup_->Click(255, 103);  // nothing selected: the begin button goes, and a run does nothing
  EXPECT_TRUE(WaitUntil([&] { return setup_->Pixel(253, 101) == ArtPixel(kToggle, 3, 3); }));
  EXPECT_EQ(ArtPixel(kBackground, 380, 276), setup_->Pixel(380, 276));
  setup_->Post(WM_COMMAND, IDOK);
  EXPECT_TRUE(ListFolder(folder_.path()).empty());
  setup_->Click(255, 103);
  EXPECT_TRUE(WaitUntil([&] { return setup_->Pixel(380, 276) == ArtPixel(kBegin, 5, 5); }));
  Install();
  ASSERT_TRUE(Completed());
  EXPECT_EQ(std::vector<std::string>{"AlphaOne.8bf"}, ListFolder(target));  // Mien Fold left out
  Bytes data;
  EXPECT_TRUE(ReadValue(HKEY_LOCAL_MACHINE, "Software\\Velmoran\\Graphitor", "Portrait12", &data));
  EXPECT_EQ(ArtPixel(kFinish, 5, 5), setup_->Pixel(435 + 5, 271 + 5));
  EXPECT_GT(setup_->CountPixels({234, 100, 460, 165}, RGB(0, 0, 0)), 100);  // four lines,
  EXPECT_EQ(0, setup_->CountPixels({496, 100, 500, 165}, RGB(0, 0, 0)));     // inside the window
  setup_->Click(255, 85);  // the toggle is gone and no longer reacts
  EXPECT_EQ(ArtPixel(kBackground, 253, 83), setup_->Pixel(253, 83));
  // The list is out of reach: not by keyboard, and a pick no longer opens the browser.
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(setup_->window(), 1033)));
  setup_->SelectListEntry(1);
  EXPECT_EQ(nullptr, setup_->WaitForPopup(LanguageText("en", "BrowseTitle").c_str(), 1000));
  setup_->Post(WM_COMMAND, IDOK);  // Enter now finishes
  EXPECT_EQ(0u, setup_->WaitForExit());
  // The other toggle cleared: its keyword is written in small letters, the payload's in capitals.
  EXPECT_EQ(0u, Run("/UNINSTALL /S"));
  ASSERT_TRUE(Start("FixtureSetup.exe"));
  setup_->Click(255, 103);
  Install();
  ASSERT_TRUE(Completed());
  EXPECT_EQ(std::vector<std::string>{"MienFold.8bf"}, ListFolder(target));
}

// Whatever a user's program does to the running setup's file (rename it, put another program at its
// name, write into it), the kept uninstaller is the program that started. Swapped before the setup
// could open its file, it is not kept at all, and nothing is written.
TEST_F(SetupDialogTest, TheKeptUninstallerIsTheProgramThatStarted) {
  const std::string download = folder_.Make("downloads") + "\\setup.exe", other = BinFolder() + "plugin_host.exe";
  const std::string log = folder_.path() + "setup.log", plugIns = folder_.path() + "plug-ins";
  ASSERT_TRUE(CopyFileW(Wide(BinFolder() + "VelmoranSetup.exe").c_str(), Wide(download).c_str(), FALSE));
  RunningSetup swapped(download, "/S /LOG=" + log + " /D=" + plugIns, true);
  ASSERT_TRUE(MoveFileW(Wide(download).c_str(), Wide(download + ".started").c_str()));
  ASSERT_TRUE(CopyFileW(Wide(other).c_str(), Wide(download).c_str(), FALSE));
  swapped.Resume();
  EXPECT_EQ(3u, swapped.WaitForExit());
  EXPECT_TRUE(Mentions(Text(log), "another program replaced the setup's file")) << Text(log);
  ASSERT_TRUE(DeleteFileW(Wide(download).c_str()));
  ASSERT_TRUE(MoveFileW(Wide(download + ".started").c_str(), Wide(download).c_str()));
  // A file it cannot open for itself (another program renames it meanwhile, say): it stops at once.
  HANDLE renaming = CreateFileW(Wide(download).c_str(), DELETE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, renaming);
  EXPECT_EQ(3u, Run("/S /LOG=" + log + " /D=" + plugIns, download));
  CloseHandle(renaming);
  EXPECT_TRUE(Mentions(Text(log), "cannot read its own file")) << Text(log);
  EXPECT_FALSE(Exists(Uninstaller()));
  EXPECT_FALSE(Exists(plugIns));
  Discover(folder_.Make("plug-ins") + "\\");
  setup_.reset(new RunningSetup(download));
  ASSERT_TRUE(setup_->WaitForWindow());
  if (MoveFileW(Wide(download).c_str(), Wide(download + ".old").c_str())) {
    ASSERT_TRUE(CopyFileW(Wide(other).c_str(), Wide(download).c_str(), FALSE));
  } else {
    EXPECT_FALSE(WriteWholeFile(download, ReadWholeFile(other)));
  }
  Install();
  ASSERT_TRUE(Completed());
  EXPECT_TRUE(ReadWholeFile(Uninstaller()) == ReadWholeFile(BinFolder() + "VelmoranSetup.exe"));
}

TEST_F(SetupDialogTest, BrowsingWithAFullListReplacesTheOneBrowsedEntry) {
  std::vector<std::string> expected;
  for (int i = 10; i < 30; ++i) {
    expected.push_back(Discover(folder_.Make("F" + std::to_string(i)) + "\\", "Plugins" + std::to_string(i)));
  }
  expected.push_back(kBrowseEntry);
  std::string first = folder_.Make("Other"), second = folder_.Make("Second");
  ASSERT_TRUE(Start());
  std::vector<std::string> entries = setup_->ListEntries();
  std::sort(entries.begin(), entries.end() - 1);  // values enumerate in an order of the registry's
  EXPECT_EQ(expected, entries);
  for (const std::string& browsed : {first, second}) {
    setup_->SelectListEntry(static_cast<int>(setup_->ListEntries().size()) - 1);
    ASSERT_TRUE(setup_->Browse(browsed));
    EXPECT_EQ(browsed + "\\", setup_->ListEntries().at(20));
    EXPECT_EQ(20, setup_->ListSelection());
  }
  EXPECT_EQ(22u, setup_->ListEntries().size());
  setup_->SelectListEntry(21);
  ASSERT_TRUE(setup_->Browse(""));  // cancelled: back to the first entry
  EXPECT_EQ(0, setup_->ListSelection());
}

TEST_F(SetupDialogTest, WithNothingFoundTheLinkHelpsAndInstallAsksForTheFolder) {
  // Wine hands web addresses to the browsers its settings name: here a script that records them.
  typedef char*(CDECL * UnixName)(const wchar_t*);
  UnixName unixName = reinterpret_cast<UnixName>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  RegistryKeyGuard browsers(HKEY_CURRENT_USER, "Software\\Wine\\WineBrowser");
  if (!unixName || browsers.existedBefore()) GTEST_SKIP() << "not Wine, or the prefix names its own browsers";
  std::string record = BinFolder() + "recorded-url.txt";
  wchar_t script[MAX_PATH];
  MultiByteToWideChar(CP_ACP, 0, (BinFolder() + "record-url.sh").c_str(), -1, script, MAX_PATH);
  ASSERT_TRUE(SetString(HKEY_CURRENT_USER, "Software\\Wine\\WineBrowser", "Browsers", unixName(script)));
  DeleteFileA(record.c_str());
  ASSERT_TRUE(Start());
  setup_->Click(320, 26);
  EXPECT_TRUE(WaitUntil([&] { return !ReadWholeFile(record).empty(); }));
  EXPECT_EQ("http://www.velmoran.example/plugins/installation-help.html\n", Text(record));
  DeleteFileA(record.c_str());

  ASSERT_EQ(std::vector<std::string>{kBrowseEntry}, setup_->ListEntries());
  Install();
  ASSERT_TRUE(setup_->Browse(""));
  EXPECT_FALSE(Completed(0));
  Install();
  ASSERT_TRUE(setup_->Browse(folder_.path().substr(0, folder_.path().size() - 1)));
  ASSERT_TRUE(Completed());
  EXPECT_EQ(folder_.path(), setup_->ListEntries()[0]);
  EXPECT_TRUE(ReadWholeFile(folder_.path() + "MienFold.8bf") == Placeholder());
}

TEST_F(SetupDialogTest, WhatCannotBeWrittenIsReportedAndKeptUntilARetrySucceeds) {
  // A plug-in held open with no sharing at all, so that not even a rename helps; then a file where
  // the maker folder goes.
  for (bool heldPlugIn : {true, false}) {
    std::string target = Discover(folder_.Make(heldPlugIn ? "held" : "blocked") + "\\"), file = target + "MienFold.8bf";
    std::string blocker = target.substr(0, target.size() - 1);
    const Bytes old(30000, 0x44);
    ASSERT_TRUE(Start());
    HANDLE held = INVALID_HANDLE_VALUE;
    if (heldPlugIn) {
      CreateDirectoryA(target.c_str(), nullptr);
      ASSERT_TRUE(WriteWholeFile(file, old));
      held = CreateFileA(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    } else {
      ASSERT_TRUE(WriteWholeFile(blocker, {1}));
    }
    Install();
    std::string message = setup_->CloseMessage();
    EXPECT_TRUE(Mentions(message, heldPlugIn ? file : target)) << message;
    EXPECT_FALSE(Completed(0));
    EXPECT_EQ(ArtPixel(kBegin, 5, 5), setup_->Pixel(380, 276));
    if (heldPlugIn) {
      CloseHandle(held);
      EXPECT_TRUE(ReadWholeFile(file) == old);
      EXPECT_EQ(std::vector<std::string>{"MienFold.8bf"}, ListFolder(target));  // no stray file
    }
    DeleteFileA(blocker.c_str());
    Install();
    EXPECT_TRUE(Completed());
    EXPECT_TRUE(ReadWholeFile(file) == Placeholder());
  }
}

// Fourteen components whose captions have the most letters the build allows, in the widest letters of
// three scripts: two columns, every caption cut to end inside its own column and inside the window.
TEST_F(SetupDialogTest, EveryCaptionOfTheWidestSetupEndsInsideItsColumn) {
  ASSERT_TRUE(Start("FullSetup.exe"));
  for (int top = 80; top < 80 + 7 * 18; top += 18) {
    EXPECT_GT(setup_->CountInk({242, top, 353, top + 13}), 20) << top;  // first column
    EXPECT_EQ(0, setup_->CountInk({353, top, 359, top + 13})) << top;   // clear of the second
    EXPECT_GT(setup_->CountInk({379, top, 496, top + 13}), 20) << top;  // second column
    EXPECT_EQ(0, setup_->CountInk({496, top, 500, top + 13})) << top;   // inside the window
  }
}

TEST_F(SetupDialogTest, AnUpdateGoesInWhileAnEditorHasTheOldPlugInLoaded) {
  std::string target = Discover(folder_.Make("editor") + "\\");
  ASSERT_TRUE(CreateDirectoryA(target.c_str(), nullptr));
  ASSERT_TRUE(CopyFileA((BinFolder() + "plugin_v1.dll").c_str(), (target + "MienFold.8bf").c_str(), FALSE));
  auto editor = LoadAsAnEditorDoes(target + "MienFold.8bf");
  ASSERT_TRUE(editor && Start());
  Install();
  ASSERT_TRUE(Completed());
  EXPECT_TRUE(ReadWholeFile(target + "MienFold.8bf") == Placeholder());
  EXPECT_EQ(2u, ListFolder(target).size());  // and the old one, aside
}

// Presets that cannot be stored once the files are in place: the run takes back all it wrote, the
// old plug-in included, and the machine is as it was.
TEST_F(SetupDialogTest, PresetsThatCannotBeStoredAndAMissingPayloadAreReported) {
  // Below a volatile key the registry keeps nothing: the refusal a key without write rights gives.
  HKEY blocker;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Velmoran", 0, nullptr, REG_OPTION_VOLATILE,
                                           KEY_ALL_ACCESS, nullptr, &blocker, nullptr));
  RegCloseKey(blocker);
  std::string target = Discover(folder_.path());
  folder_.Make("Velmoran");
  ASSERT_TRUE(WriteWholeFile(target + "MienFold.8bf", {1, 2, 3}));
  ASSERT_TRUE(Start("FixtureSetup.exe"));
  Install();
  std::string message = setup_->CloseMessage();
  EXPECT_TRUE(Mentions(message, "HKEY_LOCAL_MACHINE\\Software\\Velmoran\\Graphitor\\Portrait01")) << message;
  EXPECT_TRUE(Mentions(message, "Other problems: 11.")) << message;
  EXPECT_FALSE(Completed(0));
  EXPECT_EQ(std::vector<std::string>{"MienFold.8bf"}, ListFolder(target));
  EXPECT_TRUE(ReadWholeFile(target + "MienFold.8bf") == Bytes({1, 2, 3}));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kEntry) || Exists(keptFolder_));  // the folder it made too
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\Velmoran");
  Install();
  EXPECT_TRUE(Completed());
  ASSERT_TRUE(Start("EmptySetup.exe"));  // a setup that carries nothing to install
  Install();
  EXPECT_TRUE(Mentions(setup_->CloseMessage(), "could not be read"));
  EXPECT_FALSE(Completed(0));
}

// Today's editors in the signed-in user's folders, as they leave them there: Paint.NET's user files with its filter
// host's settings, GIMP's gimprc and Affinity Photo's data folder. Each is offered, and installed into; the
// plug-in folder of Paint.NET and of Affinity is made as the editor would make it.
TEST_F(SetupDialogTest, TodaysEditorsOfTheUserAreOfferedAndInstalledInto) {
  const std::string appData = KnownFolder(CSIDL_APPDATA), made[] = {KnownFolder(CSIDL_PERSONAL) + "\\paint.net App Files",
                                                                     appData + "\\GIMP", appData + "\\Affinity"};
  for (const std::string& folder : made) if (Exists(folder)) GTEST_SKIP() << folder << " exists already";
  struct Removal { const std::string* paths; ~Removal() { for (int i = 0; i < 3; ++i) RemoveTree(paths[i]); } } removal{made};
  std::string host = folder_.Make("host filters") + "\\", bridge = folder_.Make("bridge filters") + "\\";
  std::string settings = "<PSFilterPdnSettings><SearchDirectories><string>" + host + "</string></SearchDirectories>",
              gimprc = "(pspi-path \"";
  for (char c : bridge.substr(0, bridge.size() - 1)) gimprc += c == '\\' ? "\\\\" : std::string(1, c);  // as GIMP quotes
  gimprc += "\")\n";
  ASSERT_TRUE(WriteWholeFile(MakeFolders(made[0]) + "\\PSFilterPdn.xml", Bytes(settings.begin(), settings.end())));
  ASSERT_TRUE(WriteWholeFile(MakeFolders(made[1] + "\\2.10") + "\\gimprc", Bytes(gimprc.begin(), gimprc.end())));
  MakeFolders(made[2] + "\\Photo\\2.0\\Settings");
  const std::vector<std::string> offered = {host + "Velmoran\\", made[0] + "\\Effects\\Velmoran\\", bridge,
                                            made[2] + "\\Photo\\2.0\\Plugins\\Velmoran\\"};
  for (size_t entry = 0; entry < offered.size(); ++entry) {
    ASSERT_TRUE(Start());
    std::vector<std::string> entries = setup_->ListEntries();
    ASSERT_EQ(offered.size() + 1, entries.size());
    EXPECT_TRUE(Mentions(entries[entry], offered[entry]) && Mentions(offered[entry], entries[entry])) << entries[entry];
    setup_->SelectListEntry(static_cast<int>(entry));
    Install();
    ASSERT_TRUE(Completed()) << offered[entry];
    EXPECT_TRUE(ReadWholeFile(offered[entry] + "MienFold.8bf") == Placeholder()) << offered[entry];
    setup_.reset();
    EXPECT_EQ(0u, Run("/UNINSTALL /S"));
  }
}

// Every control from the keyboard, with real key presses through the dialog's own loop, and the dialog as a
// screen reader reads it from another process, before and after each change.
TEST_F(SetupDialogTest, EveryControlWorksFromTheKeyboardAndReadsRightInAScreenReader) {
  std::string target = Discover(folder_.path());
  ASSERT_TRUE(Start("FixtureSetup.exe"));
  ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
  const LONG kFocusable = STATE_SYSTEM_FOCUSABLE, kFocused = STATE_SYSTEM_FOCUSED | kFocusable;
  const LONG kTicked = STATE_SYSTEM_CHECKED | kFocusable, kText = STATE_SYSTEM_READONLY;
  const std::string prompt = "Select folder where setup will install files:";
  using Child = RunningSetup::Child;
  std::string status;  // the status line follows the focus once the keyboard is used
  auto choosing = [&](LONG mien, LONG alpha, LONG list, LONG install, LONG cancel) {
    return std::vector<Child>{{30, "www.velmoran.example", STATE_SYSTEM_LINKED | kFocusable}, {44, "Mien Fold Plug-in", mien},
                              {44, "Alpha One Plug-in", alpha}, {41, prompt, kText},
                              {46, prompt, list | STATE_SYSTEM_HASPOPUP}, {43, "INSTALL", install | STATE_SYSTEM_DEFAULT},
                              {43, "CANCEL", cancel}, {41, status, kText}};
  };
  EXPECT_EQ(choosing(kTicked, kTicked, kFocusable, kFocused, kFocusable), setup_->ReadAloud());
  EXPECT_EQ(0, setup_->CountInk({248, 78, 249, 93}));  // no focus cue until the keyboard is used
  for (WORD key : {VK_TAB, VK_TAB, VK_TAB, VK_SPACE, VK_DOWN}) setup_->Key(key);  // CANCEL, the link, Mien: cleared
  status = "Select to install Alpha One filter";
  EXPECT_EQ(choosing(kFocusable, kTicked | kFocused, kFocusable, kFocusable, kFocusable), setup_->ReadAloud());
  EXPECT_LT(3, setup_->CountInk({248, 96, 249, 113}));  // a dotted line left of Alpha One
  EXPECT_TRUE(WaitUntil([&] { return setup_->CountPixels({20, 273, 355, 292}, RGB(255, 255, 255)) > 10; }));
  setup_->Key(VK_TAB);
  status = "";  // the list has no status text
  EXPECT_EQ(choosing(kFocusable, kTicked, kFocused, kFocusable, kFocusable), setup_->ReadAloud());
  setup_->Key(VK_TAB, true);
  setup_->Key(VK_SPACE);  // Alpha One cleared as well: nothing to install, no INSTALL
  EXPECT_EQ(7u, setup_->ReadAloud().size());
  for (WORD key : {VK_SPACE, VK_TAB, VK_TAB, VK_RETURN}) setup_->Key(key);  // ticked again; the list, INSTALL
  ASSERT_TRUE(Completed());
  EXPECT_EQ(std::vector<std::string>{"AlphaOne.8bf"}, ListFolder(target));
  std::vector<Child> completed = setup_->ReadAloud();
  ASSERT_EQ(7u, completed.size());
  EXPECT_EQ((Child{41, "restart your image editor to", kText}), completed[2]);
  EXPECT_EQ((Child{43, "FINISH", kFocused | STATE_SYSTEM_DEFAULT}), completed[5]);
  setup_->Key(VK_ESCAPE);
  EXPECT_EQ(0u, setup_->WaitForExit());
  CoUninitialize();
}

}  // namespace
