// Faults of the machine the setup runs on, met by the real executable: it reports each one, keeps
// what was there, never claims to be finished, and succeeds once the cause is gone.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/SetupDriver.h"
#include "support/TestSupport.h"

namespace {

const std::string kProduct = BinFolder() + "VelmoranSetup.exe";
const std::string kFixtureProduct = BinFolder() + "FixtureSetup.exe";
const std::string kSmallDisk = BinFolder() + "..\\small-disk\\";
const char kTitle[] = "Velmoran Plugins : Installation";
enum { kBanner = 213, kBegin = 219 };

// The message shows the folder in its normalised letter case.
bool Mentions(const std::string& message, const std::string& text) {
  std::string a = message, b = text;
  CharLowerA(&a[0]);
  CharLowerA(&b[0]);
  return a.find(b) != std::string::npos;
}

class FaultInjectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (maker_.existedBefore() || machineMaker_.existedBefore()) GTEST_SKIP() << "Software\\Velmoran exists already";
  }
  // The folder the setup discovers; the list offers it with "Velmoran\" added.
  void Discover(const std::string& pluginFolder) {
    ASSERT_TRUE(SetString(HKEY_CURRENT_USER, "Software\\Velmoran\\Mien", "PluginDir", pluginFolder));
    target_ = pluginFolder + "Velmoran\\";
  }
  std::unique_ptr<RunningSetup> Start(const std::string& exe = kProduct) {
    std::unique_ptr<RunningSetup> setup(new RunningSetup(exe));
    EXPECT_TRUE(setup->WaitForWindow());
    return setup;
  }
  static void PressInstall(RunningSetup& setup) {
    PostMessageA(setup.window(), WM_MOUSEMOVE, 0, MAKELPARAM(380, 276));
    PostMessageA(setup.window(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(380, 276));
    PostMessageA(setup.window(), WM_LBUTTONUP, 0, MAKELPARAM(380, 276));
  }
  // The message the run shows, closed again; empty when none came.
  static std::string FailureMessage(RunningSetup& setup, DWORD wait = 10000) {
    HWND box = setup.WaitForPopup("#32770", kTitle, wait);
    if (!box) return "";
    std::string text = setup.PopupText(box);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    setup.Settle(400);
    return text;
  }
  bool Completed(RunningSetup& setup, DWORD wait = 0) {
    setup.Settle(300);
    return WaitUntil([&] { return setup.Pixel(26, 26) == art_.Pixel(kBanner, 20, 20); }, wait);
  }
  std::vector<unsigned char> Bytes(const std::string& path) {
    std::vector<unsigned char> bytes;
    ReadWholeFile(path, &bytes);
    return bytes;
  }

  RegistryKeyGuard maker_{HKEY_CURRENT_USER, "Software\\Velmoran"};
  RegistryKeyGuard machineMaker_{HKEY_LOCAL_MACHINE, "Software\\Velmoran"};
  TempFolder folder_;
  std::string target_;
  SetupBitmaps art_{kProduct};
};

// Each case: how to break the target, what the message must name, how to mend it.
struct WriteFault {
  const char* what;
  std::function<void(const std::string& file, HANDLE* held)> breakIt;
  std::function<void(const std::string& file, HANDLE* held)> mend;
  bool oldFileThere;
};

