// The packer as a maker runs it on Windows: what it refuses, naming the file, line and key, with
// nothing written; its setups the same bytes as this machine's packer makes them; a maker's own
// values and pictures carried into the running setup.
#include <gtest/gtest.h>

#include <algorithm>

#include "base/Lzma.h"
#include "support/SetupDriver.h"

namespace {

// A second maker's setup of two components, one with German texts. Line numbers matter to the cases.
const char kDescription[] = R"([maker]
name = "Quillwork"
folder = "Quillwork"
scan_word = "quillwork"
folder_mark = "quill"
website = "https://www.quillwork.example/"
help = "https://www.quillwork.example/help.html"

[product]
name = "Quill Plugins"
version = "2.3.4"

[[component]]
keyword = "Sketch"
caption = "Quill Sketch Plug-in"
status = "Select to install Quill Sketch"
files = ["Quill Sketch.8bf"]
texts.de = { caption = "Quill-Sketch-Plug-in", status = "Aktivieren, um Quill Sketch zu installieren" }

[[component]]
keyword = "Tide"
caption = "Tide Blur Plug-in"
status = "Select to install Tide Blur"
files = ["Tide Blur.8bf"]
)";

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  size_t at = text.find(from);
  EXPECT_NE(std::string::npos, at) << from;
  return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

// A 24-bit bitmap of one colour.
Bytes Bitmap(int width, int height, BYTE shade) {
  int row = (3 * width + 3) / 4 * 4;
  Bytes bytes(54 + row * height, shade);
  BITMAPFILEHEADER file = {0x4D42, static_cast<DWORD>(bytes.size()), 0, 0, 54};
  BITMAPINFOHEADER info = {40, width, height, 1, 24, BI_RGB, static_cast<DWORD>(row * height), 2835, 2835, 0, 0};
  memcpy(bytes.data(), &file, 14);
  memcpy(bytes.data() + 14, &info, 40);
  return bytes;
}

