// Preset values on 64-bit Windows: 32-bit and 64-bit filters each read their own registry view,
// so both views get every value, and the uninstaller removes both. The 32-bit build runs this in
// a 64-bit prefix, under WOW64.
#include "support/SetupDriver.h"

using PresetViews = SetupTest;

TEST_F(PresetViews, GoIntoEachRegistryViewAndLeaveEachAgain) {
  BOOL wow64 = FALSE;
  IsWow64Process(GetCurrentProcess(), &wow64);
  const REGSAM views[] = {0, wow64 ? static_cast<REGSAM>(KEY_WOW64_64KEY) : 0};  // without WOW64 the one view twice
  EXPECT_EQ(0u, Run("/S /D=" + folder_.path(), BinFolder() + "FixtureSetup.exe"));
  for (REGSAM view : views) {
    Bytes value;
    EXPECT_TRUE(ReadValue(HKEY_LOCAL_MACHINE, "Software\\Velmoran\\Graphitor", "Portrait12", &value, nullptr, view));
    EXPECT_EQ(64u, value.size()) << view;
  }
  EXPECT_EQ(0u, Run("/UNINSTALL /S", BinFolder() + "FixtureSetup.exe"));
  for (REGSAM view : views) EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Velmoran", view)) << view;
}
