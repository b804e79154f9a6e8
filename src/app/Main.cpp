// Entry point of the setup program: harden, read the command line, take the single-instance mutex,
// then run the dialog, the unattended installation or the uninstall.
#include <new>
#include <windows.h>

#include "app/CommandLine.h"
#include "base/ExitCode.h"
#include "base/InstallLog.h"
#include "base/Product.h"
#include "base/SystemLibrary.h"
#include "install/InstallRun.h"
#include "record/Uninstall.h"
#include "skin/SkinSurface.h"
#include "ui/DialogState.h"
#include "ui/SetupDialog.h"

namespace {

SkinState mainSkinState;

const char kUsage[] =
    SETUP_DESCRIPTION "\n\n"
    "/S\tinstall every plug-in without any window\n"
    "/D=folder\tthe folder to install into; the last option, without quotes\n"
    "/LOG=file\tappend a record of the run to the file\n"
    "/?\tthis text\n\n"
    "Exit codes: 0 done, 1 bad command line, 2 no plug-in folder found, 3 something could not be "
    "written or removed, 4 another copy is running, 5 the log could not be written, 6 changed files "
    "were kept, 7 cancelled.";

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  HardenDllSearch();
  static CommandLine options;
  bool understood = ParseCommandLine(ProgramArguments(), &options);
  if (!understood || options.help) {
    if (!options.silent) {
      MessageBoxA(nullptr, kUsage, WINDOW_TITLE, understood ? MB_OK : MB_OK | MB_ICONWARNING);
    }
    return understood ? kExitSuccess : kExitBadCommandLine;
  }
  // A folder named relative to where the setup started means that folder, wherever discovery goes.
  if (options.folder[0]) {
    char full[kPathCapacity];
    DWORD length = GetFullPathNameA(options.folder, sizeof full, full, nullptr);
    if (length == 0 || length >= sizeof full) return kExitBadCommandLine;
    lstrcpyA(options.folder, full);
  }

  // A second copy would install into the same folders at the same time: it leaves at once, and
  // an unattended one says that it did nothing.
  HANDLE singleInstance = CreateMutexA(nullptr, TRUE, " ");
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    if (singleInstance) CloseHandle(singleInstance);
    return options.silent || options.uninstall ? kExitAlreadyRunning : kExitSuccess;
  }
  appInstance = instance;
  OpenInstallLog(options.logFile, ProgramArguments());

  int code = kExitSuccess;
  if (options.uninstall) {
    code = RunUninstall(options.silent);
  } else if (options.silent) {
    code = RunSilentInstall(instance, options.folder);
  } else {
    lstrcpyA(commandLineFolder, options.folder);
    skinSurface = new (std::nothrow) SkinSurface(&mainSkinState, instance);
    INT_PTR result = skinSurface ? DialogBoxParamA(instance, "main", nullptr, SetupDialogProc, 0) : -1;
    if (result != 0) MessageBoxA(nullptr, "E", nullptr, MB_OK);
    delete skinSurface;
    skinSurface = nullptr;
  }
  if (!CloseInstallLog() && code == kExitSuccess) code = kExitLogNotWritten;

  if (singleInstance) {
    ReleaseMutex(singleInstance);
    CloseHandle(singleInstance);
  }
  return code;
}

// The program's own entry point. The run-time library's start-up code handles what this program
// never uses (command-line vectors, thread-local storage, floating point, pseudo-relocations) and
// costs several kilobytes of every download; msvcrt.dll sets itself up as it loads. Constructors of
// static objects, should there ever be any, run here, in the order the library would run them;
// the process ends with ExitProcess, so no destructor of a static object is needed. Other
// toolchains keep their own start-up code.
#ifdef __MINGW32__
extern "C" void (*__CTOR_LIST__[])();  // from the linker script: -1, the constructors, 0

extern "C" void WINAPI SetupStart() {
  int count = 0;
  while (__CTOR_LIST__[count + 1]) ++count;
  for (int i = count; i >= 1; --i) __CTOR_LIST__[i]();
  ExitProcess(static_cast<UINT>(WinMain(GetModuleHandleA(nullptr), nullptr, nullptr, SW_SHOWDEFAULT)));
}
#endif