struct Packer : ::testing::Test {
  void SetUp() override {
    ASSERT_TRUE(WriteWholeFile(folder.path() + "Quill Sketch.8bf", Bytes(3000, 1)));
    ASSERT_TRUE(WriteWholeFile(folder.path() + "Tide Blur.8bf", Bytes(5000, 2)));
  }
  // Runs the Windows packer over the description; its exit code, what it said on standard error in *said.
  DWORD Pack(const std::string& description, std::string* said, const std::string& output = "Setup.exe") {
    EXPECT_TRUE(WriteWholeFile(folder.path() + "setup.toml", Bytes(description.begin(), description.end())));
    return Run("\"" + folder.path() + "setup.toml\" -o \"" + folder.path() + output + "\" --stub \"" + BinFolder() +
                   "setup-stub.exe\"",
               said);
  }
  DWORD Run(const std::string& arguments, std::string* said) {
    // A file of its own for each run: the console host the system starts beside the packer may
    // hold the last one's a moment longer.
    SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
    std::string errors = outputs.path() + std::to_string(++runs) + ".txt";
    HANDLE error = CreateFileW(Wide(errors).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               &inherited, CREATE_NEW, 0, nullptr);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdError = startup.hStdOutput = error;
    PROCESS_INFORMATION process = {};
    std::wstring line = Wide("\"" + BinFolder() + "setup-pack.exe\" " + arguments);
    DWORD code = 0xFFFF;
    if (CreateProcessW(nullptr, &line[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process)) {
      WaitForSingleObject(process.hProcess, 120000);
      GetExitCodeProcess(process.hProcess, &code);
      CloseHandle(process.hThread);
      CloseHandle(process.hProcess);
    }
    CloseHandle(error);
    Bytes text = ReadWholeFile(errors);
    *said = std::string(text.begin(), text.end());
    return code;
  }
  TempFolder folder, outputs;
  int runs = 0;
};

// Each rule refused with its place; nothing at the output's name, no part of it beside.
TEST_F(Packer, RefusesWhatTheSetupWouldGetWrongNamingFileLineAndKey) {
  const std::string d = kDescription;
  const struct {
    std::string description, said;
  } cases[] = {
      {Replaced(d, "name = \"Quillwork\"", "name = Quillwork"), "setup.toml:2: is no valid TOML"},
      {Replaced(d, "folder = ", "fodler = "), "setup.toml:3: maker.fodler: is no key the packer knows here"},
      {Replaced(d, "version = \"2.3.4\"\n", ""), "product.version: is missing"},
      {Replaced(d, "version = \"2.3.4\"", "version = \"2.3.4.5.6\""), "setup.toml:11: product.version: must be one to four"},
      {Replaced(d, "scan_word = \"quillwork\"", "scan_word = \"QuillWork\""), "setup.toml:4: maker.scan_word: must be lower-case"},
      {Replaced(d, "keyword = \"Tide\"", "keyword = \"sketches\""), "'Sketch' and 'sketches'"},
      {Replaced(d, "[\"Tide Blur.8bf\"]", "[{ path = \"Tide Blur.8bf\", name = \"Blur.8bf\" }]"),
       "setup.toml:24: component[2].files[1]: installs as 'Blur.8bf', which does not hold its component's keyword 'Tide'"},
      {Replaced(d, "[\"Tide Blur.8bf\"]", "[{ path = \"Tide Blur.8bf\", name = \"Tide Sketch.8bf\" }]"),
       "holds the keyword 'Sketch' of another component"},
      {Replaced(d, "[\"Tide Blur.8bf\"]", "[{ path = \"Tide Blur.8bf\", name = \"Tidé Blur.8bf\" }]"),
       "'Tidé Blur.8bf' cannot be installed under this name; the nearest the setup can give is 'Tid Blur.8bf'"},
      {Replaced(d, "[\"Tide Blur.8bf\"]", "[{ path = \"Tide Blur.8bf\", name = \"CON.8bf\" }]"), "no plain file name"},
      {Replaced(d, "[\"Tide Blur.8bf\"]", "[\"Tide Missing.8bf\"]"), "setup.toml:24: component[2].files[1]: "},
      {Replaced(d, "caption = \"Tide Blur Plug-in\"", "caption = \"Tide Blur Plug-in, whose caption is over 39\""),
       "setup.toml:21: component[2].keyword: 'Tide': a keyword has 1-39 characters, a caption up to 39"},
      {Replaced(d, "texts.de", "texts.xx"), "setup.toml:18: component[1].texts.xx: "},
      {Replaced(d, "zu installieren\" }", "zu installieren.\" }"), "setup.toml:18: component[1].texts.de"},
      {d + "\n[setup]\nlanguages = [\"de\", \"xx\"]\n", "setup.toml:27: setup.languages: "},
      {d + "\n[[preset]]\nkind = \"sketch\"\nfile = \"Tide Blur.8bf\"\n", "'sketch' is no kind of preset block"},
      {d + "\n[[preset]]\nkind = \"patterns\"\nfile = \"short.bin\"\n", "fewer than the 12 records of 128 bytes"},
      {d + "\n[pictures]\ntoggle = \"toggle.bmp\"\n", "toggle.bmp (" },
  };
  ASSERT_TRUE(WriteWholeFile(folder.path() + "toggle.bmp", Bitmap(40, 13, 0x50)));
  ASSERT_TRUE(WriteWholeFile(folder.path() + "short.bin", Bytes(1000, 3)));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.said);
    std::string said;
    EXPECT_EQ(1u, Pack(c.description, &said));
    EXPECT_NE(std::string::npos, said.find(c.said)) << said;
    EXPECT_FALSE(Exists(folder.path() + "Setup.exe"));
  }
  std::string said;
  ASSERT_EQ(1u, Pack(cases[17].description, &said));
  EXPECT_NE(std::string::npos, said.find("is 40 x 13 pixels; it must be 52 x 13")) << said;
  EXPECT_EQ((std::vector<std::string>{"Quill Sketch.8bf", "Tide Blur.8bf", "setup.toml", "short.bin", "toggle.bmp"}), ListFolder(folder.path()));
}

