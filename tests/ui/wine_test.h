// GoogleTest inside a winelib program, and what the interface tests share.
#pragma once

#include <windows.h>

// gtest.h must see a Linux build, as the library was compiled for one: hide the
// Windows macros that winegcc defines while it is read.
#pragma push_macro("_WIN32")
#pragma push_macro("WIN32")
#pragma push_macro("__WIN32__")
#pragma push_macro("_WIN64")
#undef _WIN32
#undef WIN32
#undef __WIN32__
#undef _WIN64
#include <gtest/gtest.h>
#pragma pop_macro("_WIN64")
#pragma pop_macro("__WIN32__")
#pragma pop_macro("WIN32")
#pragma pop_macro("_WIN32")

#include <functional>
#include <string>
#include <vector>

// The text of a control, or of the window itself when id is 0.
std::string windowText(HWND dialog, int id = 0);

// A dialog procedure that handles nothing, for templates opened without their own.
INT_PTR CALLBACK passiveDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Dialog IDD_MAIN as a plain modeless dialog without the main window's procedure,
// so that the form can be filled and read directly.
class FormWindow {
public:
    FormWindow();
    ~FormWindow();
    FormWindow(const FormWindow&) = delete;
    FormWindow& operator=(const FormWindow&) = delete;
    HWND handle() const { return window_; }
    void setText(int id, const char* text) const;
    std::string text(int id) const { return windowText(window_, id); }
    void checkMethod(int buttonId) const;  // 0 unchecks all three

private:
    HWND window_;
};

// A modal dialog from its template, parameter reaching its WM_INITDIALOG.
// Once it is open, the steps run one after the other, each in a later turn of
// the dialog's own message loop; a step runs only while the dialog is still
// open.
struct ModalOutcome {
    INT_PTR result;  // what DialogBoxParamA returned; kStillOpen when no step ended it
    int stepsRun;
};
constexpr INT_PTR kStillOpen = -100;
using ModalStep = std::function<void(HWND)>;
ModalOutcome runModal(const char* templateName, DLGPROC procedure, std::vector<ModalStep> steps, HWND owner = nullptr,
                      LPARAM parameter = 0);

// A key press and release, posted to the control that has the focus, as the
// keyboard would deliver them to a dialog's message loop.
void postKey(HWND dialog, WPARAM virtualKey);

// What the code under test asked of the shell and of the dialog layer, in
// order. This program defines ShellExecuteA itself, so every request to the
// shell lands here ("shell VERB TARGET, show N") and none starts a browser.
extern std::vector<std::string> commandLog;
// What that ShellExecuteA answers: above 32 the shell took the request.
constexpr INT_PTR kShellSuccess = 33;
extern INT_PTR shellResult;

// Sets currentLanguage for the length of a test.
class LanguageScope {
public:
    explicit LanguageScope(const char* code);
    ~LanguageScope();

private:
    char saved_[10];
};
