#include "app_state.h"

HINSTANCE instanceHandle = nullptr;
HWND mainWindow = nullptr;
char currentLanguage[10] = "en";
int currentMethod = 2;  // Teos10Exact
int useFahrenheit = 0;
int temperatureSliderPosition = 50;
int salinitySliderPosition = 50;
