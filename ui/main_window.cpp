// The main window: every user action on the form ends in one conversion.
#include "main_window.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "app_state.h"
#include "convert.h"
#include "dialogs.h"
#include "form.h"
#include "localisation.h"
#include "number_text.h"
#include "quantities.h"
#include "reference_water.h"
#include "resource_ids.h"
#include "version.h"

namespace thalwen {

namespace {

constexpr char kVersionLabel[] = "Version " THALWEN_VERSION;
constexpr char kHomePage[] = "https://thalwen.example.org/other-ziziv/thalwen.html";

// The first conversion waits until the window has been shown once.
constexpr UINT kStartupDelayMilliseconds = 100;

constexpr int kTemperatureDecimals = infoOf(Quantity::Temperature).decimals;
constexpr int kSalinityDecimals = infoOf(Quantity::PracticalSalinity).decimals;

// ---- Control groups -------------------------------------------------------

// Focus on one of the four input fields makes it the input until another is
// chosen: the other three and the Absolute Salinity result are emptied, in
// this order.
struct InputField {
    int field;
    int emptied[4];
};
constexpr InputField kInputFields[] = {
    {IDC_PRACTICAL_SALINITY, {IDC_ABSOLUTE_SALINITY, IDC_DENSITY, IDC_SPECIFIC_GRAVITY, IDC_CONDUCTIVITY}},
    {IDC_DENSITY, {IDC_ABSOLUTE_SALINITY, IDC_PRACTICAL_SALINITY, IDC_SPECIFIC_GRAVITY, IDC_CONDUCTIVITY}},
    {IDC_SPECIFIC_GRAVITY, {IDC_ABSOLUTE_SALINITY, IDC_PRACTICAL_SALINITY, IDC_DENSITY, IDC_CONDUCTIVITY}},
    {IDC_CONDUCTIVITY, {IDC_ABSOLUTE_SALINITY, IDC_PRACTICAL_SALINITY, IDC_DENSITY, IDC_SPECIFIC_GRAVITY}},
};

// What IES-80 has no use for: the position and the Absolute Salinity label and unit.
constexpr int kTeos10OnlyControls[] = {
    IDC_LONGITUDE,       IDC_LATITUDE,       IDC_LATITUDE_LABEL,          IDC_LATITUDE_UNIT,
    IDC_LONGITUDE_LABEL, IDC_LONGITUDE_UNIT, IDC_ABSOLUTE_SALINITY_LABEL, IDC_ABSOLUTE_SALINITY_UNIT,
};

// The items of the unit selector, in their order.
struct TemperatureUnit {
    const char* text;  // Windows-1252: 0xB0 is the degree sign
    bool fahrenheit;   // the value of useFahrenheit while this unit is shown
    double (*fromOtherUnit)(double);
};
constexpr TemperatureUnit kTemperatureUnitsWindows1252[] = {
    {"\260C", false, fahrenheitToCelsius},
    {"\260F", true, celsiusToFahrenheit},
};
constexpr int kUnitTextLimit = 7;  // six characters and the terminator

// Each slider is an endless dial: only the difference to its last applied
// position counts, and at an end of its range the thumb jumps back inside.
constexpr int kSliderMinimum = 0;
constexpr int kSliderMaximum = 100;
constexpr int kWrappedFromMinimum = 99;
constexpr int kWrappedFromMaximum = 1;

struct SliderRule {
    int slider;
    int field;
    double stepPerPosition;  // in the unit the field shows
    int decimals;
    double lowest;              // the field never goes below this
    bool emptyFieldHoldsThumb;  // an empty field is no input: the thumb goes back
    int* appliedPosition;
};
// The temperature slider first: both are polled at every slider message.
constexpr SliderRule kSliders[] = {
    {IDC_TEMPERATURE_SLIDER, IDC_TEMPERATURE, 0.1, kTemperatureDecimals, -std::numeric_limits<double>::infinity(),
     false, &temperatureSliderPosition},
    {IDC_SALINITY_SLIDER, IDC_PRACTICAL_SALINITY, 0.05, kSalinityDecimals, 0.0, true, &salinitySliderPosition},
};

// ---- Commands -------------------------------------------------------------

constexpr UINT kSeparator = 0;
struct MenuRow {
    UINT command;  // kSeparator for a line
    int textId;
};
constexpr MenuRow kContextMenuRows[] = {
    {IDM_LANGUAGE, IDM_LANGUAGE}, {kSeparator, 0}, {IDM_TEOS10_LICENCE, IDM_TEOS10_LICENCE},
    {IDM_LICENCE, IDM_LICENCE},   {kSeparator, 0}, {IDM_ONLINE_INFORMATION, IDM_ONLINE_INFORMATION},
    {IDM_ABOUT, IDM_ABOUT},       {kSeparator, 0}, {IDM_EXIT, IDS_EXIT_ITEM},
};

// ---- Small helpers --------------------------------------------------------

void convertFromForm(HWND window) {
    Sample sample = kDefaultSample;
    convertForm(window, currentMethod, salinityInput, sample, useFahrenheit);
}

void moveThumb(HWND window, int slider, int position) {
    SendDlgItemMessageA(window, slider, TBM_SETPOS, TRUE, position);
}

// The unit selector and the sliders rewrite what the user typed. A number too
// large to survive that (1e999 reads as infinity) keeps its text: "inf" would
// read back as 0, while the text as typed is clamped to the same end of the
// range by the conversion that follows, whichever the unit.
void writeNumber(HWND window, int field, double value, int decimals) {
    if (!std::isfinite(value)) return;
    SetDlgItemTextA(window, field, formatFixed(value, decimals).c_str());
}

// ---- Initialisation and the start-up conversion ---------------------------

void setSmallIcon(HWND window) {
    HANDLE icon = LoadImageA(instanceHandle, MAKEINTRESOURCEA(IDI_SMALL_ICON), IMAGE_ICON,
                             GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR);
    if (icon) SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
}

// A one-line field draws its text from the top of its box, so where the scale
// makes the box much taller than the text (from 144 dpi on) the numbers sit
// high: the box loses what it has below the text beyond what it has above,
// and stays centred where the template put it.
void centreText(HWND field, int textHeight) {
    RECT box, client, text;
    GetWindowRect(field, &box);
    MapWindowPoints(nullptr, GetParent(field), reinterpret_cast<POINT*>(&box), 2);
    GetClientRect(field, &client);
    SendMessageA(field, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&text));
    const int excess = (client.bottom - text.top - textHeight) - text.top;
    if (excess <= 0) return;
    SetWindowPos(field, nullptr, box.left, box.top + excess / 2, box.right - box.left, box.bottom - box.top - excess,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

int lineHeight(HWND window) {
    HDC dc = GetDC(window);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(window, WM_GETFONT, 0, 0)));
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    return metrics.tmHeight;
}

// Windows gives an edit field margins of half an average character when the
// dialog's font is TrueType, as Microsoft Sans Serif, its "MS Shell Dlg", is.
// Wine draws the template with that face's bitmap twin, which gets none: the
// fields take Windows' margins here, so that they show the same digits.
void fitFields(HWND window) {
    RECT averageCharacter = {0, 0, 4, 0};  // four horizontal dialog units
    MapDialogRect(window, &averageCharacter);
    const WORD margin = static_cast<WORD>(averageCharacter.right / 2);
    const int textHeight = lineHeight(window);
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        char className[8] = "";
        GetClassNameA(child, className, sizeof className);
        if (lstrcmpiA(className, "Edit") != 0) continue;
        SendMessageA(child, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(margin, margin));
        centreText(child, textHeight);
    }
}

