// Entry point of the setup program: harden, read the command line, take the single-instance mutex,
// then run the dialog, the unattended installation or the uninstall.
#include <new>
#include <windows.h>

#include "app/Allocation.h"
#include "app/CommandLine.h"
#include "base/ExitCode.h"
#include "base/InstallLog.h"
#include "base/Product.h"
#include "base/SystemError.h"
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
    "were kept, 7 cancelled, 8 out of memory, 9 the setup window could not be created.";

// The dialog, the exit code kExitNoWindow when it cannot be shown, with a message that says why.
int RunDialog(HINSTANCE instance, const char* folder) {
  lstrcpyA(commandLineFolder, folder);
  skinSurface = new (std::nothrow) SkinSurface(&mainSkinState, instance);
  dialogError = 0;
  INT_PTR result = skinSurface ? DialogBoxParamA(instance, "main", nullptr, SetupDialogProc, 0) : -1;
  DWORD error = dialogError ? dialogError : skinSurface ? GetLastError() : ERROR_NOT_ENOUGH_MEMORY;
  delete skinSurface;
  skinSurface = nullptr;
  if (result == 0) return kExitSuccess;
  char message[600] = "The setup window could not be created.\n\n";
  AppendErrorDescription(error ? error : ERROR_INVALID_DATA, message, sizeof message);
  LogLine("Outcome: %s", message);
  MessageBoxA(nullptr, message, WINDOW_TITLE, MB_OK | MB_ICONERROR);
  return kExitNoWindow;
}

int Run(HINSTANCE instance, CommandLine* options) {
  // A folder named relative to where the setup started means that folder, wherever discovery goes.
  if (options->folder[0]) {
    char full[kPathCapacity];
    DWORD length = GetFullPathNameA(options->folder, sizeof full, full, nullptr);
    if (length == 0 || length >= sizeof full) {
      LogLine("Outcome: the folder of /D= is too long");
      return kExitBadCommandLine;
    }
    lstrcpyA(options->folder, full);
  }
  // A second copy would install into the same folders at the same time: it leaves at once, and
  // an unattended one says that it did nothing.
  HANDLE singleInstance = CreateMutexA(nullptr, TRUE, " ");
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    if (singleInstance) CloseHandle(singleInstance);
    LogLine("Outcome: another copy of the setup is running");
    return options->silent || options->uninstall ? kExitAlreadyRunning : kExitSuccess;
  }
  appInstance = instance;
  int code = options->uninstall ? RunUninstall(options->silent)
             : options->silent  ? RunSilentInstall(instance, options->folder)
                                : RunDialog(instance, options->folder);
  if (singleInstance) {
    ReleaseMutex(singleInstance);
    CloseHandle(singleInstance);
  }
  return code;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  HardenDllSearch();
  // Discovery looks at folders on any drive; an empty removable one must not ask for a disk.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  static CommandLine options;
  bool understood = ParseCommandLine(ProgramArguments(), &options);
  silentRun = options.silent;
  OpenInstallLog(options.logFile, ProgramArguments());  // a refused run is logged too
  int code = kExitSuccess;
  if (!understood || options.help) {
    if (!understood) LogLine("Outcome: the command line is not understood");
    if (!options.silent) MessageBoxA(nullptr, kUsage, WINDOW_TITLE, understood ? MB_OK : MB_OK | MB_ICONWARNING);
    code = understood ? kExitSuccess : kExitBadCommandLine;
  } else {
    code = Run(instance, &options);
  }
  if (!CloseInstallLog() && code == kExitSuccess) code = kExitLogNotWritten;
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