TEST_F(FaultInjectionTest, AFileThatCannotBeWrittenIsReportedAndKeptAndARetrySucceeds) {
  const WriteFault faults[] = {
      {"read-only plug-in",
       [](const std::string& f, HANDLE*) { SetFileAttributesA(f.c_str(), FILE_ATTRIBUTE_READONLY); },
       [](const std::string& f, HANDLE*) { SetFileAttributesA(f.c_str(), FILE_ATTRIBUTE_NORMAL); }, true},
      {"plug-in held open without sharing, as a running editor does",
       [](const std::string& f, HANDLE* held) {
         *held = CreateFileA(f.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
       },
       [](const std::string&, HANDLE* held) { CloseHandle(*held); }, true},
      {"a folder where the plug-in goes",
       [](const std::string& f, HANDLE*) {
         DeleteFileA(f.c_str());
         CreateDirectoryA(f.c_str(), nullptr);
       },
       [](const std::string& f, HANDLE*) { RemoveDirectoryA(f.c_str()); }, false},
  };
  const std::vector<unsigned char> old(3000, 0x44);
  for (const WriteFault& fault : faults) {
    TempFolder plugins;
    Discover(plugins.path());
    CreateDirectoryA(target_.c_str(), nullptr);
    std::string file = target_ + "MienFold.8bf";
    ASSERT_TRUE(WriteWholeFile(file, old));
    HANDLE held = INVALID_HANDLE_VALUE;
    fault.breakIt(file, &held);

    auto setup = Start();
    PressInstall(*setup);
    std::string message = FailureMessage(*setup);
    EXPECT_TRUE(Mentions(message, file)) << fault.what << ": " << message;
    EXPECT_FALSE(Completed(*setup)) << fault.what;
    EXPECT_EQ(art_.Pixel(kBegin, 5, 5), setup->Pixel(380, 276)) << fault.what;
    EXPECT_EQ(std::vector<std::string>{"MienFold.8bf"}, ListFolder(target_)) << fault.what << ": no stray file";

    fault.mend(file, &held);  // before reading: a file held without sharing cannot be read either
    if (fault.oldFileThere) {
      EXPECT_TRUE(Bytes(file) == old) << fault.what;
    }
    setup->Click(380, 276);
    EXPECT_TRUE(Completed(*setup, 15000)) << fault.what;
    EXPECT_EQ(77824u, Bytes(file).size()) << fault.what;
    setup->Command(IDCANCEL);
    EXPECT_EQ(0u, setup->WaitForExit()) << fault.what;
  }
}

TEST_F(FaultInjectionTest, AFullDiskIsReportedAndTheOldPlugInSurvives) {
  if (GetFileAttributesA((kSmallDisk + ".small-disk").c_str()) == INVALID_FILE_ATTRIBUTES) {
    GTEST_SKIP() << "no small disk: mounting one needs root";
  }
  std::string plugins = kSmallDisk + "plug-ins\\";
  CreateDirectoryA(plugins.c_str(), nullptr);
  Discover(plugins);
  CreateDirectoryA(target_.c_str(), nullptr);
  std::string file = target_ + "MienFold.8bf";
  const std::vector<unsigned char> old(30000, 0x55);
  ASSERT_TRUE(WriteWholeFile(file, old));
  std::string filler = kSmallDisk + "filler";
  // 128 KB in all: with the filler, the new plug-in cannot fit beside the old one.
  ASSERT_TRUE(WriteWholeFile(filler, std::vector<unsigned char>(60000, 1)));

  auto setup = Start();
  PressInstall(*setup);
  std::string message = FailureMessage(*setup);
  EXPECT_TRUE(Mentions(message, file)) << message;
  EXPECT_FALSE(Completed(*setup));
  EXPECT_TRUE(Bytes(file) == old);
  EXPECT_EQ(std::vector<std::string>{"MienFold.8bf"}, ListFolder(target_)) << "no temporary file left";

  DeleteFileA(filler.c_str());
  setup->Click(380, 276);
  EXPECT_TRUE(Completed(*setup, 15000));
  EXPECT_EQ(77824u, Bytes(file).size());
  setup->Command(IDCANCEL);
  EXPECT_EQ(0u, setup->WaitForExit());
  RemoveTree(plugins);
}

TEST_F(FaultInjectionTest, AFolderThatCannotBeMadeChangesNothingUntilItCan) {
  struct {
    const char* what;
    bool targetIsAFile;  // else the folder is removed after discovery
  } cases[] = {{"folder removed after discovery", false}, {"a file where the folder goes", true}};
  for (const auto& c : cases) {
    TempFolder top;
    std::string plugins = top.Make("plug-ins") + "\\";
    Discover(plugins);
    // Discovery enters every folder it accepts, and a folder that is some process's current
    // directory cannot be removed: a second find moves the setup on from the first.
    ASSERT_TRUE(SetString(HKEY_LOCAL_MACHINE, "Software\\Velmoran\\Other", "PluginDir", top.Make("other")));
    auto setup = Start();
    if (c.targetIsAFile) {
      ASSERT_TRUE(WriteWholeFile(target_.substr(0, target_.size() - 1), {1}));
    } else {
      RemoveTree(plugins);
    }
    PressInstall(*setup);
    EXPECT_EQ("", FailureMessage(*setup, 1500)) << c.what;
    EXPECT_FALSE(Completed(*setup)) << c.what;
    EXPECT_EQ(art_.Pixel(kBegin, 5, 5), setup->Pixel(380, 276)) << c.what;

    if (c.targetIsAFile) {
      DeleteFileA(target_.substr(0, target_.size() - 1).c_str());
    } else {
      CreateDirectoryA(plugins.c_str(), nullptr);
    }
    setup->Click(380, 276);
    EXPECT_TRUE(Completed(*setup, 15000)) << c.what;
    EXPECT_EQ(77824u, Bytes(target_ + "MienFold.8bf").size()) << c.what;
    setup->Command(IDCANCEL);
    EXPECT_EQ(0u, setup->WaitForExit()) << c.what;
  }
}

TEST_F(FaultInjectionTest, PresetsThatCannotBeStoredAreReportedAndTheFilesAreStillRight) {
  // Below a volatile key the registry refuses to keep anything: the same refusal a key without
  // write rights gives, made for real.
  HKEY blocker;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Velmoran", 0, nullptr, REG_OPTION_VOLATILE,
                                           KEY_ALL_ACCESS, nullptr, &blocker, nullptr));
  RegCloseKey(blocker);
  TempFolder plugins;
  Discover(plugins.path());

  auto setup = Start(kFixtureProduct);
  PressInstall(*setup);
  std::string message = FailureMessage(*setup);
  EXPECT_NE(std::string::npos, message.find("HKEY_LOCAL_MACHINE\\Software\\Velmoran\\Graphitor\\Portrait01"))
      << message;
  EXPECT_NE(std::string::npos, message.find("11 more problems")) << message;  // all 12 values failed
  EXPECT_FALSE(Completed(*setup));
  std::vector<unsigned char> placeholder;
  ASSERT_TRUE(ReadWholeFile(BinFolder() + "..\\payload\\MIEN__FOLD.8BF", &placeholder));
  EXPECT_TRUE(Bytes(target_ + "MienFold.8bf") == placeholder);
  EXPECT_EQ((std::vector<std::string>{"AlphaOne.8bf", "MienFold.8bf"}), ListFolder(target_));

  RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\Velmoran");
  setup->Click(380, 276);
  EXPECT_TRUE(Completed(*setup, 15000));
  DWORD type;
  std::vector<unsigned char> data;
  EXPECT_TRUE(ReadValue(HKEY_LOCAL_MACHINE, "Software\\Velmoran\\Graphitor", "Portrait12", &type, &data));
  setup->Command(IDCANCEL);
  EXPECT_EQ(0u, setup->WaitForExit());
}

TEST_F(FaultInjectionTest, ASetupWithoutPayloadSaysSoInsteadOfFinishing) {
  TempFolder plugins;
  Discover(plugins.path());
  auto setup = Start(BinFolder() + "EmptySetup.exe");
  PressInstall(*setup);
  std::string message = FailureMessage(*setup);
  EXPECT_NE(std::string::npos, message.find("could not be read")) << message;
  EXPECT_FALSE(Completed(*setup));
  setup->Command(IDCANCEL);
  EXPECT_EQ(0u, setup->WaitForExit());
}

}  // namespace
