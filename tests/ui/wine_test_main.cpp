// Entry point of the interface tests: the program's resources are linked into
// this executable, so the real dialog templates are loaded from it.
#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <cstring>

#include "app_state.h"
#include "resource_ids.h"
#include "wine_test.h"

using namespace thalwen;

std::string windowText(HWND dialog, int id) {
    HWND window = id == 0 ? dialog : GetDlgItem(dialog, id);
    char text[512] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::vector<std::string> commandLog;
INT_PTR shellResult = kShellSuccess;

// In place of shell32's: the code's own calls resolve to this definition.
extern "C" HINSTANCE WINAPI ShellExecuteA(HWND owner, LPCSTR verb, LPCSTR target, LPCSTR parameters, LPCSTR directory,
                                          INT show) {
    std::string request = std::string("shell ") + (verb ? verb : "(default verb)") + " " + target;
    request += ", show " + std::to_string(show);
    if (parameters || directory) request += ", with parameters or a directory";
    if (owner != mainWindow) request += ", not owned by the main window";
    commandLog.push_back(request);
    return reinterpret_cast<HINSTANCE>(shellResult);
}

INT_PTR CALLBACK passiveDialogProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

namespace {

struct ModalRun {
    DLGPROC procedure = nullptr;
    std::vector<ModalStep> steps;
    size_t next = 0;
};
ModalRun* activeRun = nullptr;
constexpr UINT kStepMessage = WM_APP + 41;
constexpr UINT_PTR kVisibleTimer = 41;

// A modal dialog shows itself once its message queue runs empty; a person can
// only act on it after that, so every step waits until it is visible.
INT_PTR CALLBACK steppingProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER && wParam == kVisibleTimer) {
        KillTimer(dialog, kVisibleTimer);
        PostMessageA(dialog, kStepMessage, 0, 0);
        return TRUE;
    }
    if (message == kStepMessage) {
        ModalRun& run = *activeRun;
        if (!IsWindowVisible(dialog)) {
            SetTimer(dialog, kVisibleTimer, 10, nullptr);  // timers arrive only when the queue is empty
        } else if (run.next < run.steps.size()) {
            run.steps[run.next++](dialog);
            PostMessageA(dialog, kStepMessage, 0, 0);
        } else {
            EndDialog(dialog, kStillOpen);  // the steps are done and the dialog did not end
        }
        return TRUE;
    }
    INT_PTR handled = activeRun->procedure(dialog, message, wParam, lParam);
    if (message == WM_INITDIALOG) PostMessageA(dialog, kStepMessage, 0, 0);
    return handled;
}

}  // namespace

FormWindow::FormWindow()
    : window_(CreateDialogParamA(instanceHandle, MAKEINTRESOURCEA(IDD_MAIN), nullptr, passiveDialogProc, 0)) {}

FormWindow::~FormWindow() { DestroyWindow(window_); }

void FormWindow::setText(int id, const char* text) const { SetDlgItemTextA(window_, id, text); }

void FormWindow::checkMethod(int buttonId) const {
    for (int id : {IDC_METHOD_EXACT, IDC_METHOD_POLYNOMIAL, IDC_METHOD_IES80})
        CheckDlgButton(window_, id, id == buttonId ? BST_CHECKED : BST_UNCHECKED);
}

ModalOutcome runModal(const char* templateName, DLGPROC procedure, std::vector<ModalStep> steps, HWND owner,
                      LPARAM parameter) {
    ModalRun run{procedure, std::move(steps), 0};
    ModalRun* outer = activeRun;
    activeRun = &run;
    INT_PTR result = DialogBoxParamA(instanceHandle, templateName, owner, steppingProc, parameter);
    activeRun = outer;
    return {result, static_cast<int>(run.next)};
}

void postKey(HWND dialog, WPARAM virtualKey) {
    HWND target = GetFocus();
    if (target == nullptr) target = dialog;
    PostMessageA(target, WM_KEYDOWN, virtualKey, 1);
    PostMessageA(target, WM_KEYUP, virtualKey, 1 | (1u << 30) | (1u << 31));
}

LanguageScope::LanguageScope(const char* code) {
    std::memcpy(saved_, currentLanguage, sizeof saved_);
    std::strncpy(currentLanguage, code, sizeof currentLanguage - 1);
}

LanguageScope::~LanguageScope() { std::memcpy(currentLanguage, saved_, sizeof saved_); }

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    instanceHandle = GetModuleHandleA(nullptr);
    // Loads comctl32, which registers the trackbar class that dialog IDD_MAIN uses.
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    return RUN_ALL_TESTS();
}
