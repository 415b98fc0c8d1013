// Process-wide state of the interface. One thread touches it; nothing of it is saved.
#pragma once

#include <windows.h>

#include "sample.h"

namespace thalwen {

extern HINSTANCE instanceHandle;       // loads icons, bitmaps, accelerators, dialog templates
extern HWND mainWindow;                // owner of every modal dialog
extern char currentLanguage[10];       // "en" or "fr"
extern Method currentMethod;           // Method::Teos10Exact at start
extern Quantity salinityInput;         // the salinity-related quantity the user chose; every conversion's source
extern bool useFahrenheit;             // IDC_TEMPERATURE and IDC_REFERENCE_TEMPERATURE hold deg F
extern int temperatureSliderPosition;  // last applied position of IDC_TEMPERATURE_SLIDER
extern int salinitySliderPosition;     // last applied position of IDC_SALINITY_SLIDER

}  // namespace thalwen
