#include "ui/ShellApi.h"

#include <exdisp.h>
#include <servprov.h>
#include <shldisp.h>

#include "base/InstallLog.h"
#include "base/Permissions.h"
#include "base/ScopedHandle.h"
#include "base/SystemLibrary.h"

namespace {

// A text for COM's automation interfaces, freed with oleaut32's SysFreeString.
struct AutomationTextTraits {
  using Type = BSTR;
  static Type Invalid() { return nullptr; }
  static bool IsValid(Type text) { return text != nullptr; }
  static void Free(Type text) {
    decltype(&SysFreeString) freeString = nullptr;
    if (FindFunction(LoadSystemLibrary(L"oleaut32.dll"), "SysFreeString", &freeString)) freeString(text);
  }
};
using AutomationText = Scoped<AutomationTextTraits>;

bool IsElevated() {
  ScopedHandle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.receive())) return false;
  TOKEN_ELEVATION elevation = {};
  DWORD size = 0;
  return GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof elevation, &size) &&
         elevation.TokenIsElevated;
}

// The desktop's own shell, which runs as the signed-in user, opens the page: the way to start
// something unelevated from an elevated program.
void OpenThroughDesktop(const ShellApi& shell, const wchar_t* url) {
  HMODULE automation = LoadSystemLibrary(L"oleaut32.dll");
  decltype(&SysAllocString) allocString = nullptr;
  if (!automation || !FindFunction(automation, "SysAllocString", &allocString)) return;
  ScopedComPtr<IShellWindows> windows;
  ScopedComPtr<IDispatch> desktop, background, application;
  ScopedComPtr<IServiceProvider> provider;
  ScopedComPtr<IShellBrowser> browser;
  ScopedComPtr<IShellView> view;
  ScopedComPtr<IShellFolderViewDual> folderView;
  ScopedComPtr<IShellDispatch2> dispatch;
  VARIANT location = {}, empty = {};  // zeros: VT_EMPTY
  location.vt = VT_I4;
  location.lVal = CSIDL_DESKTOP;
  long window = 0;
  if (FAILED(shell.coCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_IShellWindows,
                                    windows.receiveVoid())) ||
      windows->FindWindowSW(&location, &empty, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH, desktop.receive()) != S_OK ||
      !desktop || FAILED(desktop->QueryInterface(IID_IServiceProvider, provider.receiveVoid())) ||
      FAILED(provider->QueryService(SID_STopLevelBrowser, IID_IShellBrowser, browser.receiveVoid())) ||
      FAILED(browser->QueryActiveShellView(view.receive())) ||
      FAILED(view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, background.receiveVoid())) ||
      FAILED(background->QueryInterface(IID_IShellFolderViewDual, folderView.receiveVoid())) ||
      FAILED(folderView->get_Application(application.receive())) ||
      FAILED(application->QueryInterface(IID_IShellDispatch2, dispatch.receiveVoid()))) {
    return;
  }
  AutomationText file(allocString(url));
  if (!file.valid()) return;
  VARIANT show = {};
  show.vt = VT_I4;
  show.lVal = SW_SHOWMAXIMIZED;
  dispatch->ShellExecute(file.get(), empty, empty, empty, show);
}

}  // namespace

namespace {
bool LoadShell(ShellApi* api) {
  HMODULE shell = LoadSystemLibrary(L"shell32.dll");
  HMODULE com = LoadSystemLibrary(L"ole32.dll");
  return shell && com && FindFunction(shell, "SHBrowseForFolderW", &api->browseForFolder) &&
         FindFunction(shell, "SHGetPathFromIDListW", &api->pathFromIdList) &&
         FindFunction(shell, "ShellExecuteW", &api->shellExecute) &&
         FindFunction(com, "CoInitializeEx", &api->coInitializeEx) &&
         FindFunction(com, "CoUninitialize", &api->coUninitialize) &&
         FindFunction(com, "CoTaskMemFree", &api->coTaskMemFree) &&
         FindFunction(com, "CoCreateInstance", &api->coCreateInstance) &&
         FindFunction(com, "CoInitializeSecurity", &api->coInitializeSecurity);
}
}  // namespace

const ShellApi* SystemShell() { return LoadOnce(LoadShell); }

ComApartment EnterComApartment(const ShellApi& shell) {
  HRESULT entered = shell.coInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  static bool secured;
  if (SUCCEEDED(entered) && !secured) {
    secured = true;
    // Without a descriptor of its own COM keeps its default, which admits this user and the
    // system; a null one would admit every caller.
    PSECURITY_DESCRIPTOR callers = ComCallerPermissions();
    HRESULT security = callers ? shell.coInitializeSecurity(callers, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_DEFAULT,
                                                            RPC_C_IMP_LEVEL_IDENTIFY, nullptr, EOAC_NO_CUSTOM_MARSHAL,
                                                            nullptr)
                               : HRESULT_FROM_WIN32(ERROR_NOT_ENOUGH_MEMORY);
    // Too late, for one: something loaded into the process set it first, with its own choice.
    if (FAILED(security)) LogFailure("Could not set", L"COM security", static_cast<DWORD>(security));
  }
  return ComApartment(SUCCEEDED(entered));
}

void OpenPageAsUser(HWND owner, const wchar_t* url) {
  const ShellApi* shell = SystemShell();
  if (!shell) return;
  // The shell may hand the address to COM servers; they need COM on this thread.
  ComApartment com = EnterComApartment(*shell);
  if (IsElevated()) {
    OpenThroughDesktop(*shell, url);
  } else {
    shell->shellExecute(owner, L"open", url, nullptr, nullptr, SW_SHOWMAXIMIZED);
  }
}
