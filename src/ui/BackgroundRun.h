#pragma once
// An installation run on a thread of its own, so that the dialog answers every message while the
// files are written: it shows how far the run has come, in the status line and on the taskbar
// button, holds back signing off until the run has finished or been taken back, and lets the user
// stop the run, which then takes back everything it wrote, as a failed run does.
#include <windows.h>

#include "install/InstallRun.h"

// Posted to the dialog when the run has ended, whatever its outcome.
enum { kRunEndedMessage = WM_APP + 1 };

// Starts the run of plan. While it goes on the choice cannot be changed and INSTALL hides; the
// exit button, Escape and closing the window ask whether to stop it.
void StartRun(HWND dialog, const InstallPlan& plan);

// Shows how far the run has come (the dialog's timer).
void ShowRunProgress(HWND dialog);

// Asks, once, whether to stop the run; says yes to the run when the user does.
void AskToStopRun(HWND dialog);

// After kRunEndedMessage: waits for the run's thread, lets go of what the run held and gives the
// choice back. The run's outcome is then in the dialog state's run.
void EndRun(HWND dialog);

// Keeps, or gives back, the choice while a run goes on (also after the layout is made anew).
void HoldChoice(HWND dialog, bool held);
