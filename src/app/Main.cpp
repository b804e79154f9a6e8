// Entry point of the setup program: harden, read the command line, take the single-instance mutex,
// then run the dialog, the unattended installation or the uninstall.
#include <new>
#include <windows.h>

#include "app/CommandLine.h"
#include "base/AdminMutex.h"
#include "base/Allocation.h"
#include "base/ExitCode.h"
#include "base/FileReplacement.h"
#include "base/InstallLog.h"
#include "base/Messages.h"
#include "base/OwnFile.h"
#include "base/MakerValues.h"
#include "base/ScopedHandle.h"
#include "base/SystemError.h"
#include "base/SystemLibrary.h"
#include "base/Texts.h"
#include "install/InstallRun.h"
#include "install/Uninstall.h"
#include "payload/InstallFailures.h"
#include "record/RecordLock.h"
#include "record/RunJournal.h"
#include "skin/SkinSurface.h"
#include "skin/Widget.h"
#include "ui/DialogState.h"
#include "ui/SetupDialog.h"

namespace {

// The dialog, the exit code ExitCode::kNoWindow when it cannot be shown, with a message that says why.
ExitCode RunDialog(const InstallSource& source, const wchar_t* folder) {
  SkinState skin = {};  // the dialog's, shared by its surface and widgets, which it owns
  DialogState state = {};
  state.source = source;
  state.commandLineFolder = folder;
  ScopedObject<SkinSurface> surface(new (kNoThrow) SkinSurface(&skin, source.module));
  state.surface = surface.get();
  state.dialogError = 0;
  INT_PTR result = state.surface ? DialogBoxParamW(source.module, L"main", nullptr, SetupDialogProc,
                                                   reinterpret_cast<LPARAM>(&state))
                                 : -1;
  SystemError error = state.dialogError ? state.dialogError : state.surface ? GetLastError() : ERROR_NOT_ENOUGH_MEMORY;
  state.surface = nullptr;
  surface.reset();  // the skin's pictures and fonts go before a message box shows
  if (result == 0) return ExitCode::kSuccess;
  wchar_t reason[512];
  DescribeError(error ? error : ERROR_INVALID_DATA, reason, 512);
  TellOutcome(false, MB_ICONERROR, kTextWindowNotCreated, reason);
  return ExitCode::kNoWindow;
}

// The run that the command line asks for, as the only copy of the setup in the session.
// ownFileError: why the setup's own file could not be opened, 0 when it is open.
ExitCode RunAlone(const InstallSource& source, SystemError ownFileError, const CommandLine& options) {
  // Without its own file the setup can keep no uninstaller and tell no copy of itself: it stops
  // before it changes anything.
  if (ownFileError) {
    wchar_t reason[512];
    DescribeError(ownFileError, reason, 512);
    TellOutcome(options.silent, MB_ICONERROR, kTextOwnFileUnreadable, reason);
    return ExitCode::kNotWritten;
  }
  // A file put at the setup's name as it started is not the program that runs: kept as the
  // uninstaller, it would run with administrator rights.
  if (!IsRunningImage(source.ownFile)) {
    TellOutcome(options.silent, MB_ICONERROR, kTextFileReplaced);
    return ExitCode::kNotWritten;
  }
  // An installation that never ended (killed, a power cut) is taken back before anything else.
  RecordLock lock;
  FilePath notTakenBack;
  if (lock.Take() && TakeBackInterruptedRun(&notTakenBack) != ERROR_SUCCESS) {
    TellOutcome(options.silent, MB_ICONWARNING, kTextNotAllTakenBack, notTakenBack);
    return ExitCode::kNotTakenBack;
  }
  lock.Release();
  return options.uninstall ? RunUninstall(options.silent, source.ownFile)
         : options.silent  ? RunSilentInstall(source, options.folder)
                            : RunDialog(source, options.folder);
}

ExitCode Run(const InstallSource& source, SystemError ownFileError, CommandLine* options) {
  // A folder named relative to where the setup started means that folder, wherever discovery goes.
  if (!options->folder.empty()) {
    FolderPath full;
    DWORD length = GetFullPathNameW(options->folder, static_cast<DWORD>(full.capacity()), full.buffer(), nullptr);
    if (length == 0 || length >= full.capacity()) {
      LogLine("Outcome: the folder of /D= is too long");
      return ExitCode::kBadCommandLine;
    }
    options->folder = full;
  }
  // A second copy would install into the same folders at the same time: it leaves at once, and
  // an unattended one says that it did nothing.
  // One per session, as the object in the session's own namespace was; but a name there is one that
  // any program of any user can take first (for a service, the global namespace is its session's).
  DWORD session = 0;
  ProcessIdToSessionId(GetCurrentProcessId(), &session);
  wchar_t instanceName[32];
  wsprintfW(instanceName, L"instance%lu", session);
  AdminMutex singleInstance;
  if (!singleInstance.Create(instanceName, L" ", true)) {
    // Refused: another program may hold its place. Without it two copies could run at once.
    TellOutcome(options->silent, MB_ICONWARNING,
                FailureHeadline(kAnotherRunActive, options->uninstall ? RunKind::kUninstall : RunKind::kInstall));
    return ExitCodeOf(kAnotherRunActive);
  }
  if (singleInstance.existed()) {
    LogLine("Outcome: another copy of the setup is running");
    return options->silent || options->uninstall ? ExitCode::kAlreadyRunning : ExitCode::kSuccess;
  }
  HeldMutex held(singleInstance.get());  // this run's, given back as it ends
  return RunAlone(source, ownFileError, *options);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  HardenDllSearch();
  ScopedHandle ownFile(OpenOwnFile());
  SystemError ownFileError = ownFile.valid() ? 0 : GetLastError() ? GetLastError() : ERROR_OPEN_FAILED;
  // Discovery looks at folders on any drive; an empty removable one must not ask for a disk.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  CommandLine options;
  bool understood = ParseCommandLine(ProgramArguments(), &options);
  silentRun = options.silent;
  // In the language /LANG= names, else the user's; a tag the setup has no texts for is a bad
  // command line. Damaged texts leave every text empty: the dialog then cannot be shown.
  TextsLoaded texts = LoadTexts(instance, options.language);
  if (texts == kTextsUnknownTag) understood = false;
  // Without the maker's values the setup knows neither its keys nor its folders: it does nothing.
  bool makerKnown = LoadMakerValues(instance);
  InstallLog log(options.logFile, ProgramArguments());  // a refused run is logged too
  ExitCode code = ExitCode::kSuccess;
  if (!understood || options.help) {
    if (!understood) LogLine("Outcome: the command line is not understood");
    if (!options.silent) MessageBoxW(nullptr, Text(kTextUsage), WindowTitle(), understood ? MB_OK : MB_OK | MB_ICONWARNING);
    code = understood ? ExitCode::kSuccess : ExitCode::kBadCommandLine;
  } else if (!makerKnown || (texts == kTextsDamaged && !options.silent)) {
    LogLine(makerKnown ? "Outcome: the setup's texts cannot be read" : "Outcome: the setup's maker values cannot be read");
    if (!options.silent) MessageBoxW(nullptr, L"The setup program is damaged.", L"Setup", MB_OK | MB_ICONERROR);
    code = ExitCode::kNoWindow;
  } else {
    code = Run({instance, ownFile.get()}, ownFileError, &options);
  }
  if (!log.Close() && code == ExitCode::kSuccess) code = ExitCode::kLogNotWritten;
  return ProcessExitCode(code);
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
  ExitProcess(static_cast<UINT>(WinMain(GetModuleHandleW(nullptr), nullptr, nullptr, SW_SHOWDEFAULT)));
}
#endif
