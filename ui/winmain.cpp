// The program's entry point. Kept apart from the start-up steps so that the
// tests, which have their own main, link those steps without it.
#include <windows.h>

#include "startup.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // The show command is read from the start-up information itself, so the
    // program behaves the same whichever runtime calls WinMain.
    return thalwen::runThalwen(instance, thalwen::startupShowCommand());
}
