// A bare winelib dialog program: the yardstick for the start-up time of
// thalwen.exe. It shows its dialog, writes "ready" into its one field while
// the dialog initialises, and runs a message loop until it is closed.
// Built with -DEQUIPPED it loads the common controls as thalwen.exe does (and
// the build links the GSW library into it), to tell the cost of what the
// program must load from the cost of the program's own start-up.
#include <windows.h>
#include <commctrl.h>

namespace {

constexpr int kDialogId = 101;
constexpr int kFieldId = 100;

INT_PTR CALLBACK bareDialogProc(HWND dialog, UINT message, WPARAM, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        SetDlgItemTextA(dialog, kFieldId, "ready");
        return TRUE;
    case WM_CLOSE:
        DestroyWindow(dialog);
        return TRUE;
    case WM_DESTROY:
        PostQuitMessage(0);
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
#ifdef EQUIPPED
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
#endif
    HWND dialog = CreateDialogParamA(instance, MAKEINTRESOURCEA(kDialogId), nullptr, bareDialogProc, 0);
    if (!dialog) return 1;
    ShowWindow(dialog, showCommand);
    UpdateWindow(dialog);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}
