// Planted DLLs are never loaded: a marker DLL leaves a file when loaded; a control program proves planting works.
#include "support/SetupDriver.h"

const char kMarkers[] = "C:\\planted-markers\\";
// Loaded on demand by system DLLs. Not version (Wine's user32 imports it first), nor comctl32 (side-by-side store).
const char* const kPlanted[] = {"uxtheme", "dwmapi", "propsys", "cryptbase", "winmm", "oleacc", "msimg32"};

using DllPlanting = SetupTest;

TEST_F(DllPlanting, NoPlantedDllIsLoadedThroughAnInstall) {
  const std::string defaults = "Software\\Wine\\AppDefaults";
  RegistryKeyGuard appDefaults(HKEY_CURRENT_USER, defaults), setup(HKEY_CURRENT_USER, defaults + "\\setup.exe"),
      control(HKEY_CURRENT_USER, defaults + "\\control.exe");
  if (setup.existedBefore() || control.existedBefore() || GetFileAttributesA(kMarkers) != INVALID_FILE_ATTRIBUTES) {
    GTEST_SKIP() << "what it would make exists";
  }
  struct Removal { std::string path; ~Removal() { RemoveTree(path); } } removeMarkers{kMarkers};
  std::string download = folder_.Make("downloads") + "\\", plugins = folder_.Make("plug-ins") + "\\";
  auto copy = [](const char* built, auto to) { return CopyFileA((BinFolder() + built).c_str(), to.c_str(), FALSE); };
  for (const char* dll : kPlanted) {
    // Preferring native DLLs of these names, Wine searches the program's folder first, as Windows does for most DLLs.
    for (const char* program : {"\\setup.exe", "\\control.exe"})
      ASSERT_TRUE(SetString(HKEY_CURRENT_USER, defaults + program + "\\DllOverrides", dll, "native,builtin"));
    for (const std::string& where : {download, plugins}) ASSERT_TRUE(copy("planted_marker.dll", where + dll + ".dll"));
  }
  ASSERT_TRUE(copy("VelmoranSetup.exe", download + "setup.exe"));
  ASSERT_TRUE(copy("planted_control.exe", download + "control.exe"));
  Discover(plugins);

  RunningSetup(download + "control.exe", "uxtheme.dll dwmapi.dll").WaitForExit(10000);
  if (ListFolder(kMarkers).empty()) GTEST_SKIP() << "this platform does not load DLLs from a program's folder";
  RemoveTree(kMarkers);

  RunningSetup running(download + "setup.exe");
  ASSERT_TRUE(running.WaitForWindow());
  running.SelectListEntry(1);  // the folder browser pulls in most of the shell
  ASSERT_TRUE(running.Browse(""));
  running.Click(380, 276);  // install into the plug-in folder, planted too
  EXPECT_TRUE(WaitUntil([&] { return !ReadWholeFile(plugins + "Velmoran\\MienFold.8bf").empty(); }));
  running.Click(440, 276);  // finish
  EXPECT_EQ(0u, running.WaitForExit());
  EXPECT_EQ(std::vector<std::string>{}, ListFolder(kMarkers));
}
