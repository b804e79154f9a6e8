#include "ui/BackgroundRun.h"

#include "base/Messages.h"
#include "base/Texts.h"
#include "skin/PushButton.h"
#include "skin/Widget.h"
#include "ui/DialogElements.h"
#include "ui/DialogState.h"
#include "ui/KeyboardFocus.h"
#include "ui/ShellApi.h"

namespace {
enum { kProgressTimer = 1, kProgressInterval = 50 };  // milliseconds

DWORD CALLBACK RunOnItsThread(void* parameter) {
  HWND dialog = static_cast<HWND>(parameter);
  DialogState* state = StateOf(dialog);
  InstallIntoFolder(state->source, state->runPlan, &state->run);
  PostMessageW(dialog, kRunEndedMessage, 0, 0);
  return 0;
}

// The taskbar button's progress, where the system has one.
void OpenTaskbar(HWND dialog, DialogState* state) {
  const ShellApi* shell = SystemShell();
  if (!shell) return;
  state->taskbarApartment = EnterComApartment(*shell);
  if (!state->taskbarApartment.valid()) return;
  if (FAILED(shell->coCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3,
                                     state->taskbar.receiveVoid())) ||
      FAILED(state->taskbar->HrInit())) {
    state->taskbar.reset();
    return;
  }
  state->taskbar->SetProgressState(dialog, TBPF_NORMAL);
}

void CloseTaskbar(HWND dialog, DialogState* state) {
  if (state->taskbar) state->taskbar->SetProgressState(dialog, TBPF_NOPROGRESS);
  state->taskbar.reset();
  state->taskbarApartment.reset();
}
}  // namespace

void HoldChoice(HWND dialog, bool held) {
  DialogState* state = StateOf(dialog);
  for (int slot = kFirstComponentSlot; slot <= kLastComponentSlot; ++slot) {
    if (state->widgetSlots[slot]) state->widgetSlots[slot]->enabled = held ? 0 : 1;
  }
  Widget* begin = state->widgetSlots[kBeginSlot];
  if (held && begin->visible) {
    begin->Show(0);
    InvalidateRect(dialog, &static_cast<PushButton*>(begin)->bounds, TRUE);
  } else if (!held && !begin->visible) {
    begin->Show(1);
  }
  EnableWindow(GetDlgItem(dialog, IDC_FOLDER_LIST), !held);
  if (held && (state->focus.kind == kInstallElement || state->focus.kind == kListElement)) {
    FocusElement(dialog, {kCancelElement, 0}, false);
  }
  state->surface->skin->statusHeld = held;
}

void StartRun(HWND dialog, const InstallPlan& plan) {
  DialogState* state = StateOf(dialog);
  state->runPlan = plan;
  state->progress = RunProgress();
  state->run.progress = &state->progress;
  state->running = true;
  state->shownPercent = -1;
  HoldChoice(dialog, true);
  ShutdownBlockReasonCreate(dialog, Text(kTextShutdownReason));
  OpenTaskbar(dialog, state);
  ShowRunProgress(dialog);
  SetTimer(dialog, kProgressTimer, kProgressInterval, nullptr);
  state->runThread.reset(CreateThread(nullptr, 0, RunOnItsThread, dialog, 0, nullptr));
  if (!state->runThread.valid()) RunOnItsThread(dialog);  // no thread to be had: it runs here
}

void ShowRunProgress(HWND dialog) {
  DialogState* state = StateOf(dialog);
  if (!state->running) return;
  LONG total = state->progress.totalKilobytes, written = state->progress.writtenKilobytes;
  LONG percent = total > 0 ? MulDiv(written < total ? written : total, 100, total) : 0;
  if (state->taskbar) state->taskbar->SetProgressValue(dialog, static_cast<ULONGLONG>(written), static_cast<ULONGLONG>(total));
  if (percent == state->shownPercent) return;
  state->shownPercent = percent;
  wchar_t number[8], text[80];
  wsprintfW(number, L"%ld", percent);
  FormatText(text, 80, Text(kTextInstalling), number);
  ShowStatusLine(state->surface->skin, text, nullptr);
}

void AskToStopRun(HWND dialog) {
  DialogState* state = StateOf(dialog);
  if (!state->running || state->askingToStop || state->progress.stopAsked) return;
  // The run waits for the answer: what it would write meanwhile is not the user's to wait for.
  state->askingToStop = true;
  InterlockedExchange(&state->progress.paused, 1);
  int answer = MessageBoxW(dialog, Text(kTextCancelQuestion), WindowTitle(), MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
  if (answer == IDYES) InterlockedExchange(&state->progress.stopAsked, 1);
  InterlockedExchange(&state->progress.paused, 0);
  state->askingToStop = false;
}

void EndRun(HWND dialog) {
  DialogState* state = StateOf(dialog);
  if (state->runThread.valid()) WaitForSingleObject(state->runThread.get(), INFINITE);
  state->runThread.reset();
  KillTimer(dialog, kProgressTimer);
  ShutdownBlockReasonDestroy(dialog);
  CloseTaskbar(dialog, state);
  state->running = false;
  state->run.progress = nullptr;
  HoldChoice(dialog, false);
  ShowStatusLine(state->surface->skin, L"", nullptr);
}
