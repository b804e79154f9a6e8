// How the failures of a run end an unattended one: administrators' scripts and deployment tools act on the code.
#include <gtest/gtest.h>

#include <vector>

#include "install/InstallRun.h"
#include "payload/InstallFailures.h"

// What the run left changed is told first, then that it ran out of memory (whichever step it was), then that it
// wrote nothing; another run holding the record is told as such.
TEST(RunExitCode, TellsTheGravestOfARunsFailures) {
  const struct {
    std::vector<std::pair<FailureKind, DWORD>> failures;
    ExitCode code;
  } cases[] = {
      {{}, ExitCode::kSuccess},
      {{{kFileNotWritten, ERROR_ACCESS_DENIED}}, ExitCode::kNotWritten},
      {{{kFileNotWritten, ERROR_DISK_FULL}, {kUninstallNotRecorded, ERROR_NOT_ENOUGH_MEMORY}}, ExitCode::kOutOfMemory},
      {{{kResourceNotLoaded, ERROR_OUTOFMEMORY}}, ExitCode::kOutOfMemory},
      {{{kResourceNotLoaded, ERROR_OUTOFMEMORY}, {kNotTakenBack, ERROR_ACCESS_DENIED}}, ExitCode::kNotTakenBack},
      {{{kAnotherRunActive, ERROR_BUSY}}, ExitCode::kAlreadyRunning}};
  for (const auto& c : cases) {
    InstallFailures failures;
    for (const auto& failure : c.failures) failures.Record(failure.first, L"C:\\plug-ins\\MienFold.8bf", failure.second);
    EXPECT_EQ(c.code, RunExitCode(failures)) << "case " << &c - cases;
  }
}

// Every way a run ends has a headline in a run it happens in, and an exit code that tells a failure from
// success; an install that fails in one way reports that way's code.
TEST(FailureKinds, EachReachesItsHeadlineAndExitCode) {
  for (int k = 0; k < kFailureKinds; ++k) {
    FailureKind kind = static_cast<FailureKind>(k);
    TextId installing = FailureHeadline(kind, RunKind::kInstall), removing = FailureHeadline(kind, RunKind::kUninstall);
    EXPECT_TRUE(installing != kTextCount || removing != kTextCount) << "kind " << k;
    bool failed = kind != kNothingFailed && kind != kNothingToRemove;
    EXPECT_EQ(failed, ExitCodeOf(kind) != ExitCode::kSuccess) << "kind " << k;
    if (!failed || installing == kTextCount) continue;
    InstallFailures failures;
    failures.Record(kind, L"C:\\plug-ins\\MienFold.8bf", ERROR_ACCESS_DENIED);
    EXPECT_EQ(ExitCodeOf(kind), RunExitCode(failures)) << "kind " << k;
  }
}
