// The program as a process: running out of memory, and a window that cannot be created.
#include "support/SetupDriver.h"

TEST(PlainNew, AFailedPlainNewEndsTheProgramWithAMessage) {
  RunningSetup probe(BinFolder() + "plain_new_probe.exe");  // asks the setup's allocator for more than there is
  EXPECT_NE(std::string::npos, probe.CloseMessage().find("Out of memory")) << "exit code " << probe.WaitForExit(0);
  EXPECT_EQ(static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY), probe.WaitForExit());
}

TEST_F(SetupTest, AWindowThatCannotBeCreatedIsReportedAndEndsWithItsOwnCode) {
  RunningSetup setup(BinFolder() + "NoWindowSetup.exe");  // built without its dialog and pictures
  EXPECT_TRUE(Mentions(setup.CloseMessage(), "window could not be created"));
  EXPECT_EQ(9u, setup.WaitForExit());
}
