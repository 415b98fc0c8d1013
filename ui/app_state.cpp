#include "app_state.h"

HINSTANCE instanceHandle = nullptr;
HWND mainWindow = nullptr;
char currentLanguage[10] = "en";
Method currentMethod = Teos10Exact;
bool useFahrenheit = false;
int temperatureSliderPosition = 50;
int salinitySliderPosition = 50;
