#include "app_state.h"

namespace thalwen {

HINSTANCE instanceHandle = nullptr;
HWND mainWindow = nullptr;
char currentLanguage[10] = "en";
Method currentMethod = Method::Teos10Exact;
Quantity salinityInput = Quantity::PracticalSalinity;
bool useFahrenheit = false;
int temperatureSliderPosition = 50;
int salinitySliderPosition = 50;

}  // namespace thalwen
