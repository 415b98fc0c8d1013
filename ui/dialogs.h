// The About and Author boxes and the two licence documents.
#pragma once

#include <windows.h>

#include <ctime>

INT_PTR CALLBACK aboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK authorDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// "Jan  4 2026 - 23:55:07" read as local time.
std::time_t parseBuildTimestamp(const char* text);

bool canOpenForReading(const char* path);

// The local file when it can be read, else the web address.
void openDocument(HWND owner, const char* fileName, const char* webAddress);