void fillUnitSelector(HWND window) {
    for (const TemperatureUnit& unit : kTemperatureUnitsWindows1252)
        SendDlgItemMessageA(window, IDC_TEMPERATURE_UNIT, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(unit.text));
    SendDlgItemMessageA(window, IDC_TEMPERATURE_UNIT, CB_SETCURSEL, 0, 0);
}

// The window's texts and title in the current language.
void showInLanguage(HWND window) {
    applyTexts(window, currentLanguage);
    SetWindowTextA(window, lookupText(IDS_MAIN_TITLE, currentLanguage));
}

INT_PTR onInitDialog(HWND window) {
    mainWindow = window;
    SetDlgItemTextA(window, IDC_VERSION_LABEL, kVersionLabel);
    setSmallIcon(window);
    SendDlgItemMessageA(window, IDC_CONVERT, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
    // First among its siblings, so the dialog manager gives it the first focus.
    SetWindowPos(GetDlgItem(window, IDC_PRACTICAL_SALINITY), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetTimer(window, IDT_STARTUP_CONVERSION, kStartupDelayMilliseconds, nullptr);
    CheckDlgButton(window, IDC_METHOD_EXACT, BST_CHECKED);
    currentMethod = Method::Teos10Exact;
    salinityInput = Quantity::PracticalSalinity;  // the start-up sample's
    moveThumb(window, IDC_TEMPERATURE_SLIDER, temperatureSliderPosition);
    moveThumb(window, IDC_SALINITY_SLIDER, salinitySliderPosition);
    // Absolute Salinity is a result only.
    EnableWindow(GetDlgItem(window, IDC_ABSOLUTE_SALINITY), FALSE);
    fitFields(window);
    fillUnitSelector(window);
    showInLanguage(window);
    return TRUE;
}

INT_PTR onTimer(HWND window, UINT timerId) {
    if (timerId != IDT_STARTUP_CONVERSION) return FALSE;
    KillTimer(window, IDT_STARTUP_CONVERSION);
    // The default sample as it stands, whatever the fields hold by now.
    Sample sample = kDefaultSample;
    convert(currentMethod, sample);
    showResults(window, currentMethod, sample, useFahrenheit);
    return FALSE;
}

// ---- Form controls --------------------------------------------------------

bool chooseInputField(HWND window, int field) {
    for (const InputField& input : kInputFields) {
        if (input.field != field) continue;
        for (int emptied : input.emptied) SetDlgItemTextA(window, emptied, "");
        salinityInput = formFieldOf(field)->quantity;
        return true;
    }
    return false;
}

void onMethodButton(HWND window) {
    convertFromForm(window);
    BOOL teos10 = IsDlgButtonChecked(window, IDC_METHOD_IES80) != BST_CHECKED;
    for (int control : kTeos10OnlyControls) EnableWindow(GetDlgItem(window, control), teos10);
}

void onUnitSelected(HWND window) {
    double temperature = readFieldNumber(window, IDC_TEMPERATURE);
    double referenceTemperature = readFieldNumber(window, IDC_REFERENCE_TEMPERATURE);
    char selected[kUnitTextLimit] = "";
    GetDlgItemTextA(window, IDC_TEMPERATURE_UNIT, selected, kUnitTextLimit);
    for (const TemperatureUnit& unit : kTemperatureUnitsWindows1252) {
        if (std::strcmp(selected, unit.text) != 0 || useFahrenheit == unit.fahrenheit) continue;
        writeNumber(window, IDC_TEMPERATURE, unit.fromOtherUnit(temperature), kTemperatureDecimals);
        writeNumber(window, IDC_REFERENCE_TEMPERATURE, unit.fromOtherUnit(referenceTemperature), kTemperatureDecimals);
        SetDlgItemTextA(window, IDC_REFERENCE_TEMPERATURE_UNIT, unit.text);
        useFahrenheit = unit.fahrenheit;
        break;
    }
    // Choosing the unit already shown still converts.
    convertFromForm(window);
}

void wrapThumb(HWND window, int slider, int& applied) {
    if (applied == kSliderMaximum) {
        applied = kWrappedFromMaximum;
        moveThumb(window, slider, applied);
    }
    if (applied == kSliderMinimum) {
        applied = kWrappedFromMinimum;
        moveThumb(window, slider, applied);
    }
}

void applySlider(HWND window, const SliderRule& rule) {
    int position = static_cast<int>(SendDlgItemMessageA(window, rule.slider, TBM_GETPOS, 0, 0));
    int& applied = *rule.appliedPosition;
    if (position == applied) return;

    char text[kFieldTextLimit] = "";
    GetDlgItemTextA(window, rule.field, text, kFieldTextLimit);
    if (rule.emptyFieldHoldsThumb && text[0] == '\0') {
        moveThumb(window, rule.slider, applied);
    } else {
        double value = readFieldNumber(window, rule.field);
        int steps = position - applied;
        applied = position;
        double stepped = std::max(rule.lowest, value + rule.stepPerPosition * steps);
        writeNumber(window, rule.field, stepped, rule.decimals);
        // The salinity slider makes the Practical Salinity it steps the input.
        const Quantity steppedQuantity = formFieldOf(rule.field)->quantity;
        if (infoOf(steppedQuantity).salinityRelated) salinityInput = steppedQuantity;
    }
    convertFromForm(window);
    wrapThumb(window, rule.slider, applied);
}

INT_PTR onHScroll(HWND window) {
    for (const SliderRule& rule : kSliders) applySlider(window, rule);
    return FALSE;
}

// The slider a wheel message is for: the one under the pointer, else the one
// that has the focus; null when neither is a slider.
const SliderRule* wheeledSlider(HWND window, LPARAM lParam) {
    const POINT at = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    for (HWND candidate : {WindowFromPoint(at), GetFocus()})
        for (const SliderRule& rule : kSliders)
            if (candidate == GetDlgItem(window, rule.slider)) return &rule;
    return nullptr;
}

// As many steps as the desktop scrolls lines for a notch, or a page.
int stepsPerNotch(HWND slider) {
    UINT lines = 3;  // Windows' own default
    SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    if (lines == WHEEL_PAGESCROLL) return static_cast<int>(SendMessageA(slider, TBM_GETPAGESIZE, 0, 0));
    return static_cast<int>(std::min<UINT>(lines, kSliderMaximum));
}

// ---- Commands -------------------------------------------------------------

// A document the desktop could not open is said, with its path: the user
// is not left wondering whether the command did anything.
void tellWhenNotOpened(const Opening& opening) {
    if (opening.opened) return;
    char text[MAX_PATH + 128];
    std::snprintf(text, sizeof text, lookupText(IDS_CANNOT_OPEN, currentLanguage), opening.target.c_str());
    commandServices.tell(text);
}

void openHomePage(HWND window) { tellWhenNotOpened(openWithDesktop(window, kHomePage)); }
void openTeos10Licence(HWND window) {
    tellWhenNotOpened(openDocument(window, kTeos10LicenceFile, kTeos10LicenceAddress));
}
void openLicence(HWND window) { tellWhenNotOpened(openDocument(window, kLicenceFile, kLicenceAddress)); }
void showAbout(HWND) { commandServices.showDialog("RCBoxApropos", aboutDialogProc, 0); }
void showAuthor(HWND) { commandServices.showDialog("RCBoxAuthor", authorDialogProc, 0); }

// The code of the language the user chooses in the language dialog, or
// nullptr when they keep the one in use.
const char* chooseLanguage() {
    LanguageChoice choice;
    const INT_PTR result =
        commandServices.showDialog("RCBoxLanguage", languageDialogProc, reinterpret_cast<LPARAM>(&choice));
    return result == 1 ? choice.code : nullptr;
}

// The window turns to the chosen language at once; the other windows take it
// when they next open.
void changeLanguage(HWND window) {
    const char* chosen = chooseLanguage();
    if (chosen == nullptr) return;
    copyLanguageCode(currentLanguage, chosen);
    showInLanguage(window);
}

void closeWindow(HWND window) { DestroyWindow(window); }

INT_PTR showModalDialog(const char* templateName, DLGPROC procedure, LPARAM parameter) {
    return DialogBoxParamA(instanceHandle, templateName, mainWindow, procedure, parameter);
}

void showMessage(const char* text) { MessageBoxA(mainWindow, text, "Thalwen", MB_OK | MB_ICONWARNING); }

// Every command of the window, from its controls, its context menu and its
// accelerators, with what the procedure returns for it (FALSE leaves the
// message to the dialog manager).
constexpr int kAnyNotification = -1;
struct Command {
    int id;
    int notification;  // the one notification that counts, or kAnyNotification
    void (*run)(HWND window);
    INT_PTR result;
};
constexpr Command kCommands[] = {
    {IDC_METHOD_EXACT, kAnyNotification, onMethodButton, FALSE},
    {IDC_METHOD_POLYNOMIAL, kAnyNotification, onMethodButton, FALSE},
    {IDC_METHOD_IES80, kAnyNotification, onMethodButton, FALSE},
    {IDC_CONVERT, kAnyNotification, convertFromForm, TRUE},
    {IDC_TEMPERATURE_UNIT, CBN_SELCHANGE, onUnitSelected, FALSE},
    {IDM_ONLINE_INFORMATION, kAnyNotification, openHomePage, TRUE},
    {IDM_TEOS10_LICENCE, kAnyNotification, openTeos10Licence, TRUE},
    {IDM_LICENCE, kAnyNotification, openLicence, TRUE},
    {IDM_ABOUT, kAnyNotification, showAbout, TRUE},
    {IDM_LANGUAGE, kAnyNotification, changeLanguage, TRUE},
    {IDM_AUTHOR, kAnyNotification, showAuthor, TRUE},
    {IDM_EXIT, kAnyNotification, closeWindow, FALSE},
};

INT_PTR onCommand(HWND window, int id, int notification) {
    if (notification == EN_SETFOCUS && chooseInputField(window, id)) return TRUE;
    for (const Command& command : kCommands) {
        if (command.id != id) continue;
        if (command.notification != kAnyNotification && command.notification != notification) continue;
        command.run(window);
        return command.result;
    }
    return FALSE;
}

// ---- Context menu and closing ---------------------------------------------

// A menu asked for from the keyboard carries no position (-1, -1): it opens
// at the top-left corner of the form.
POINT contextMenuPoint(HWND window, LPARAM lParam) {
    POINT at = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    if (at.x == -1 && at.y == -1) {
        at = {0, 0};
        ClientToScreen(window, &at);
    }
    return at;
}

INT_PTR onContextMenu(HWND window, LPARAM lParam) {
    POINT at = contextMenuPoint(window, lParam);
    ContextMenu menu = buildContextMenu(currentLanguage);
    TrackPopupMenuEx(GetSubMenu(menu.bar, 0), 0, at.x, at.y, window, nullptr);
    destroyContextMenu(menu);
    return TRUE;
}

INT_PTR onClose(HWND window) {
    closeWindow(window);
    return FALSE;
}

INT_PTR onDestroy() {
    PostQuitMessage(0);
    return FALSE;
}

}  // namespace

const CommandServices kDesktopCommandServices = {showModalDialog, showMessage};
CommandServices commandServices = kDesktopCommandServices;

ContextMenu buildContextMenu(const char* language) {
    ContextMenu menu = {CreateMenu(), LoadBitmapA(instanceHandle, MAKEINTRESOURCEA(IDB_MENU_MARK))};
    HMENU popup = CreatePopupMenu();
    for (const MenuRow& row : kContextMenuRows) {
        if (row.command == kSeparator) {
            AppendMenuA(popup, MF_SEPARATOR, 0, nullptr);
        } else {
            const char* text = lookupText(row.textId, language);
            AppendMenuA(popup, MF_STRING, row.command, text ? text : "");
        }
    }
    if (menu.aboutMark) SetMenuItemBitmaps(popup, IDM_ABOUT, MF_BYCOMMAND, menu.aboutMark, menu.aboutMark);
    AppendMenuA(menu.bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), "");
    return menu;
}

