// Looking at the dialog of a program running in another process: used by the
// process-level tests and by the start-up benchmark.
#pragma once

#include <windows.h>

#include <cstring>
#include <string>
#include <utility>

// EnumWindows callback: lParam points to (process id, found window); stops at
// the first dialog-class window of that process.
inline BOOL CALLBACK findDialogOfProcess(HWND candidate, LPARAM lParam) {
    auto* found = reinterpret_cast<std::pair<DWORD, HWND>*>(lParam);
    DWORD owner = 0;
    GetWindowThreadProcessId(candidate, &owner);
    char className[16] = "";
    GetClassNameA(candidate, className, sizeof className);
    if (owner != found->first || std::strcmp(className, "#32770") != 0) return TRUE;
    found->second = candidate;
    return FALSE;
}

// GetWindowText reads another process's control from a copy that edit
// controls do not keep; the control itself answers WM_GETTEXT.
inline std::string fieldText(HWND window, int id, DWORD timeoutMilliseconds) {
    char text[64] = "";
    DWORD_PTR length = 0;
    SendMessageTimeoutA(GetDlgItem(window, id), WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                        SMTO_ABORTIFHUNG, timeoutMilliseconds, &length);
    return text;
}
