// Pictures of the main window and the About and Author boxes in both
// languages, for a person to look at. Not a test: scripts/ui-screenshots runs
// it with THALWEN_SCREENSHOT_DIR set, on a virtual display.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app_state.h"
#include "dialogs.h"
#include "main_window.h"
#include "resource_ids.h"
#include "wine_test.h"

using namespace thalwen;

namespace {

// Paints the window and hands its pixels to the X server: Wine draws into a
// surface of its own and copies it to X when the thread waits for messages.
void paintNow(HWND window) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    GdiFlush();
    MsgWaitForMultipleObjectsEx(0, nullptr, 0, QS_ALLINPUT, 0);
}

// Lets every message that is already queued run, so the window is complete.
void pumpPending() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// The window's rectangle of the X screen, cut out with ImageMagick.
void capture(HWND window, const std::string& name) {
    paintNow(window);
    RECT r;
    GetWindowRect(window, &r);
    const char* directory = std::getenv("THALWEN_SCREENSHOT_DIR");
    char command[1024];
    std::snprintf(command, sizeof command, "import -window root -crop %dx%d+%d+%d +repage '%s/%s.png'",
                  static_cast<int>(r.right - r.left), static_cast<int>(r.bottom - r.top), static_cast<int>(r.left),
                  static_cast<int>(r.top), directory, name.c_str());
    EXPECT_EQ(std::system(command), 0) << command;
}

}  // namespace

TEST(DISABLED_Screenshots, MainWindowAboutAndAuthorInBothLanguages) {
    if (std::getenv("THALWEN_SCREENSHOT_DIR") == nullptr) GTEST_SKIP() << "THALWEN_SCREENSHOT_DIR is not set";
    for (const char* language : {"en", "fr"}) {
        LanguageScope scope(language);
        HWND main = CreateDialogParamA(instanceHandle, MAKEINTRESOURCEA(IDD_MAIN), nullptr, mainWindowProc, 0);
        ASSERT_NE(main, nullptr);
        ShowWindow(main, SW_SHOWNORMAL);
        // The start-up conversion arrives on a timer: wait until it has filled the form.
        MSG message;
        while (windowText(main, IDC_PRESSURE).empty() && GetMessageA(&message, nullptr, 0, 0) > 0) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        pumpPending();
        capture(main, std::string("main-") + language);

        runModal("RCBoxApropos", aboutDialogProc, {[&](HWND box) {
                     capture(box, std::string("about-") + language);
                     EndDialog(box, 1);
                 }},
                 main);
        runModal("RCBoxAuthor", authorDialogProc, {[&](HWND box) {
                     capture(box, std::string("author-") + language);
                     EndDialog(box, 1);
                 }},
                 main);
        // The main window posts WM_QUIT when it goes; this program has no loop to end.
        DestroyWindow(main);
        while (PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    }
}
