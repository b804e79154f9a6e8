#include "app/SetupDriver.h"

std::string BinFolder() {
  char path[MAX_PATH];
  DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path, length);
  return folder.substr(0, folder.find_last_of('\\') + 1);
}

bool WaitUntil(const std::function<bool()>& condition, DWORD milliseconds) {
  for (DWORD waited = 0;; waited += 50) {
    if (condition()) return true;
    if (waited >= milliseconds) return false;
    Sleep(50);
  }
}

RunningSetup::RunningSetup(const std::string& exe, const std::string& arguments) {
  // The display's pointer rests in its middle, inside the dialog: windows that appear and go
  // under it would send the dialog real mouse moves between a test's press and release.
  SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  std::string commandLine = "\"" + exe + "\" " + arguments;
  CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process_);
}

RunningSetup::~RunningSetup() {
  if (!process_.hProcess) return;
  if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
    TerminateProcess(process_.hProcess, 99);
    WaitForSingleObject(process_.hProcess, 5000);
  }
  CloseHandle(process_.hThread);
  CloseHandle(process_.hProcess);
}

namespace {
struct WindowSearch {
  DWORD processId;
  const char* className;
  const char* title;
  HWND exclude;
  HWND found;
};

BOOL CALLBACK FindWindowOf(HWND window, LPARAM parameter) {
  WindowSearch* search = reinterpret_cast<WindowSearch*>(parameter);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->processId || window == search->exclude || !IsWindowVisible(window)) return TRUE;
  char text[256] = "";
  GetWindowTextA(window, text, sizeof text);
  char className[256] = "";
  GetClassNameA(window, className, sizeof className);
  if (search->title && lstrcmpA(text, search->title) != 0) return TRUE;
  if (search->className && lstrcmpA(className, search->className) != 0) return TRUE;
  search->found = window;
  return FALSE;
}
}  // namespace

bool RunningSetup::WaitForWindow(DWORD milliseconds) {
  if (!process_.hProcess) return false;
  for (DWORD waited = 0; waited < milliseconds; waited += 50) {
    WindowSearch search = {process_.dwProcessId, nullptr, "Velmoran Plugins : Installation", nullptr, nullptr};
    EnumWindows(FindWindowOf, reinterpret_cast<LPARAM>(&search));
    if (search.found) {
      window_ = search.found;
      Settle(400);  // the first paint waits 50 ms before it draws
      return true;
    }
    if (WaitForSingleObject(process_.hProcess, 50) == WAIT_OBJECT_0) return false;
  }
  return false;
}

DWORD RunningSetup::WaitForExit(DWORD milliseconds) {
  DWORD code = STILL_ACTIVE;
  if (WaitForSingleObject(process_.hProcess, milliseconds) == WAIT_OBJECT_0) GetExitCodeProcess(process_.hProcess, &code);
  return code;
}

void RunningSetup::Move(int x, int y) { PostMessageA(window_, WM_MOUSEMOVE, 0, MAKELPARAM(x, y)); }

void RunningSetup::Click(int x, int y, bool right) {
  Move(x, y);
  PostMessageA(window_, right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN, right ? MK_RBUTTON : MK_LBUTTON, MAKELPARAM(x, y));
  PostMessageA(window_, right ? WM_RBUTTONUP : WM_LBUTTONUP, 0, MAKELPARAM(x, y));
  Settle();
}

void RunningSetup::Command(WPARAM wParam, LPARAM lParam) {
  PostMessageA(window_, WM_COMMAND, wParam, lParam);
  Settle();
}

void RunningSetup::Settle(DWORD extra) {
  DWORD_PTR result;
  SendMessageTimeoutA(window_, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
  Sleep(extra);
  SendMessageTimeoutA(window_, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
}

std::vector<std::string> RunningSetup::ListEntries() const {
  // Across processes the list's text comes back right only through the wide message.
  HWND list = GetDlgItem(window_, 1033);
  std::vector<std::string> entries;
  LRESULT count = SendMessageW(list, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    wchar_t text[1024] = L"";
    if (SendMessageW(list, CB_GETLBTEXTLEN, i, 0) >= 1024) continue;
    SendMessageW(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
    char narrow[2048] = "";
    WideCharToMultiByte(CP_ACP, 0, text, -1, narrow, sizeof narrow, nullptr, nullptr);
    entries.push_back(narrow);
  }
  return entries;
}

int RunningSetup::ListSelection() const {
  return static_cast<int>(SendMessageW(GetDlgItem(window_, 1033), CB_GETCURSEL, 0, 0));
}

void RunningSetup::SelectListEntry(int index) {
  HWND list = GetDlgItem(window_, 1033);
  SendMessageW(list, CB_SETCURSEL, index, 0);
  // CB_SETCURSEL notifies nobody; a person's choice would.
  PostMessageA(window_, WM_COMMAND, MAKEWPARAM(1033, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}

COLORREF RunningSetup::Pixel(int x, int y) const {
  HDC dc = GetDC(window_);
  COLORREF colour = GetPixel(dc, x, y);
  ReleaseDC(window_, dc);
  return colour;
}

int RunningSetup::CountPixels(const RECT& area, COLORREF colour) const {
  HDC dc = GetDC(window_);
  int count = 0;
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x) count += GetPixel(dc, x, y) == colour;
  }
  ReleaseDC(window_, dc);
  return count;
}

HWND RunningSetup::WaitForPopup(const char* className, const char* title, DWORD milliseconds) const {
  for (DWORD waited = 0; waited < milliseconds; waited += 100) {
    WindowSearch search = {process_.dwProcessId, className, title, window_, nullptr};
    EnumWindows(FindWindowOf, reinterpret_cast<LPARAM>(&search));
    if (search.found) return search.found;
    Sleep(100);
  }
  return nullptr;
}

std::string RunningSetup::PopupText(HWND popup) const {
  std::string text;
  for (HWND child = GetWindow(popup, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    char className[64] = "";
    GetClassNameA(child, className, sizeof className);
    if (lstrcmpiA(className, "Static") != 0) continue;
    wchar_t wide[4096] = L"";
    SendMessageW(child, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(wide));
    char narrow[4096] = "";
    WideCharToMultiByte(CP_ACP, 0, wide, -1, narrow, sizeof narrow, nullptr, nullptr);
    text += narrow;
  }
  return text;
}

SetupBitmaps::SetupBitmaps(const std::string& exe) : module_(LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {}

SetupBitmaps::~SetupBitmaps() {
  if (module_) FreeLibrary(module_);
}

COLORREF SetupBitmaps::Pixel(int id, int x, int y) const {
  HBITMAP bitmap = LoadBitmapA(module_, MAKEINTRESOURCEA(id));
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ previous = SelectObject(dc, bitmap);
  COLORREF colour = GetPixel(dc, x, y);
  SelectObject(dc, previous);
  DeleteDC(dc);
  DeleteObject(bitmap);
  return colour;
}
