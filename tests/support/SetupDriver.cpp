#include "support/SetupDriver.h"

#include <shlobj.h>

std::string BinFolder() {
  wchar_t path[MAX_PATH];
  std::string folder = Utf8(std::wstring(path, GetModuleFileNameW(nullptr, path, MAX_PATH)));
  return folder.substr(0, folder.find_last_of('\\') + 1);
}

std::string LanguageText(const std::string& tag, const std::string& key) {
  std::string path = std::string(SETUP_SOURCE_LANGUAGES) + "/" + tag + ".txt";
  for (char& c : path) c = c == '/' ? '\\' : c;
  if (path[0] == '\\') path = "Z:" + path;  // a path of the build machine, under Wine
  Bytes file = ReadWholeFile(path);
  std::string text(file.begin(), file.end()), found;
  for (size_t at = 0, end; at < text.size() && found.empty(); at = end + 1) {
    end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    if (line.compare(0, key.size() + 3, key + " = ") == 0) found = line.substr(key.size() + 3);
  }
  std::string unescaped;
  for (size_t i = 0; i < found.size(); ++i) {
    if (found[i] != '\\' || i + 1 == found.size()) {
      unescaped += found[i];
      continue;
    }
    char escape = found[++i];
    unescaped += escape == 'n' ? '\n' : escape == 't' ? '\t' : escape == 's' ? ' ' : escape;
  }
  for (const auto& name : {std::make_pair("{product}", "Velmoran Plugins"), std::make_pair("{maker}", "Velmoran")}) {
    for (size_t at; (at = unescaped.find(name.first)) != std::string::npos;) {
      unescaped.replace(at, strlen(name.first), name.second);
    }
  }
  return unescaped;
}

namespace {
// From the picture files themselves: the setup carries them compressed, and what it shows must be
// them, pixel for pixel. The picture is selected into a new memory DC; FreeArt deletes both.
HDC LoadArt(int id, int percent = 100) {
  const char* name = id == 117 ? "background" : id == 128 ? "toggle" : id == 203 ? "exit" : id == 213 ? "banner"
                     : id == 219 ? "begin" : "finish";
  std::string scale = percent == 100 ? "" : "-" + std::to_string(percent);
  std::string path = std::string(SETUP_SOURCE_ART) + "/" + name + scale + ".bmp";
  for (char& c : path) c = c == '/' ? '\\' : c;
  if (path[0] == '\\') path = "Z:" + path;  // a path of the build machine, under Wine
  HDC dc = CreateCompatibleDC(nullptr);
  SelectObject(dc, LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
  return dc;
}

void FreeArt(HDC dc) {
  HGDIOBJ picture = GetCurrentObject(dc, OBJ_BITMAP);
  DeleteDC(dc);
  DeleteObject(picture);
}
}  // namespace

COLORREF ArtPixel(int id, int x, int y, int percent) {
  HDC dc = LoadArt(id, percent);
  COLORREF colour = GetPixel(dc, x, y);
  FreeArt(dc);
  return colour;
}

int RunningSetup::CountInk(const RECT& area) const {
  HDC background = LoadArt(117), dc = GetDC(window_);
  int count = 0;
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x) count += GetPixel(dc, x, y) != GetPixel(background, x, y);
  }
  ReleaseDC(window_, dc);
  FreeArt(background);
  return count;
}

int RunningSetup::CountOverPlate(const RECT& place, int plate, int* atSides) const {
  HDC art = LoadArt(plate), dc = GetDC(window_);
  BITMAP picture = {};
  GetObjectW(GetCurrentObject(art, OBJ_BITMAP), sizeof picture, &picture);
  // The place holds one more column and row, for the pressed look.
  int wide = place.right - place.left - 1, middle = picture.bmWidth / 2, added = wide - picture.bmWidth, count = 0;
  *atSides = 0;
  for (int x = 0; x < wide; ++x) {
    int from = x < middle ? x : x < middle + added ? middle : x - added;
    for (int y = 0; y < picture.bmHeight; ++y) {
      COLORREF expected = GetPixel(art, from, y);
      if (expected == RGB(255, 255, 255) || GetPixel(dc, place.left + x, place.top + y) == expected) continue;
      ++count;
      if (x < 2 || x >= wide - 2) ++*atSides;
    }
  }
  ReleaseDC(window_, dc);
  FreeArt(art);
  return count;
}

