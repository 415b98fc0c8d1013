// Drives the real main window of the program inside this test process: the
// window is made from the real template and resources, its messages go
// through the program's own loop step and accelerator table, and the commands
// that would start a browser or a modal dialog are recorded instead.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX  // the standard library's min and max, not the macros
#endif
#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

#include "app_state.h"
#include "dialogs.h"
#include "localisation.h"
#include "main_window.h"
#include "number_text.h"
#include "resource_ids.h"
#include "startup.h"
#include "wine_test.h"

namespace thalwen {

// The modal dialogs the commands ask for: "dialog TEMPLATE PROCEDURE".
inline INT_PTR recordDialog(const char* templateName, DLGPROC procedure, LPARAM) {
    const char* name = procedure == aboutDialogProc      ? "aboutDialogProc"
                       : procedure == authorDialogProc   ? "authorDialogProc"
                       : procedure == languageDialogProc ? "languageDialogProc"
                                                         : "another procedure";
    commandLog.push_back(std::string("dialog ") + templateName + " " + name);
    return 1;
}

// What the commands tell the user: "message TEXT".
inline void recordMessage(const char* text) { commandLog.push_back(std::string("message ") + text); }

constexpr DWORD kConditionTimeoutMilliseconds = 10000;  // a failure guard, not a delay

// Runs the loop step for every message already queued; false once WM_QUIT came.
inline bool runPendingMessages(HACCEL accelerators, int* quitStatus = nullptr) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) {
        if (runOneMessage(accelerators, message) != LoopTurn::Dispatched) {
            if (quitStatus) *quitStatus = static_cast<int>(message.wParam);
            return false;
        }
    }
    return true;
}

// Runs the program's loop until condition holds; false if it never does.
inline bool runUntil(HACCEL accelerators, const std::function<bool()>& condition, int* quitStatus = nullptr) {
    DWORD start = GetTickCount();
    for (;;) {
        bool running = runPendingMessages(accelerators, quitStatus);
        if (condition() || !running) return condition();
        DWORD waited = GetTickCount() - start;
        if (waited >= kConditionTimeoutMilliseconds) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, kConditionTimeoutMilliseconds - waited, QS_ALLINPUT);
    }
}

// One main window per test, in the language of the test's parameter, after
// its start-up conversion has shown.
class MainWindowTest : public testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        commandLog.clear();
        commandServices = {recordDialog, recordMessage};
        shellResult = kShellSuccess;
        std::memset(currentLanguage, 0, sizeof currentLanguage);
        std::strncpy(currentLanguage, GetParam(), sizeof currentLanguage - 1);
        instanceHandle = GetModuleHandleA(nullptr);
        currentMethod = Method::Teos10Exact;
        useFahrenheit = false;
        temperatureSliderPosition = salinitySliderPosition = 50;
        window = openMainWindow(instanceHandle, SW_SHOWNORMAL);
        ASSERT_NE(window, nullptr);
        accelerators = LoadAcceleratorsA(instanceHandle, "RCAccelerateurs");
        ASSERT_NE(accelerators, nullptr);
        SetForegroundWindow(window);
        releaseCounter = SetWindowsHookExA(WH_GETMESSAGE, countReleases, nullptr, GetCurrentThreadId());
        ASSERT_TRUE(runUntil([&] { return text(IDC_PRACTICAL_SALINITY) == "35.00000"; }));
    }

    void TearDown() override {
        if (IsWindow(window)) DestroyWindow(window);
        runPendingMessages(accelerators);  // takes the WM_QUIT of the destroyed window
        UnhookWindowsHookEx(releaseCounter);
        commandServices = kDesktopCommandServices;
    }

    bool english() const { return std::strcmp(GetParam(), "en") == 0; }
    HWND control(int id) const { return GetDlgItem(window, id); }
    std::string text(int id) const { return windowText(window, id); }
    double number(int id) const { return parseNumber(text(id).c_str()); }
    void setText(int id, const char* value) const { SetWindowTextA(control(id), value); }
    bool enabled(int id) const { return IsWindowEnabled(control(id)) != FALSE; }
    bool checked(int id) const { return IsDlgButtonChecked(window, id) == BST_CHECKED; }
    int sliderPosition(int id) const { return static_cast<int>(SendMessageA(control(id), TBM_GETPOS, 0, 0)); }

    bool runUntil(const std::function<bool()>& condition) {
        return thalwen::runUntil(accelerators, condition, &quitStatus);
    }
    // The window's end as the program's loop sees it.
    bool endedWithStatusZero() {
        return runUntil([&] { return quitStatus != kNoQuit; }) && quitStatus == 0 && !IsWindow(window);
    }

    // A real click on a button: the control sends its own notification.
    void click(int id) { SendMessageA(control(id), BM_CLICK, 0, 0); }

    // A key pressed and released while holding the modifier keys, as the
    // keyboard sends it to the focused control: through the program's loop,
    // so the accelerators see it first. Returns once the key is back up.
    void pressKey(UINT key, std::initializer_list<UINT> held = {}) {
        std::vector<INPUT> inputs;
        auto add = [&](UINT virtualKey, DWORD flags) {
            INPUT input{};
            input.type = INPUT_KEYBOARD;
            input.ki.wVk = static_cast<WORD>(virtualKey);
            input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC));
            input.ki.dwFlags = flags;
            inputs.push_back(input);
        };
        for (UINT modifier : held) add(modifier, 0);
        add(key, 0);
        add(key, KEYEVENTF_KEYUP);
        for (auto modifier = std::rbegin(held); modifier != std::rend(held); ++modifier)
            add(*modifier, KEYEVENTF_KEYUP);
        keysReleased = 0;
        SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
        UINT expected = static_cast<UINT>(inputs.size() / 2);
        // A key that ends the program ends the loop before its release is read.
        EXPECT_TRUE(runUntil([&] { return keysReleased >= expected || quitStatus != kNoQuit; })) << key;
    }

    // Counts the key releases the loop takes from the queue.
    static LRESULT CALLBACK countReleases(int code, WPARAM wParam, LPARAM lParam) {
        const MSG* message = reinterpret_cast<const MSG*>(lParam);
        if (code == HC_ACTION && wParam == PM_REMOVE &&
            (message->message == WM_KEYUP || message->message == WM_SYSKEYUP))
            ++keysReleased;
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static inline UINT keysReleased = 0;

    static constexpr int kNoQuit = -1;
    HWND window = nullptr;
    HACCEL accelerators = nullptr;
    HHOOK releaseCounter = nullptr;
    int quitStatus = kNoQuit;
};

}  // namespace thalwen