// A payload the 32-bit setup could not install is refused before any of it is read (a file with
// holes stands in for a model of that size).
TEST_F(Packer, RefusesAPayloadLargerThanTheSetupCanInstall) {
  HANDLE model = CreateFileW(Wide(folder.path() + "Model.dat").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  LARGE_INTEGER size;
  size.QuadPart = 1610612737;
  ASSERT_TRUE(SetFilePointerEx(model, size, nullptr, FILE_BEGIN) && SetEndOfFile(model));
  CloseHandle(model);
  std::string said;
  EXPECT_EQ(1u, Pack(std::string(kDescription) + "\n[payload]\nfiles = [\"Model.dat\"]\n", &said));
  EXPECT_NE(std::string::npos, said.find("larger than the 32-bit setup can install")) << said;
  EXPECT_FALSE(Exists(folder.path() + "Setup.exe"));
}

// The Windows packer and this machine's make the same bytes from the same description.
TEST_F(Packer, MakesTheSameSetupAsTheBuildMachinesPacker) {
  std::string source = SETUP_SOURCE_DIR "/tests/setups/fixture.toml", build = BinFolder() + "..";
  for (char& c : source) c = c == '/' ? '\\' : c;
  std::string said;
  ASSERT_EQ(0u, Run("\"Z:" + source + "\" -o \"" + folder.path() + "Fixture.exe\" --stub \"" + BinFolder() +
                        "setup-stub.exe\" --base \"" + build + "\"",
                    &said))
      << said;
  EXPECT_TRUE(ReadWholeFile(folder.path() + "Fixture.exe") == ReadWholeFile(BinFolder() + "FixtureSetup.exe"));
}

// A maker's own install button goes in, the default pictures stay for the rest.
TEST_F(Packer, CarriesTheMakersOwnPicture) {
  const Bytes own = Bitmap(60, 19, 0x3C);
  ASSERT_TRUE(WriteWholeFile(folder.path() + "begin.bmp", own));
  std::string said;
  ASSERT_EQ(0u, Pack(std::string(kDescription) + "\n[pictures]\nbegin = \"begin.bmp\"\n", &said)) << said;
  HMODULE setup = LoadLibraryExW(Wide(folder.path() + "Setup.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_TRUE(setup);
  HRSRC resource = FindResourceW(setup, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(3002));
  const BYTE* data = resource ? static_cast<const BYTE*>(LockResource(LoadResource(setup, resource))) : nullptr;
  ASSERT_TRUE(data);
  DWORD count = *reinterpret_cast<const DWORD*>(data), total = 0, at = 0, ids = 0;
  for (DWORD i = 0; i < count; ++i) {
    DWORD id = reinterpret_cast<const DWORD*>(data + 4)[2 * i], bytes = reinterpret_cast<const DWORD*>(data + 4)[2 * i + 1];
    if (id == 219) at = total;
    ids += id == 219 || id == 128;
    total += bytes;
  }
  EXPECT_EQ(2u, ids);  // the button and the default tick box; no other scale of the maker's button
  LzmaReader reader;
  Bytes pictures(total);
  DWORD produced = 0;
  ASSERT_EQ(0u, OpenLzma(&reader, data + 4 + 8 * count, SizeofResource(setup, resource) - 4 - 8 * count, total, 8u << 20));
  ASSERT_EQ(0u, ReadLzma(&reader, pictures.data(), total, &produced));
  CloseLzma(&reader);
  EXPECT_TRUE(Bytes(pictures.begin() + at, pictures.begin() + at + own.size() - 14) == Bytes(own.begin() + 14, own.end()));
  FreeLibrary(setup);
}

// Every maker value reaches the running setup: the entry's names, version and address, the maker's
// key, the title and the components' captions in the user's language.
TEST_F(Packer, TheDescriptionsValuesReachTheRunningSetup) {
  const char kQuillEntry[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quill Plugins";
  RegistryKeyGuard entry(HKEY_LOCAL_MACHINE, kQuillEntry), maker(HKEY_LOCAL_MACHINE, "Software\\Quillwork");
  if (entry.existedBefore() || maker.existedBefore()) GTEST_SKIP() << "the prefix has a Quillwork installation";
  std::string said;
  ASSERT_EQ(0u, Pack(std::string(kDescription) + "\n[[preset]]\nkind = \"sketches\"\nfile = \"Tide Blur.8bf\"\n", &said))
      << said;
  {
    RunningSetup dialog(folder.path() + "Setup.exe", "/LANG=de");
    ASSERT_TRUE(dialog.WaitForWindow());
    wchar_t title[256];
    GetWindowTextW(dialog.window(), title, 256);
    EXPECT_NE(std::wstring::npos, std::wstring(title).find(L"Quill Plugins")) << Utf8(title);
    std::vector<std::string> names;
    for (const auto& child : dialog.ReadAloud()) names.push_back(child.name);
    EXPECT_NE(names.end(), std::find(names.begin(), names.end(), "Quill-Sketch-Plug-in"));
    EXPECT_NE(names.end(), std::find(names.begin(), names.end(), "Tide Blur Plug-in"));  // no German given
    EXPECT_NE(names.end(), std::find(names.begin(), names.end(), "www.quillwork.example"));
  }
  std::string target = folder.Make("plugins") + "\\";
  ASSERT_EQ(0u, RunningSetup(folder.path() + "Setup.exe", "/S /D=" + target).WaitForExit());
  EXPECT_EQ("Quillwork", ReadText(HKEY_LOCAL_MACHINE, kQuillEntry, "Publisher"));
  EXPECT_EQ("2.3.4", ReadText(HKEY_LOCAL_MACHINE, kQuillEntry, "DisplayVersion"));
  EXPECT_EQ("https://www.quillwork.example/", ReadText(HKEY_LOCAL_MACHINE, kQuillEntry, "URLInfoAbout"));
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Quillwork\\Graphitor"));
  EXPECT_EQ((std::vector<std::string>{"Quill Sketch.8bf", "Tide Blur.8bf"}), ListFolder(target));
  std::string uninstaller = ReadText(HKEY_LOCAL_MACHINE, kQuillEntry, "DisplayIcon");
  uninstaller = uninstaller.substr(0, uninstaller.rfind(','));
  EXPECT_NE(std::string::npos, uninstaller.find("\\Quill Plugins\\"));
  EXPECT_EQ(0u, RunningSetup(uninstaller, "/UNINSTALL /S").WaitForExit());
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kQuillEntry));
}

// A payload larger than the encoder's dictionary is packed in streams of their own, side by side;
// the setup installs every item of every stream.
TEST_F(Packer, APayloadBeyondADictionaryGoesInFromEveryStream) {
  const char kQuillEntry[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quill Plugins";
  RegistryKeyGuard entry(HKEY_LOCAL_MACHINE, kQuillEntry), maker(HKEY_LOCAL_MACHINE, "Software\\Quillwork");
  if (entry.existedBefore() || maker.existedBefore()) GTEST_SKIP() << "the prefix has a Quillwork installation";
  // Words picked at random: text that compresses, but not to nothing, and differs between the files.
  const char* kWords[] = {"layer ", "brush ", "curve ", "mask ", "blend ", "noise ", "tone ", "edge "};
  Bytes files[2];
  unsigned seed = 7;
  for (Bytes& bytes : files) {
    while (bytes.size() < (5u << 20)) {
      seed = seed * 1103515245u + 12345u;
      for (const char* at = kWords[(seed >> 16) % 8]; *at; ++at) bytes.push_back(static_cast<BYTE>(*at));
    }
  }
  ASSERT_TRUE(WriteWholeFile(folder.path() + "Quill Sketch.8bf", files[0]));
  ASSERT_TRUE(WriteWholeFile(folder.path() + "Tide Blur.8bf", files[1]));
  std::string said;
  ASSERT_EQ(0u, Pack(kDescription, &said)) << said;
  HMODULE setup = LoadLibraryExW(Wide(folder.path() + "Setup.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_TRUE(setup);
  EXPECT_TRUE(FindResourceW(setup, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(3001)));
  EXPECT_TRUE(FindResourceW(setup, MAKEINTRESOURCEW(2), MAKEINTRESOURCEW(3001)));
  FreeLibrary(setup);
  std::string target = folder.Make("plugins") + "\\";
  ASSERT_EQ(0u, RunningSetup(folder.path() + "Setup.exe", "/S /D=" + target).WaitForExit());
  EXPECT_TRUE(ReadWholeFile(target + "Quill Sketch.8bf") == files[0]);
  EXPECT_TRUE(ReadWholeFile(target + "Tide Blur.8bf") == files[1]);
  std::string uninstaller = ReadText(HKEY_LOCAL_MACHINE, kQuillEntry, "DisplayIcon");
  EXPECT_EQ(0u, RunningSetup(uninstaller.substr(0, uninstaller.rfind(',')), "/UNINSTALL /S").WaitForExit());
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kQuillEntry));
}

}  // namespace
