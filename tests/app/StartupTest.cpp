// The built setup executable: it starts under the platform and carries its payload.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/TestSupport.h"

namespace {

std::string BinFolder() {
  char path[MAX_PATH];
  DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path, length);
  return folder.substr(0, folder.find_last_of('\\') + 1);
}

const std::string kSetup = BinFolder() + "VelmoranSetup.exe";

TEST(Startup, RunsAndExitsWithZero) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  std::string commandLine = "\"" + kSetup + "\"";
  ASSERT_TRUE(CreateProcessA(kSetup.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &startup, &process))
      << GetLastError();
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.hProcess, 20000));
  DWORD exitCode = 1;
  GetExitCodeProcess(process.hProcess, &exitCode);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  EXPECT_EQ(0u, exitCode);
}

TEST(Startup, CarriesThePlaceholderFilterByteForByte) {
  HMODULE setup = LoadLibraryExA(kSetup.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(nullptr, setup) << GetLastError();
  std::vector<unsigned char> embedded = ResourceBytes("MIEN__FOLD.8BF", setup);
  FreeLibrary(setup);
  std::vector<unsigned char> generated;
  ASSERT_TRUE(ReadWholeFile(BinFolder() + "..\\payload\\MIEN__FOLD.8BF", &generated));
  EXPECT_EQ(77824u, embedded.size());
  EXPECT_TRUE(embedded == generated);
}

}  // namespace
