// How the failures of a run end an unattended one: administrators' scripts and deployment tools act on the code.
#include <gtest/gtest.h>

#include <vector>

#include "install/InstallRun.h"
#include "payload/InstallFailures.h"

// What the run left changed is told first, then that it ran out of memory (whichever step it was), then that it
// wrote nothing; another run holding the record is told as such.
TEST(RunExitCode, TellsTheGravestOfARunsFailures) {
  const struct {
    std::vector<std::pair<InstallFailureKind, DWORD>> failures;
    ExitCode code;
  } cases[] = {
      {{}, kExitSuccess},
      {{{kFileNotWritten, ERROR_ACCESS_DENIED}}, kExitNotWritten},
      {{{kFileNotWritten, ERROR_DISK_FULL}, {kUninstallNotRecorded, ERROR_NOT_ENOUGH_MEMORY}}, kExitOutOfMemory},
      {{{kResourceNotLoaded, ERROR_OUTOFMEMORY}}, kExitOutOfMemory},
      {{{kResourceNotLoaded, ERROR_OUTOFMEMORY}, {kNotTakenBack, ERROR_ACCESS_DENIED}}, kExitNotTakenBack},
      {{{kAnotherRunActive, ERROR_BUSY}}, kExitAlreadyRunning}};
  for (const auto& c : cases) {
    InstallFailures failures;
    for (const auto& failure : c.failures) failures.Record(failure.first, L"C:\\plug-ins\\MienFold.8bf", failure.second);
    EXPECT_EQ(c.code, RunExitCode(failures)) << "case " << &c - cases;
  }
}
