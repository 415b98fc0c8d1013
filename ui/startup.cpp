// The entry point: one copy per machine, the language, the main window and the
// message loop of the program's only thread.
#include "startup.h"

#include <commctrl.h>

#include "app_state.h"
#include "localisation.h"
#include "main_window.h"
#include "resource_ids.h"

namespace thalwen {

namespace {

// One name for every session of the machine, so that a second copy started by
// another user sees the first one too.
constexpr char kInstanceMarkerName[] = "Global\\thalwen7d41c09a5e2b4f8391a6c3e0b57d2f18";
constexpr char kWindowClassName[] = "Win32-thalwen";
constexpr char kAcceleratorTableName[] = "RCAccelerateurs";
// A property the main window carries, by which a second copy finds it in any
// language and whatever its title.
constexpr char kMainWindowMark[] = "thalwen.mainWindow";

// Held until the process ends; the system releases it then.
HANDLE instanceMarker = nullptr;

void registerWindowClass(HINSTANCE instance) {
    WNDCLASSA windowClass{};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    // A dialog procedure in the place of a window procedure: both return a
    // pointer-sized integer, spelled INT_PTR for the one and LRESULT for the other.
    windowClass.lpfnWndProc = reinterpret_cast<WNDPROC>(mainWindowProc);
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kWindowClassName;
    // A failed registration changes nothing: the main window is built from a
    // template that names no class.
    RegisterClassA(&windowClass);
}

// EnumWindows callback: lParam points to the window found, the first that
// bears the main window's mark.
BOOL CALLBACK findMarkedWindow(HWND candidate, LPARAM lParam) {
    if (!GetPropA(candidate, kMainWindowMark)) return TRUE;
    *reinterpret_cast<HWND*>(lParam) = candidate;
    return FALSE;
}

}  // namespace

void bringRunningWindowForward() {
    HWND running = nullptr;
    EnumWindows(findMarkedWindow, reinterpret_cast<LPARAM>(&running));
    // A first copy still starting has no window yet: it comes to the front when it opens.
    if (!running) return;
    if (IsIconic(running)) ShowWindow(running, SW_RESTORE);
    SetForegroundWindow(running);
}

bool anotherInstanceRuns() {
    HANDLE marker = CreateMutexA(nullptr, FALSE, kInstanceMarkerName);
    if (marker && GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(marker);
        return true;
    }
    // Without a marker at all we still run: better two copies than none.
    instanceMarker = marker;
    return false;
}

int startupShowCommand() {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    return (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWDEFAULT;
}

HWND openMainWindow(HINSTANCE instance, int showCommand) {
    registerWindowClass(instance);
    // The two sliders are common controls: their class must exist before the
    // template is built, and only a call into comctl32 makes sure the library
    // is loaded at all.
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    mainWindow = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, mainWindowProc, 0);
    if (!mainWindow) return nullptr;
    SetPropA(mainWindow, kMainWindowMark, mainWindow);
    ShowWindow(mainWindow, showCommand);
    UpdateWindow(mainWindow);
    return mainWindow;
}

LoopTurn runOneMessage(HACCEL accelerators, MSG& message) {
    BOOL got = GetMessageA(&message, nullptr, 0, 0);
    if (got == 0) return LoopTurn::Quit;
    if (got == -1) return LoopTurn::Failed;
    // The wheel goes to the focused control, and an edit field keeps it.
    if (message.message == WM_MOUSEWHEEL && turnWheel(mainWindow, message.wParam, message.lParam))
        return LoopTurn::Dispatched;
    // No IsDialogMessage: the main window has no dialog keyboard navigation,
    // so Tab and Enter reach the controls themselves.
    if (!TranslateAcceleratorA(mainWindow, accelerators, &message)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return LoopTurn::Dispatched;
}

int runMessageLoop(HACCEL accelerators) {
    MSG message{};
    LoopTurn turn;
    while ((turn = runOneMessage(accelerators, message)) == LoopTurn::Dispatched) {
    }
    // A failing GetMessage would fail again at once; ending beats spinning.
    if (turn == LoopTurn::Failed) return kExitMessageError;
    return static_cast<int>(message.wParam);
}

int runFirstInstance(HINSTANCE instance, int showCommand) {
    copyLanguageCode(currentLanguage, systemLanguage());
    instanceHandle = instance;

    if (!openMainWindow(instance, showCommand)) return kExitNoMainWindow;

    HACCEL accelerators = LoadAcceleratorsA(instance, kAcceleratorTableName);
    if (!accelerators) return kExitNoAccelerators;

    return runMessageLoop(accelerators);
}

int runThalwen(HINSTANCE instance, int showCommand) {
    if (anotherInstanceRuns()) {
        bringRunningWindowForward();
        return kExitNormal;
    }
    return runFirstInstance(instance, showCommand);
}

}  // namespace thalwen
