// The program's start: one copy per machine, the main window, the message loop.
#pragma once

#include <windows.h>

namespace thalwen {

// Exit statuses. A second copy and a normal close both end with 0; a start-up
// that cannot go on must not look like a success to whoever started us.
constexpr int kExitNormal = 0;
constexpr int kExitNoMainWindow = 1;
constexpr int kExitNoAccelerators = 2;
constexpr int kExitMessageError = 3;

// True when another copy already holds the single-instance marker. The marker
// of the first copy stays open for the whole run.
bool anotherInstanceRuns();

// Brings the main window of the copy that runs to the front, restored if it
// was minimized: what a person starting the program again is after.
void bringRunningWindowForward();

// The show command the process was started with.
int startupShowCommand();

// Registers the class, creates and shows the main window; null when it cannot be created.
HWND openMainWindow(HINSTANCE instance, int showCommand);

enum class LoopTurn { Dispatched, Quit, Failed };

// One turn of the message loop: takes the next message of the thread and
// offers it to the accelerators of the main window, else to its own window.
// On Quit, message holds WM_QUIT.
LoopTurn runOneMessage(HACCEL accelerators, MSG& message);

// The loop until WM_QUIT; the exit status.
int runMessageLoop(HACCEL accelerators);

// Everything after the instance check: language, main window, accelerators, loop.
int runFirstInstance(HINSTANCE instance, int showCommand);

// Everything from the instance check to the end of the loop; the exit status.
int runThalwen(HINSTANCE instance, int showCommand);

}  // namespace thalwen
