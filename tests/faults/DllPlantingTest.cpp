// DLLs planted beside the downloaded setup and in the plug-in folder it enters are never loaded.
// A marker DLL leaves a file behind when anything loads it; a control program without the setup's
// hardening shows that the plant itself works on this platform.
#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "app/SetupDriver.h"
#include "support/TestSupport.h"

namespace {

const char kMarkers[] = "C:\\planted-markers\\";  // where the marker DLL leaves its files
// Loaded on demand by the system's own DLLs (themes, the folder browser, window effects), so only
// the search path decides where they come from. Not version.dll: Wine's user32 imports it before
// any code of the program runs. Not comctl32.dll: Windows takes it from the side-by-side store.
const char* const kPlanted[] = {"uxtheme.dll", "dwmapi.dll", "propsys.dll", "cryptbase.dll",
                                "winmm.dll",   "oleacc.dll", "msimg32.dll"};

TEST(DllPlanting, NoPlantedDllIsLoadedThroughAnInstall) {
  RegistryKeyGuard maker(HKEY_CURRENT_USER, "Software\\Velmoran");
  RegistryKeyGuard appDefaults(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults");
  if (maker.existedBefore() || GetFileAttributesA(kMarkers) != INVALID_FILE_ATTRIBUTES) {
    GTEST_SKIP() << "Software\\Velmoran or " << kMarkers << " exists already";
  }
  // Wine prefers its own copies of system DLLs. Told to prefer native ones for these names (for the
  // two programs of this test only), it searches for them as Windows searches for any DLL that is
  // not a known system DLL: the program's folder first, unless the program says otherwise.
  RegistryKeyGuard setupDefaults(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\setup.exe");
  RegistryKeyGuard controlDefaults(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\control.exe");
  if (setupDefaults.existedBefore() || controlDefaults.existedBefore()) GTEST_SKIP() << "the programs have settings";
  TempFolder folder;
  std::string download = folder.Make("downloads") + "\\", plugins = folder.Make("plug-ins") + "\\";
  for (const char* dll : kPlanted) {
    for (const char* program : {"setup.exe", "control.exe"}) {
      ASSERT_TRUE(SetString(HKEY_CURRENT_USER, std::string("Software\\Wine\\AppDefaults\\") + program + "\\DllOverrides",
                            std::string(dll, strlen(dll) - 4), "native,builtin"));
    }
    for (const std::string& where : {download, plugins}) {
      ASSERT_TRUE(CopyFileA((BinFolder() + "planted_marker.dll").c_str(), (where + dll).c_str(), FALSE));
    }
  }
  ASSERT_TRUE(CopyFileA((BinFolder() + "VelmoranSetup.exe").c_str(), (download + "setup.exe").c_str(), FALSE));
  ASSERT_TRUE(CopyFileA((BinFolder() + "planted_control.exe").c_str(), (download + "control.exe").c_str(), FALSE));
  ASSERT_TRUE(SetString(HKEY_CURRENT_USER, "Software\\Velmoran\\Mien", "PluginDir", plugins));

  RunningSetup(download + "control.exe", "uxtheme.dll dwmapi.dll").WaitForExit(10000);
  bool plantWorks = !ListFolder(kMarkers).empty();
  RemoveTree(kMarkers);
  if (!plantWorks) GTEST_SKIP() << "this platform does not load DLLs from a program's folder";

  RunningSetup setup(download + "setup.exe");
  ASSERT_TRUE(setup.WaitForWindow());
  setup.SelectListEntry(1);  // the folder browser pulls in most of the shell
  ASSERT_TRUE(setup.Browse(""));
  setup.Click(380, 276);  // install into the plug-in folder, planted too
  EXPECT_TRUE(WaitUntil([&] { return !ReadWholeFile(plugins + "Velmoran\\MienFold.8bf").empty(); }));
  setup.Click(440, 276);  // finish
  EXPECT_EQ(0u, setup.WaitForExit());
  EXPECT_EQ(std::vector<std::string>{}, ListFolder(kMarkers));
  RemoveTree(kMarkers);
}

}  // namespace
