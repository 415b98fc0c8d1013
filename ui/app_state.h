// Process-wide state of the interface. One thread touches it; nothing of it is saved.
#pragma once

#include <windows.h>

extern HINSTANCE instanceHandle;       // loads icons, bitmaps, accelerators, dialog templates
extern HWND mainWindow;                // owner of every modal dialog
extern char currentLanguage[10];       // "en" or "fr"
extern int currentMethod;              // a Method; 2 at start
extern int useFahrenheit;              // 1: fields 122 and 135 hold deg F
extern int temperatureSliderPosition;  // last applied position of slider 139
extern int salinitySliderPosition;     // last applied position of slider 140
