#include "ui/ShellApi.h"

#include <exdisp.h>
#include <servprov.h>
#include <shldisp.h>

#include "base/SystemLibrary.h"

namespace {

bool IsElevated() {
  HANDLE token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  TOKEN_ELEVATION elevation = {};
  DWORD size = 0;
  bool elevated = GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size) &&
                  elevation.TokenIsElevated;
  CloseHandle(token);
  return elevated;
}

template <typename T>
void Release(T*& object) {
  if (object) object->Release();
  object = nullptr;
}

// The desktop's own shell, which runs as the signed-in user, opens the page: the way to start
// something unelevated from an elevated program.
void OpenThroughDesktop(const ShellApi& shell, const wchar_t* url) {
  HMODULE automation = LoadSystemLibrary("oleaut32.dll");
  decltype(&SysAllocString) allocString = nullptr;
  decltype(&SysFreeString) freeString = nullptr;
  if (!automation || !FindFunction(automation, "SysAllocString", &allocString) ||
      !FindFunction(automation, "SysFreeString", &freeString)) {
    return;
  }
  IShellWindows* windows = nullptr;
  IDispatch* desktop = nullptr;
  IShellBrowser* browser = nullptr;
  IShellView* view = nullptr;
  IDispatch* background = nullptr;
  IShellFolderViewDual* folderView = nullptr;
  IDispatch* application = nullptr;
  IShellDispatch2* dispatch = nullptr;
  VARIANT location = {}, empty = {};  // zeros: VT_EMPTY
  location.vt = VT_I4;
  location.lVal = CSIDL_DESKTOP;
  long window = 0;
  if (SUCCEEDED(shell.coCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_IShellWindows,
                                       reinterpret_cast<void**>(&windows))) &&
      windows->FindWindowSW(&location, &empty, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH, &desktop) == S_OK &&
      desktop) {
    IServiceProvider* provider = nullptr;
    if (SUCCEEDED(desktop->QueryInterface(IID_IServiceProvider, reinterpret_cast<void**>(&provider)))) {
      provider->QueryService(SID_STopLevelBrowser, IID_IShellBrowser, reinterpret_cast<void**>(&browser));
      Release(provider);
    }
  }
  if (browser && SUCCEEDED(browser->QueryActiveShellView(&view)) &&
      SUCCEEDED(view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, reinterpret_cast<void**>(&background))) &&
      SUCCEEDED(background->QueryInterface(IID_IShellFolderViewDual, reinterpret_cast<void**>(&folderView))) &&
      SUCCEEDED(folderView->get_Application(&application)) &&
      SUCCEEDED(application->QueryInterface(IID_IShellDispatch2, reinterpret_cast<void**>(&dispatch)))) {
    BSTR file = allocString(url);
    if (file) {
      VARIANT show = {};
      show.vt = VT_I4;
      show.lVal = SW_SHOWMAXIMIZED;
      dispatch->ShellExecute(file, empty, empty, empty, show);
      freeString(file);
    }
  }
  Release(dispatch);
  Release(application);
  Release(folderView);
  Release(background);
  Release(view);
  Release(browser);
  Release(desktop);
  Release(windows);
}

}  // namespace

const ShellApi* SystemShell() {
  static ShellApi api;
  static int state;  // 0 not tried, 1 loaded, -1 failed
  if (state == 0) {
    HMODULE shell = LoadSystemLibrary("shell32.dll");
    HMODULE com = LoadSystemLibrary("ole32.dll");
    bool found = shell && com && FindFunction(shell, "SHBrowseForFolderA", &api.browseForFolder) &&
                 FindFunction(shell, "SHGetPathFromIDListA", &api.pathFromIdList) &&
                 FindFunction(shell, "ShellExecuteA", &api.shellExecute) &&
                 FindFunction(com, "CoInitializeEx", &api.coInitializeEx) &&
                 FindFunction(com, "CoUninitialize", &api.coUninitialize) && FindFunction(com, "CoTaskMemFree", &api.coTaskMemFree) &&
                 FindFunction(com, "CoCreateInstance", &api.coCreateInstance);
    state = found ? 1 : -1;
  }
  return state == 1 ? &api : nullptr;
}

void OpenPageAsUser(HWND owner, const char* url) {
  const ShellApi* shell = SystemShell();
  if (!shell) return;
  // The shell may hand the address to COM servers; they need COM on this thread.
  HRESULT com = shell->coInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  if (IsElevated()) {
    wchar_t wide[512];
    if (MultiByteToWideChar(CP_ACP, 0, url, -1, wide, 512) > 0) OpenThroughDesktop(*shell, wide);
  } else {
    shell->shellExecute(owner, "open", url, nullptr, nullptr, SW_SHOWMAXIMIZED);
  }
  if (SUCCEEDED(com)) shell->coUninitialize();
}