void destroyContextMenu(ContextMenu& menu) {
    // The popup goes with the bar; the bitmap is ours to release.
    DestroyMenu(menu.bar);
    if (menu.aboutMark) DeleteObject(menu.aboutMark);
    menu = {nullptr, nullptr};
}

bool turnWheel(HWND window, WPARAM wParam, LPARAM lParam) {
    const SliderRule* rule = wheeledSlider(window, lParam);
    if (rule == nullptr) return false;
    static int delta = 0;  // a finer wheel's deltas add up to notches
    delta += GET_WHEEL_DELTA_WPARAM(wParam);
    const int notches = delta / WHEEL_DELTA;
    delta -= notches * WHEEL_DELTA;
    const int direction = notches < 0 ? 1 : -1;
    const int steps = std::abs(notches) * stepsPerNotch(GetDlgItem(window, rule->slider));
    for (int step = 0; step < steps; ++step) {
        const int position = static_cast<int>(SendDlgItemMessageA(window, rule->slider, TBM_GETPOS, 0, 0));
        moveThumb(window, rule->slider, position + direction);
        onHScroll(window);
    }
    return true;
}

INT_PTR CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return onInitDialog(window);
    case WM_TIMER:
        return onTimer(window, LOWORD(wParam));
    case WM_COMMAND:
        return onCommand(window, LOWORD(wParam), HIWORD(wParam));
    case WM_HSCROLL:
        return onHScroll(window);
    case WM_CONTEXTMENU:
        return onContextMenu(window, lParam);
    case WM_CLOSE:
        return onClose(window);
    case WM_DESTROY:
        return onDestroy();
    default:
        return FALSE;
    }
}

}  // namespace thalwen
