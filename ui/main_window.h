// The main window: a modeless dialog built from template IDD_MAIN.
#pragma once

#include <windows.h>

namespace thalwen {

INT_PTR CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// A WM_MOUSEWHEEL of any window of the thread: moves the slider of window
// under the pointer, else the one that has the focus, as Windows' trackbars
// follow the wheel (Wine's do not): a notch towards the user moves it right,
// by as many steps as the desktop scrolls lines, each step applied as an
// arrow key's. False when neither is a slider: the message is not ours.
bool turnWheel(HWND window, WPARAM wParam, LPARAM lParam);

// How the commands open the modal dialogs. The program keeps the default;
// tests put a recorder in its place so that no modal loop waits for a person.
struct CommandServices {
    // Runs a modal dialog over the main window, parameter reaching its
    // WM_INITDIALOG, and returns how the dialog ended.
    INT_PTR (*showDialog)(const char* templateName, DLGPROC procedure, LPARAM parameter);
    // Tells the user something in a plain message box over the main window.
    void (*tell)(const char* text);
};
extern CommandServices commandServices;
extern const CommandServices kDesktopCommandServices;

// The context menu in one language: a bar whose only item is the popup that is
// shown. The mark bitmap of "About ..." belongs to the caller as long as the
// menu lives; destroyContextMenu releases both.
struct ContextMenu {
    HMENU bar;
    HBITMAP aboutMark;
};
ContextMenu buildContextMenu(const char* language);
void destroyContextMenu(ContextMenu& menu);

}  // namespace thalwen
