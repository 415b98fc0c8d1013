// The main window: a modeless dialog built from template 101.
#pragma once

#include <windows.h>

INT_PTR CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