RunningSetup::RunningSetup(const std::string& exe, const std::string& arguments, bool suspended) {
  // The display's pointer rests in its middle, inside the dialog: windows that appear and go
  // under it would send the dialog real mouse moves between a test's press and release.
  SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  std::wstring commandLine = Wide("\"" + exe + "\" " + arguments);
  // In a job that ends it with the test: a test that time runs out for leaves no setup running for the next one.
  job_ = CreateJobObjectW(nullptr, nullptr);
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE | JOB_OBJECT_LIMIT_SILENT_BREAKAWAY_OK;
  if (job_) SetInformationJobObject(job_, JobObjectExtendedLimitInformation, &limits, sizeof limits);
  if (CreateProcessW(Wide(exe).c_str(), &commandLine[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr,
                     &startup, &process_)) {
    if (job_) AssignProcessToJobObject(job_, process_.hProcess);
    if (!suspended) ResumeThread(process_.hThread);
  }
}

RunningSetup::~RunningSetup() {
  if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(process_.hProcess, 99);
  WaitForSingleObject(process_.hProcess, 5000);
  CloseHandle(process_.hThread);
  CloseHandle(process_.hProcess);
  if (job_) CloseHandle(job_);
}

HWND RunningSetup::WaitForPopup(const char* title, DWORD milliseconds) const {
  HWND found = nullptr;
  WaitUntil([&] {
    while ((found = FindWindowExA(nullptr, found, nullptr, title))) {
      DWORD owner = 0;
      GetWindowThreadProcessId(found, &owner);
      if (owner == process_.dwProcessId && found != window_ && IsWindowVisible(found)) return true;
    }
    return false;
  }, milliseconds);
  return found;
}

bool RunningSetup::WaitForWindow() {
  // The dialog is the process's dialog window with the folder list (a message box is a dialog too),
  // whatever language its title is in.
  WaitUntil([&] {
    for (HWND found = nullptr; (found = FindWindowExW(nullptr, found, L"#32770", nullptr));) {
      DWORD owner = 0;
      GetWindowThreadProcessId(found, &owner);
      if (owner == process_.dwProcessId && IsWindowVisible(found) && GetDlgItem(found, 1033)) window_ = found;
    }
    return window_ != nullptr;
  }, 20000);
  if (window_) Post(WM_NULL, 0);  // and the first paint, which waits 50 ms before it draws
  return window_ != nullptr;
}

DWORD RunningSetup::WaitForExit(DWORD milliseconds) {
  DWORD code = STILL_ACTIVE;
  if (WaitForSingleObject(process_.hProcess, milliseconds) == WAIT_OBJECT_0) {
    GetExitCodeProcess(process_.hProcess, &code);
  }
  return code;
}

void RunningSetup::Click(int x, int y) {
  PostMessageA(window_, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
  PostMessageA(window_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
  Post(WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

void RunningSetup::Key(WORD key, bool shift) {
  SetForegroundWindow(window_);
  auto send = [](WORD virtualKey, DWORD flags) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.dwFlags = flags;
    SendInput(1, &input, sizeof input);
  };
  if (shift) send(VK_SHIFT, 0);
  send(key, 0);
  send(key, KEYEVENTF_KEYUP);
  if (shift) send(VK_SHIFT, KEYEVENTF_KEYUP);
  Post(WM_NULL, 0);
}

namespace {
struct Reading {
  HWND window;
  std::vector<RunningSetup::Child> children;
  volatile LONG step;  // how far the reading has come: which call a reading that hangs waits for
};

DWORD CALLBACK ReadOnItsThread(void* parameter) {
  Reading& reading = *static_cast<Reading*>(parameter);
  std::vector<RunningSetup::Child>& children = reading.children;
  HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  IAccessible* dialog = nullptr;
  reading.step = 1;  // the object asked for, through the window
  if (FAILED(AccessibleObjectFromWindow(reading.window, OBJID_CLIENT, IID_IAccessible, reinterpret_cast<void**>(&dialog)))) {
    if (SUCCEEDED(com)) CoUninitialize();
    return 0;
  }
  long count = 0, got = 0;
  reading.step = 2;  // the first call into the setup's process
  dialog->get_accChildCount(&count);
  std::vector<VARIANT> ids(count);
  AccessibleChildren(dialog, 0, count, ids.data(), &got);
  for (VARIANT& id : ids) {
    ++reading.step;  // 3 and on: a child each
    VARIANT role = {}, state = {};
    BSTR name = nullptr;
    dialog->get_accRole(id, &role);
    dialog->get_accState(id, &state);
    dialog->get_accName(id, &name);
    long left = 0, top = 0, width = 0, height = 0;
    dialog->accLocation(&left, &top, &width, &height, id);
    POINT corner = {left, top};
    ScreenToClient(reading.window, &corner);
    children.push_back({role.lVal, name ? Utf8(name) : "", state.lVal,
                        RECT{corner.x, corner.y, corner.x + width, corner.y + height}});
    SysFreeString(name);
  }
  dialog->Release();
  if (SUCCEEDED(com)) CoUninitialize();
  return 0;
}
}  // namespace

std::vector<RunningSetup::Child> RunningSetup::ReadAloud() const {
  // A setup that never answers fails the test here, ended, rather than holding it until its time runs out;
  // the failure says how far the reading came and whether the window still answers messages.
  Reading* reading = new Reading{window_, {}, 0};
  HANDLE thread = CreateThread(nullptr, 0, ReadOnItsThread, reading, 0, nullptr);
  if (!thread) return {};
  if (WaitForSingleObject(thread, 20000) == WAIT_TIMEOUT) {
    DWORD_PTR result = 0;
    bool answers = SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_NORMAL, 2000, &result) != 0;
    ADD_FAILURE() << "the setup did not answer a screen reader within 20 s; the reading waits at step " << reading->step
                  << ", and the window " << (answers ? "answers" : "does not answer") << " messages";
    TerminateProcess(process_.hProcess, 98);
    if (WaitForSingleObject(thread, 10000) == WAIT_TIMEOUT) {
      CloseHandle(thread);
      return {};  // the reading is left to its thread
    }
  }
  CloseHandle(thread);
  std::vector<Child> children = std::move(reading->children);
  delete reading;
  return children;
}

void RunningSetup::ClickButton(int index) {
  int seen = 0;
  for (const Child& child : ReadAloud()) {
    if (child.role != ROLE_SYSTEM_PUSHBUTTON || seen++ != index) continue;
    Click((child.place.left + child.place.right) / 2, (child.place.top + child.place.bottom) / 2);
    return;
  }
}

void RunningSetup::Post(UINT message, WPARAM wParam, LPARAM lParam) {
  PostMessageA(window_, message, wParam, lParam);
  DWORD_PTR result;
  SendMessageTimeoutA(window_, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
  Sleep(300);
  SendMessageTimeoutA(window_, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
}

std::vector<std::string> RunningSetup::ListEntries() const {
  // Across processes the list's text comes back right only through the wide message.
  std::vector<std::string> entries;
  for (LRESULT i = 0, count = SendDlgItemMessageW(window_, 1033, CB_GETCOUNT, 0, 0); i < count; ++i) {
    wchar_t text[1024] = L"";
    if (SendDlgItemMessageW(window_, 1033, CB_GETLBTEXTLEN, i, 0) < 1024) {
      SendDlgItemMessageW(window_, 1033, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
    }
    entries.push_back(Utf8(text));
  }
  return entries;
}

int RunningSetup::ListSelection() const {
  return static_cast<int>(SendDlgItemMessageW(window_, 1033, CB_GETCURSEL, 0, 0));
}

void RunningSetup::SelectListEntry(int index) {
  SendDlgItemMessageW(window_, 1033, CB_SETCURSEL, index, 0);  // notifies nobody; a person's choice would
  Post(WM_COMMAND, MAKEWPARAM(1033, CBN_SELCHANGE), reinterpret_cast<LPARAM>(GetDlgItem(window_, 1033)));
}

COLORREF RunningSetup::Pixel(int x, int y) const {
  HDC dc = GetDC(window_);
  COLORREF colour = GetPixel(dc, x, y);
  ReleaseDC(window_, dc);
  return colour;
}

int RunningSetup::CountPixels(const RECT& area, COLORREF colour) const {
  int count = 0;
  HDC dc = GetDC(window_);
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x) count += GetPixel(dc, x, y) == colour;
  }
  ReleaseDC(window_, dc);
  return count;
}

std::string RunningSetup::CloseMessage(DWORD milliseconds) {
  HWND box = WaitForPopup("Velmoran Plugins : Installation", milliseconds);
  std::string text;
  for (HWND child = box ? GetWindow(box, GW_CHILD) : nullptr; child; child = GetWindow(child, GW_HWNDNEXT)) {
    wchar_t wide[4096] = L"";
    char className[64] = "";
    GetClassNameA(child, className, sizeof className);
    if (lstrcmpiA(className, "Static") == 0 && SendMessageW(child, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(wide))) {
      text += Utf8(wide);
    }
  }
  if (box) PostMessageA(box, WM_COMMAND, IDOK, 0);
  Post(WM_NULL, 0);
  return text;
}

bool RunningSetup::Browse(const std::string& folder) {
  // The folder picker (IFileOpenDialog, picking folders) under the setup's title: the folder's name in its file name
  // box (edt1, 1152, under Wine), then Open or Cancel.
  HWND picker = WaitForPopup(LanguageText("en", "BrowseTitle").c_str());
  if (!picker) return false;
  HWND name = GetDlgItem(picker, 1152);
  if (!name) return false;
  SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Wide(folder).c_str()));
  PostMessageA(picker, WM_COMMAND, folder.empty() ? IDCANCEL : IDOK, 0);
  Post(WM_NULL, 0);
  return true;
}

void RunningSetup::ChangeScale(int dpi, const RECT& suggested) {
  // The rectangle must live in the setup's process.
  void* remote = VirtualAllocEx(process_.hProcess, nullptr, sizeof suggested, MEM_COMMIT, PAGE_READWRITE);
  WriteProcessMemory(process_.hProcess, remote, &suggested, sizeof suggested, nullptr);
  SendMessageW(window_, 0x02E0, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(remote));  // WM_DPICHANGED
  Post(WM_NULL, 0);
  VirtualFreeEx(process_.hProcess, remote, 0, MEM_RELEASE);
}

std::unique_ptr<RunningSetup> LoadAsAnEditorDoes(const std::string& plugIn) {
  std::string name = "plugin-loaded-" + Pid() + "-" + std::to_string(GetTickCount());
  HANDLE loaded = CreateEventA(nullptr, TRUE, FALSE, name.c_str());
  std::unique_ptr<RunningSetup> host(new RunningSetup(BinFolder() + "plugin_host.exe", "\"" + plugIn + "\" " + name));
  if (WaitForSingleObject(loaded, 10000) != WAIT_OBJECT_0) host.reset();
  CloseHandle(loaded);
  return host;
}

void SetupTest::SetUp() {
  wchar_t programFiles[MAX_PATH] = L"";
  SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES, nullptr, SHGFP_TYPE_CURRENT, programFiles);
  std::string folder = Utf8(programFiles) + "\\Velmoran Plugins";
  bool found = Exists(folder);
  for (const RegistryKeyGuard* guard : {&maker_, &machineMaker_, &otherViewMaker_, &entry_}) {
    found = found || guard->existedBefore();
  }
  if (found) {
    GTEST_SKIP() << "Software\\Velmoran or an installation of the setup exists already";
  }
  keptFolder_ = folder;  // only now: what existed before is not the test's to remove
}

void SetupTest::TearDown() {
  setup_.reset();
  if (keptFolder_.empty()) return;
  RemoveTree(keptFolder_);
  ForgetPendingDeletions(keptFolder_);
  ForgetPendingDeletions(folder_.path());
}
