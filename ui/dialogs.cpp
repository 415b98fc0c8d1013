#include "dialogs.h"

#include <shellapi.h>

#include <cstdio>
#include <cstring>
#include <fstream>

#include "app_state.h"
#include "localisation.h"
#include "resource_ids.h"
#include "version.h"

namespace thalwen {

// The build passes in the compiler's target; version.h tells the version of
// the GSW library it links.
#ifndef THALWEN_COMPILER_TARGET
#error "THALWEN_COMPILER_TARGET must name the compiler's target, e.g. i686-w64-mingw32"
#endif

const char kBuildTimestamp[] = __DATE__ " - " __TIME__;

namespace {

constexpr char kMonths[] = "JanFebMarAprMayJunJulAugSepOctNovDec";
constexpr int kBuildTimeSize = 20;  // "dd/mm/yyyy hh:mm:ss" and its terminator

#define THALWEN_STRINGIFY_(x) #x
#define THALWEN_STRINGIFY(x) THALWEN_STRINGIFY_(x)

// "GCC 12.2.0 (64-bit) x86_64-linux-gnu": the compiler that built this very file.
void formatToolchain(char* buffer, std::size_t size) {
    const char* compilerVersion =
        THALWEN_STRINGIFY(__GNUC__) "." THALWEN_STRINGIFY(__GNUC_MINOR__) "." THALWEN_STRINGIFY(__GNUC_PATCHLEVEL__);
    const char* wordSize = sizeof(void*) == 8 ? " (64-bit)" : " (32-bit)";
    std::snprintf(buffer, size, "GCC %s%s %s", compilerVersion, wordSize, THALWEN_COMPILER_TARGET);
}

INT_PTR onAboutInit(HWND dialog) {
    applyTexts(dialog, currentLanguage);
    SetWindowTextA(dialog, lookupText(IDS_ABOUT_TITLE, currentLanguage));

    char buildTime[kBuildTimeSize];
    formatBuildTime(kBuildTimestamp, buildTime, sizeof buildTime);
    SetDlgItemTextA(dialog, IDC_ABOUT_BUILD, buildTime);

    char toolchain[96];
    formatToolchain(toolchain, sizeof toolchain);
    SetDlgItemTextA(dialog, IDC_ABOUT_TOOLCHAIN, toolchain);

    char library[64];
    std::snprintf(library, sizeof library, "TEOS-10 %s", THALWEN_GSW_VERSION);
    SetDlgItemTextA(dialog, IDC_ABOUT_LIBRARY, library);
    return TRUE;
}

INT_PTR onAuthorInit(HWND dialog) {
    applyTexts(dialog, currentLanguage);
    SetWindowTextA(dialog, lookupText(IDS_AUTHOR_TITLE, currentLanguage));
    return TRUE;
}

// Both boxes end only by OK (or Enter, OK being the default button) and by the
// close box; Escape's IDCANCEL is one of the commands they ignore.
INT_PTR boxProc(HWND dialog, UINT message, WPARAM wParam, INT_PTR (*onInit)(HWND)) {
    switch (message) {
    case WM_INITDIALOG:
        return onInit(dialog);
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_DIALOG_OK) EndDialog(dialog, 1);
        return TRUE;
    case WM_CLOSE:
        EndDialog(dialog, 0);
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace

std::time_t parseBuildTimestamp(const char* text) {
    char month[4] = "";
    int day = 0, year = 0, hour = 0, minute = 0, second = 0;
    if (std::sscanf(text, "%3s %d %d - %d:%d:%d", month, &day, &year, &hour, &minute, &second) != 6) {
        return -1;
    }
    const char* found = std::strlen(month) == 3 ? std::strstr(kMonths, month) : nullptr;
    if (found == nullptr || (found - kMonths) % 3 != 0) return -1;

    std::tm time{};
    time.tm_mday = day;
    time.tm_mon = static_cast<int>(found - kMonths) / 3;
    time.tm_year = year - 1900;
    time.tm_hour = hour;
    time.tm_min = minute;
    time.tm_sec = second;
    time.tm_isdst = -1;  // let mktime decide whether summer time applied
    return std::mktime(&time);
}

void formatBuildTime(const char* timestamp, char* buffer, std::size_t size) {
    if (size == 0) return;
    std::time_t time = parseBuildTimestamp(timestamp);
    const std::tm* local = time == -1 ? nullptr : std::localtime(&time);
    if (local == nullptr || std::strftime(buffer, size, "%d/%m/%Y %H:%M:%S", local) == 0) {
        std::snprintf(buffer, size, "%s", timestamp);
    }
}

INT_PTR CALLBACK aboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    return boxProc(dialog, message, wParam, onAboutInit);
}

INT_PTR CALLBACK authorDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    return boxProc(dialog, message, wParam, onAuthorInit);
}

bool canOpenForReading(const char* path) {
    std::ifstream stream(path);
    return !stream.fail() && !stream.bad();
}

Opening openWithDesktop(HWND owner, const char* target) {
    const INT_PTR result =
        reinterpret_cast<INT_PTR>(ShellExecuteA(owner, "open", target, nullptr, nullptr, SW_SHOWNORMAL));
    char path[MAX_PATH] = "";
    const bool file = std::strstr(target, "://") == nullptr;
    if (!file || GetFullPathNameA(target, sizeof path, path, nullptr) == 0)
        std::snprintf(path, sizeof path, "%s", target);
    return {path, result > 32};  // 32 and below: the shell's error codes
}

Opening openDocument(HWND owner, const char* fileName, const char* webAddress) {
    return openWithDesktop(owner, canOpenForReading(fileName) ? fileName : webAddress);
}

}  // namespace thalwen
