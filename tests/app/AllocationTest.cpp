// Running out of memory: the program's own allocation functions.
#include "support/SetupDriver.h"

TEST(PlainNew, AFailedPlainNewEndsTheProgramWithAMessage) {
  RunningSetup probe(BinFolder() + "plain_new_probe.exe");  // asks the setup's allocator for more than there is
  EXPECT_NE(std::string::npos, probe.CloseMessage().find("not enough memory")) << "exit code " << probe.WaitForExit(0);
  EXPECT_EQ(static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY), probe.WaitForExit());
}
