#pragma once
// The shell and COM functions the dialog uses, loaded from the system folder the first time they
// are needed. Linked statically they would load at start-up, before the DLL search path is made
// safe, and cost time before the window shows; most users never browse or follow the link.
#include <windows.h>

#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include "base/ScopedHandle.h"

struct ShellApi {
  decltype(&SHBrowseForFolderW) browseForFolder;
  decltype(&SHGetPathFromIDListW) pathFromIdList;
  decltype(&ShellExecuteW) shellExecute;
  decltype(&CoInitializeEx) coInitializeEx;
  decltype(&CoUninitialize) coUninitialize;
  decltype(&CoTaskMemFree) coTaskMemFree;
  decltype(&CoCreateInstance) coCreateInstance;
  decltype(&CoInitializeSecurity) coInitializeSecurity;
};

// Null when the system's shell or COM library cannot be loaded.
const ShellApi* SystemShell();

// This thread's place in a COM apartment, left when the scope ends; and memory COM handed out.
struct ComApartmentTraits {
  using Type = bool;
  static Type Invalid() { return false; }
  static bool IsValid(Type entered) { return entered; }
  static void Free(Type) { SystemShell()->coUninitialize(); }
};
using ComApartment = Scoped<ComApartmentTraits>;
struct CoTaskMemoryTraits {
  using Type = void*;
  static Type Invalid() { return nullptr; }
  static bool IsValid(Type block) { return block != nullptr; }
  static void Free(Type block) { SystemShell()->coTaskMemFree(block); }
};
using CoTaskMemory = Scoped<CoTaskMemoryTraits>;

// Enters this thread into a single-threaded apartment, as CoInitializeEx does; not valid when it
// could not. The first time, before COM is used for anything, it sets this
// elevated process's COM security: only the system, administrators and its own user may call into
// it, from this computer and at high integrity; whoever it calls may identify it but not act as it;
// and no object may bring marshalling code of its own into it.
ComApartment EnterComApartment(const ShellApi& shell);

// Opens a web page in the signed-in user's browser. An elevated setup asks the desktop's shell to
// open it, so that the browser does not run with the setup's administrator rights; when that is
// not possible no page opens. Nothing is reported: the page is help, not part of the setup.
void OpenPageAsUser(HWND owner, const wchar_t* url);
