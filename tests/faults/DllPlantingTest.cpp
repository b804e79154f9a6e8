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

const char kMarkers[] = "C:\\planted-markers\\";
// Loaded on demand by the system's own DLLs (themes, the folder browser, window effects), so
// only the search path decides where they come from. Not version.dll: Wine's own user32 imports
// it and so resolves it before any code of the program runs; Windows' user32 does not. Not
// comctl32.dll: Windows takes it from the side-by-side store, never from a program's folder,
// while Wine's shell32 resolves it as a delayed import that no search-path setting governs.
const char* const kPlanted[] = {"uxtheme.dll", "dwmapi.dll", "propsys.dll", "cryptbase.dll",
                                "winmm.dll", "oleacc.dll", "msimg32.dll"};

class DllPlantingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (maker_.existedBefore()) GTEST_SKIP() << "Software\\Velmoran exists already";
    // Wine prefers its own copies of system DLLs wherever a native one lies. Told to prefer native
    // ones for these names (for the two programs of this test only), it looks for them the way
    // Windows looks for any DLL that is not a known system DLL: the program's folder first,
    // unless the program says otherwise. Windows itself needs no such setting.
    for (const char* program : {"setup.exe", "control.exe"}) {
      std::string key = std::string("Software\\Wine\\AppDefaults\\") + program + "\\DllOverrides";
      for (const char* dll : kPlanted) {
        ASSERT_TRUE(SetString(HKEY_CURRENT_USER, key, std::string(dll, strlen(dll) - 4), "native,builtin"));
      }
    }
    RemoveTree(kMarkers);
    download_ = folder_.Make("downloads") + "\\";
    plugins_ = folder_.Make("plug-ins") + "\\";
    for (const std::string& where : {download_, plugins_}) {
      for (const char* dll : kPlanted) {
        ASSERT_TRUE(CopyFileA((BinFolder() + "planted_marker.dll").c_str(), (where + dll).c_str(), FALSE));
      }
    }
    ASSERT_TRUE(CopyFileA((BinFolder() + "VelmoranSetup.exe").c_str(), (download_ + "setup.exe").c_str(), FALSE));
    ASSERT_TRUE(SetString(HKEY_CURRENT_USER, "Software\\Velmoran\\Mien", "PluginDir", plugins_));
  }
  void TearDown() override { RemoveTree(kMarkers); }
  static std::vector<std::string> Loaded() { return ListFolder(kMarkers); }

  RegistryKeyGuard maker_{HKEY_CURRENT_USER, "Software\\Velmoran"};
  RegistryKeyGuard appDefaults_{HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults"};  // goes last
  RegistryKeyGuard setupDefaults_{HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\setup.exe"};
  RegistryKeyGuard controlDefaults_{HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\control.exe"};
  TempFolder folder_;
  std::string download_, plugins_;
};

TEST_F(DllPlantingTest, NoPlantedDllIsLoadedThroughAnInstall) {
  // The control: an ordinary program in the same folder loads the plant.
  std::string control = download_ + "control.exe";
  ASSERT_TRUE(CopyFileA((BinFolder() + "planted_control.exe").c_str(), control.c_str(), FALSE));
  RunningSetup controlRun(control, "uxtheme.dll dwmapi.dll");
  controlRun.WaitForExit(10000);
  std::vector<std::string> controlLoaded = Loaded();
  if (controlLoaded.empty()) GTEST_SKIP() << "this platform does not load DLLs from a program's folder";
  RemoveTree(kMarkers);

  RunningSetup setup(download_ + "setup.exe");
  ASSERT_TRUE(setup.WaitForWindow()) << "exit code " << setup.WaitForExit(0) << ", loaded: " << ::testing::PrintToString(Loaded());
  setup.SelectListEntry(1);  // the folder browser pulls in most of the shell
  HWND browser = setup.WaitForPopup("#32770", "Browse for Folder");
  ASSERT_NE(nullptr, browser);
  PostMessageA(browser, WM_COMMAND, IDCANCEL, 0);
  setup.Settle(400);
  setup.Click(380, 276);  // install into the plug-in folder, planted too
  std::vector<unsigned char> installed;
  EXPECT_TRUE(WaitUntil([&] { return ReadWholeFile(plugins_ + "Velmoran\\MienFold.8bf", &installed); }));
  setup.Settle(300);
  setup.Click(440, 276);  // finish
  EXPECT_EQ(0u, setup.WaitForExit());
  EXPECT_EQ(std::vector<std::string>{}, Loaded());
}

}  // namespace
