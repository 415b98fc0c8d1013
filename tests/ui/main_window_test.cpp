// The main window in both languages, driven through its real controls.
// Expected numbers come from the GSW library called directly, from the
// UNESCO 1983 check values and from the CIPM pure-water density, not from
// the program's own engine.
#include "main_window_fixture.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <utility>

#include "gsw.h"

using namespace thalwen;

namespace {

constexpr double kLongitude = 2.348785, kLatitude = 48.853402;
constexpr double kPureWaterAt20 = 998.2067;  // kg/m^3, CIPM (Tanaka et al. 2001)
const char* const kHomePage = "shell open https://thalwen.example.org/other-ziziv/thalwen.html, show 1";

// The fields each input field empties when it takes the focus.
struct Emptying {
    int field;
    std::vector<int> emptied;
};
const Emptying kEmptyings[] = {
    {IDC_PRACTICAL_SALINITY, {IDC_ABSOLUTE_SALINITY, IDC_DENSITY, IDC_SPECIFIC_GRAVITY, IDC_CONDUCTIVITY}},
    {IDC_DENSITY, {IDC_ABSOLUTE_SALINITY, IDC_PRACTICAL_SALINITY, IDC_SPECIFIC_GRAVITY, IDC_CONDUCTIVITY}},
    {IDC_SPECIFIC_GRAVITY, {IDC_ABSOLUTE_SALINITY, IDC_PRACTICAL_SALINITY, IDC_DENSITY, IDC_CONDUCTIVITY}},
    {IDC_CONDUCTIVITY, {IDC_ABSOLUTE_SALINITY, IDC_PRACTICAL_SALINITY, IDC_DENSITY, IDC_SPECIFIC_GRAVITY}},
};
const int kIes80Disabled[] = {
    IDC_LONGITUDE,       IDC_LATITUDE,       IDC_LATITUDE_LABEL,          IDC_LATITUDE_UNIT,
    IDC_LONGITUDE_LABEL, IDC_LONGITUDE_UNIT, IDC_ABSOLUTE_SALINITY_LABEL, IDC_ABSOLUTE_SALINITY_UNIT};

// Every text a control was given, to see what a handler wrote before the
// conversion that follows it overwrote the field.
std::vector<std::string> writtenTexts;
WNDPROC editProcedure = nullptr;
LRESULT CALLBACK recordTexts(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SETTEXT) writtenTexts.push_back(reinterpret_cast<const char*>(lParam));
    return CallWindowProcA(editProcedure, edit, message, wParam, lParam);
}
void recordTextsOf(HWND edit) {
    writtenTexts.clear();
    editProcedure =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(recordTexts)));
}

// Once the popup menu shows: where it is, then the keys a person would press in it.
constexpr UINT kMenuHandleOfWindow = 0x01E1;  // MN_GETHMENU, missing from some headers
struct MenuScript {
    std::vector<UINT> keys;
    RECT shownAt{};
    std::string firstItem;
};
MenuScript menuScript;
void CALLBACK driveMenu(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND menu = FindWindowA("#32768", nullptr);
    if (!menu || !IsWindowVisible(menu)) return;
    KillTimer(nullptr, timer);
    GetWindowRect(menu, &menuScript.shownAt);
    char text[64] = "";
    GetMenuStringA(reinterpret_cast<HMENU>(SendMessageA(menu, kMenuHandleOfWindow, 0, 0)), 0, text, sizeof text,
                   MF_BYPOSITION);
    menuScript.firstItem = text;
    for (UINT key : menuScript.keys) PostMessageA(menu, WM_KEYDOWN, key, 1);
}

// Once a modal box owned by the main window shows: its title and whether it
// holds the main window, then F1 pressed in it; at the next tick, when its
// loop has taken the key (a timer comes only once the queue is empty), its close box.
std::string modalTitle;
bool mainWindowHeld = false;
BOOL CALLBACK findOwnedBox(HWND candidate, LPARAM found) {
    if (GetWindow(candidate, GW_OWNER) != mainWindow || !IsWindowVisible(candidate)) return TRUE;
    *reinterpret_cast<HWND*>(found) = candidate;
    return FALSE;
}
void CALLBACK pressF1ThenCloseModalBox(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND box = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), findOwnedBox, reinterpret_cast<LPARAM>(&box));
    if (!box) return;
    if (modalTitle.empty()) {
        modalTitle = windowText(box);
        mainWindowHeld = !IsWindowEnabled(mainWindow);
        INPUT keys[2] = {};
        for (INPUT& key : keys) {
            key.type = INPUT_KEYBOARD;
            key.ki.wVk = VK_F1;
        }
        keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
        SendInput(2, keys, sizeof(INPUT));
        return;
    }
    KillTimer(nullptr, timer);
    PostMessageA(box, WM_CLOSE, 0, 0);
}

// The language dialog as a person leaves it: the other language chosen and
// OK, or the other language selected and Cancel.
const char* otherLanguage() { return std::strcmp(currentLanguage, "en") == 0 ? "fr" : "en"; }
INT_PTR chooseTheOtherLanguage(const char* templateName, DLGPROC procedure, LPARAM parameter) {
    recordDialog(templateName, procedure, parameter);
    reinterpret_cast<LanguageChoice*>(parameter)->code = otherLanguage();
    return 1;
}
INT_PTR cancelTheOtherLanguage(const char* templateName, DLGPROC procedure, LPARAM parameter) {
    chooseTheOtherLanguage(templateName, procedure, parameter);
    return 0;
}

}  // namespace

TEST_P(MainWindowTest, StartsWithTheDefaultSampleConvertedByTeos10Exact) {
    EXPECT_EQ(windowText(window),
              english() ? "Thalwen - TEOS-10 & IES-80 converter" : "Thalwen - Convertisseur TEOS-10 & IES-80");
    EXPECT_EQ(text(IDC_CONVERT), english() ? "Convert" : "Convertir");
    EXPECT_EQ(text(IDC_VERSION_LABEL), "Version " EXPECTED_VERSION);
    EXPECT_NE(SendMessageA(window, WM_GETICON, ICON_SMALL, 0), 0);
    EXPECT_EQ(GetWindowLongA(control(IDC_CONVERT), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    EXPECT_EQ(GetNextDlgTabItem(window, nullptr, FALSE), control(IDC_PRACTICAL_SALINITY));  // the first focus
    EXPECT_TRUE(checked(IDC_METHOD_EXACT));
    EXPECT_FALSE(checked(IDC_METHOD_POLYNOMIAL) || checked(IDC_METHOD_IES80));
    EXPECT_FALSE(enabled(IDC_ABSOLUTE_SALINITY));
    for (int id : kIes80Disabled) EXPECT_TRUE(enabled(id)) << id;

    EXPECT_EQ(text(IDC_PRESSURE), "0.00");
    EXPECT_EQ(text(IDC_LONGITUDE), "2.348785");
    EXPECT_EQ(text(IDC_LATITUDE), "48.853402");
    EXPECT_EQ(text(IDC_TEMPERATURE), "15.00");
    EXPECT_EQ(text(IDC_REFERENCE_TEMPERATURE), "20.00");
    double sa = gsw_sa_from_sp(35, 0, kLongitude, kLatitude);
    double rho = gsw_rho_t_exact(sa, 15, 0);
    EXPECT_NEAR(number(IDC_ABSOLUTE_SALINITY), sa, 6e-6);
    EXPECT_NEAR(number(IDC_DENSITY), rho, 6e-6);
    EXPECT_NEAR(number(IDC_SPECIFIC_GRAVITY), rho / kPureWaterAt20, 6e-6);
    EXPECT_NEAR(number(IDC_CONDUCTIVITY), gsw_c_from_sp(35, 15, 0), 6e-6);

    EXPECT_EQ(SendMessageA(control(IDC_TEMPERATURE_UNIT), CB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(text(IDC_TEMPERATURE_UNIT), "\260C");
    EXPECT_EQ(sliderPosition(IDC_TEMPERATURE_SLIDER), 50);
    EXPECT_EQ(sliderPosition(IDC_SALINITY_SLIDER), 50);
}

TEST_P(MainWindowTest, StartUpTimerConvertsTheDefaultSampleWhateverTheFormHolds) {
    for (int id : {IDC_PRESSURE, IDC_TEMPERATURE, IDC_PRACTICAL_SALINITY}) setText(id, "30");
    EXPECT_EQ(mainWindowProc(window, WM_TIMER, IDT_STARTUP_CONVERSION + 1, 0), FALSE);  // not ours
    EXPECT_EQ(text(IDC_TEMPERATURE), "30");
    EXPECT_EQ(mainWindowProc(window, WM_TIMER, IDT_STARTUP_CONVERSION, 0), FALSE);
    EXPECT_EQ(text(IDC_PRESSURE), "0.00");
    EXPECT_EQ(text(IDC_TEMPERATURE), "15.00");
    EXPECT_EQ(text(IDC_PRACTICAL_SALINITY), "35.00000");
}

TEST_P(MainWindowTest, ProcedureReportsWhatItHandled) {
    const struct {
        UINT message;
        WPARAM wParam;
        INT_PTR handled;
    } rows[] = {
        {WM_COMMAND, MAKEWPARAM(IDC_DENSITY, EN_SETFOCUS), TRUE},
        {WM_COMMAND, MAKEWPARAM(IDC_DENSITY, EN_CHANGE), FALSE},
        {WM_COMMAND, MAKEWPARAM(IDC_METHOD_POLYNOMIAL, BN_CLICKED), FALSE},
        {WM_COMMAND, MAKEWPARAM(IDC_METHOD_IES80, BN_CLICKED), FALSE},
        {WM_COMMAND, MAKEWPARAM(IDC_METHOD_EXACT, BN_CLICKED), FALSE},
        {WM_COMMAND, MAKEWPARAM(IDC_TEMPERATURE_UNIT, CBN_SELCHANGE), FALSE},
        {WM_COMMAND, MAKEWPARAM(IDC_CONVERT, BN_CLICKED), TRUE},
        {WM_COMMAND, 4711, FALSE},
        {WM_HSCROLL, 0, FALSE},
        {WM_USER, 0, FALSE},
    };
    for (const auto& row : rows)
        EXPECT_EQ(mainWindowProc(window, row.message, row.wParam, 0), row.handled) << row.message << " " << row.wParam;
}

TEST_P(MainWindowTest, FocusOnAnInputFieldEmptiesTheOtherInputsAndAbsoluteSalinity) {
    for (const Emptying& case_ : kEmptyings) {
        SetFocus(control(IDC_CONVERT));
        for (int id : {IDC_PRESSURE, IDC_TEMPERATURE, IDC_REFERENCE_TEMPERATURE, IDC_PRACTICAL_SALINITY,
                       IDC_ABSOLUTE_SALINITY, IDC_DENSITY, IDC_SPECIFIC_GRAVITY, IDC_CONDUCTIVITY})
            setText(id, "7");
        SetFocus(control(case_.field));
        EXPECT_EQ(text(case_.field), "7") << case_.field;
        for (int id : case_.emptied) EXPECT_EQ(text(id), "") << case_.field << " empties " << id;
        // No conversion: the kept fields are not rewritten as numbers.
        for (int id : {IDC_PRESSURE, IDC_TEMPERATURE, IDC_REFERENCE_TEMPERATURE}) EXPECT_EQ(text(id), "7");
    }
    // A click is one way of giving the focus.
    SetFocus(control(IDC_CONVERT));
    setText(IDC_PRACTICAL_SALINITY, "7");
    SendMessageA(control(IDC_DENSITY), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    SendMessageA(control(IDC_DENSITY), WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    EXPECT_EQ(text(IDC_PRACTICAL_SALINITY), "");
}

TEST_P(MainWindowTest, MethodButtonsConvertAndSwitchThePositionControls) {
    click(IDC_METHOD_IES80);
    EXPECT_EQ(currentMethod, Method::Ies80);
    for (int id : kIes80Disabled) EXPECT_FALSE(enabled(id)) << id;
    EXPECT_EQ(text(IDC_LONGITUDE), "");
    EXPECT_EQ(text(IDC_LATITUDE), "");
    EXPECT_EQ(text(IDC_ABSOLUTE_SALINITY), "");

    click(IDC_METHOD_POLYNOMIAL);
    EXPECT_EQ(currentMethod, Method::Teos10Polynomial);
    for (int id : kIes80Disabled) EXPECT_TRUE(enabled(id)) << id;
    EXPECT_EQ(text(IDC_LONGITUDE), "2.348785");
    double sa = gsw_sa_from_sp(35, 0, kLongitude, kLatitude);
    EXPECT_NEAR(number(IDC_ABSOLUTE_SALINITY), sa, 6e-6);
    EXPECT_NEAR(number(IDC_DENSITY), gsw_rho(sa, gsw_ct_from_t(sa, 15, 0), 0), 6e-6);

    click(IDC_METHOD_IES80);
    click(IDC_METHOD_EXACT);
    EXPECT_EQ(currentMethod, Method::Teos10Exact);
    for (int id : kIes80Disabled) EXPECT_TRUE(enabled(id)) << id;
    EXPECT_NEAR(number(IDC_DENSITY), gsw_rho_t_exact(sa, 15, 0), 6e-6);
    EXPECT_FALSE(enabled(IDC_ABSOLUTE_SALINITY));
}

// What the user measured stays the input under every method, the unit
// selector, the temperature slider and Convert, until another is chosen.
TEST_P(MainWindowTest, TheChosenInputStaysUnderEveryConversion) {
    const struct {
        int field;
        const char* typed;
        const char* shown;
    } inputs[] = {{IDC_PRACTICAL_SALINITY, "30", "30.00000"},
                  {IDC_DENSITY, "1025", "1025.00000"},
                  {IDC_CONDUCTIVITY, "50", "50.00000"},
                  {IDC_SPECIFIC_GRAVITY, "1,02", "1.02000"}};
    HWND selector = control(IDC_TEMPERATURE_UNIT);
    const std::pair<const char*, std::function<void()>> actions[] = {
        {"IES-80", [&] { click(IDC_METHOD_IES80); }},
        {"48 term", [&] { click(IDC_METHOD_POLYNOMIAL); }},
        {"exact", [&] { click(IDC_METHOD_EXACT); }},
        {"degF", [&] { SendMessageA(selector, WM_KEYDOWN, VK_DOWN, 0); }},
        {"temperature slider", [&] { SendMessageA(control(IDC_TEMPERATURE_SLIDER), WM_KEYDOWN, VK_RIGHT, 0); }},
        {"degC", [&] { SendMessageA(selector, WM_KEYDOWN, VK_UP, 0); }},
        {"Convert", [&] { click(IDC_CONVERT); }},
    };
    for (const auto& input : inputs) {
        SetFocus(control(input.field));
        setText(input.field, input.typed);
        click(IDC_CONVERT);
        for (const auto& [name, act] : actions) {
            act();
            EXPECT_EQ(text(input.field), input.shown) << input.typed << " after " << name;
        }
    }
    // The salinity slider makes the Practical Salinity it steps the input.
    SendMessageA(control(IDC_SALINITY_SLIDER), WM_KEYDOWN, VK_RIGHT, 0);
    const std::string stepped = text(IDC_PRACTICAL_SALINITY);
    click(IDC_METHOD_IES80);
    EXPECT_EQ(text(IDC_PRACTICAL_SALINITY), stepped);
    EXPECT_NE(text(IDC_SPECIFIC_GRAVITY), "1.02000");
}

TEST_P(MainWindowTest, DensityWithACommaConvertsByTeos10AndByIes80) {
    SetFocus(control(IDC_DENSITY));
    setText(IDC_DENSITY, "1025,5");
    click(IDC_CONVERT);
    EXPECT_EQ(text(IDC_DENSITY), "1025.50000");
    double sa = number(IDC_ABSOLUTE_SALINITY), sp = number(IDC_PRACTICAL_SALINITY);
    EXPECT_NEAR(gsw_rho_t_exact(sa, 15, 0), 1025.5, 2e-5);
    EXPECT_NEAR(sp, gsw_sp_from_sa(sa, 0, kLongitude, kLatitude), 6e-6);
    EXPECT_NEAR(number(IDC_SPECIFIC_GRAVITY), 1025.5 / kPureWaterAt20, 6e-6);
    EXPECT_NEAR(number(IDC_CONDUCTIVITY), gsw_c_from_sp(sp, 15, 0), 1e-5);

    // UNESCO 1983 check value of the 1980 equation of state: S 35, 5 deg C, 0 dbar.
    // The inversion stops at a relative density misfit of 1e-5, about 0.01 in salinity.
    click(IDC_METHOD_IES80);
    SetFocus(control(IDC_DENSITY));
    setText(IDC_TEMPERATURE, "5");
    setText(IDC_DENSITY, "1027,67547");
    click(IDC_CONVERT);
    EXPECT_NEAR(number(IDC_PRACTICAL_SALINITY), 35.0, 0.015);
    EXPECT_EQ(text(IDC_DENSITY), "1027.67547");
    EXPECT_EQ(text(IDC_ABSOLUTE_SALINITY), "");
}

TEST_P(MainWindowTest, UnitSelectorRewritesTheTemperaturesAndConverts) {
    HWND selector = control(IDC_TEMPERATURE_UNIT);
    setText(IDC_PRESSURE, "3");
    // Only a change of selection counts; opening the list converts nothing.
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_TEMPERATURE_UNIT, CBN_DROPDOWN), LPARAM(selector));
    EXPECT_EQ(text(IDC_PRESSURE), "3");
    SendMessageA(selector, WM_KEYDOWN, VK_DOWN, 0);  // a person picks the next item
    EXPECT_EQ(text(IDC_TEMPERATURE), "59.00");
    EXPECT_EQ(text(IDC_REFERENCE_TEMPERATURE), "68.00");
    EXPECT_EQ(text(IDC_REFERENCE_TEMPERATURE_UNIT), "\260F");
    EXPECT_TRUE(useFahrenheit);
    EXPECT_EQ(text(IDC_PRESSURE), "3.00");

    // The unit already shown: the texts stay, the form converts again.
    setText(IDC_PRESSURE, "4");
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_TEMPERATURE_UNIT, CBN_SELCHANGE), LPARAM(selector));
    EXPECT_EQ(text(IDC_TEMPERATURE), "59.00");
    EXPECT_EQ(text(IDC_REFERENCE_TEMPERATURE), "68.00");
    EXPECT_EQ(text(IDC_PRESSURE), "4.00");

    SendMessageA(selector, WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(text(IDC_TEMPERATURE), "15.00");
    EXPECT_EQ(text(IDC_REFERENCE_TEMPERATURE), "20.00");
    EXPECT_EQ(text(IDC_REFERENCE_TEMPERATURE_UNIT), "\260C");
    EXPECT_FALSE(useFahrenheit);

    // An empty temperature field counts as 0 when the unit changes.
    setText(IDC_TEMPERATURE, "");
    SendMessageA(selector, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(text(IDC_TEMPERATURE), "32.00");
    // The slider steps a tenth of the unit shown.
    SendMessageA(control(IDC_TEMPERATURE_SLIDER), WM_KEYDOWN, VK_RIGHT, 0);
    EXPECT_EQ(text(IDC_TEMPERATURE), "32.10");
}

TEST_P(MainWindowTest, TemperatureSliderStepsATenthAndWrapsAtBothEnds) {
    HWND slider = control(IDC_TEMPERATURE_SLIDER);
    SendMessageA(slider, WM_KEYDOWN, VK_END, 0);  // 50 to 100
    EXPECT_EQ(text(IDC_TEMPERATURE), "20.00");
    EXPECT_EQ(sliderPosition(IDC_TEMPERATURE_SLIDER), 1);
    SendMessageA(slider, WM_KEYDOWN, VK_RIGHT, 0);
    EXPECT_EQ(text(IDC_TEMPERATURE), "20.10");
    SendMessageA(slider, WM_KEYDOWN, VK_HOME, 0);  // 2 to 0
    EXPECT_EQ(text(IDC_TEMPERATURE), "19.90");
    EXPECT_EQ(sliderPosition(IDC_TEMPERATURE_SLIDER), 99);
    EXPECT_EQ(temperatureSliderPosition, 99);
    EXPECT_EQ(sliderPosition(IDC_SALINITY_SLIDER), 50);
    EXPECT_EQ(text(IDC_PRACTICAL_SALINITY), "35.00000");

    setText(IDC_TEMPERATURE, "");
    SendMessageA(slider, WM_KEYDOWN, VK_LEFT, 0);
    EXPECT_EQ(text(IDC_TEMPERATURE), "-0.10");

    // Both sliders are polled: a thumb moved without notice counts at the next message.
    SendMessageA(control(IDC_SALINITY_SLIDER), TBM_SETPOS, TRUE, 52);
    SendMessageA(slider, WM_KEYDOWN, VK_RIGHT, 0);
    EXPECT_EQ(text(IDC_TEMPERATURE), "0.00");
    EXPECT_EQ(text(IDC_PRACTICAL_SALINITY), "35.10000");
}

TEST_P(MainWindowTest, SalinitySliderStepsNeverBelowZeroAndHoldsWhenTheFieldIsEmpty) {
    HWND slider = control(IDC_SALINITY_SLIDER);
    SendMessageA(slider, WM_KEYDOWN, VK_END, 0);
    EXPECT_EQ(text(IDC_PRACTICAL_SALINITY), "37.50000");
    EXPECT_EQ(sliderPosition(IDC_SALINITY_SLIDER), 1);
    SendMessageA(slider, WM_KEYDOWN, VK_HOME, 0);
    EXPECT_EQ(text(IDC_PRACTICAL_SALINITY), "37.45000");
    EXPECT_EQ(sliderPosition(IDC_SALINITY_SLIDER), 99);

    recordTextsOf(control(IDC_PRACTICAL_SALINITY));
    setText(IDC_PRACTICAL_SALINITY, "0,02");
    SendMessageA(slider, WM_KEYDOWN, VK_LEFT, 0);
    ASSERT_GE(writtenTexts.size(), 2u);
    EXPECT_EQ(writtenTexts[1], "0.00000");

    // No salinity to step: the thumb goes back and the form converts from density.
    SetFocus(control(IDC_DENSITY));
    setText(IDC_DENSITY, "1025,5");
    writtenTexts.clear();
    SendMessageA(slider, WM_KEYDOWN, VK_RIGHT, 0);
    EXPECT_EQ(sliderPosition(IDC_SALINITY_SLIDER), 98);
    EXPECT_EQ(salinitySliderPosition, 98);
    EXPECT_EQ(text(IDC_DENSITY), "1025.50000");
    ASSERT_EQ(writtenTexts.size(), 1u);  // the conversion's Practical Salinity only
    EXPECT_NEAR(number(IDC_PRACTICAL_SALINITY), gsw_sp_from_sa(number(IDC_ABSOLUTE_SALINITY), 0, kLongitude, kLatitude),
                6e-6);
}

// The wheel reaches the focused field through the program's loop: the slider
// under the pointer moves as many steps as the desktop scrolls lines.
TEST_P(MainWindowTest, TheWheelMovesTheSliderUnderThePointer) {
    UINT lines = 0;
    SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    SetFocus(control(IDC_PRESSURE));
    auto wheel = [&](int over, int delta) {
        RECT r;
        GetWindowRect(control(over), &r);
        PostMessageA(GetFocus(), WM_MOUSEWHEEL, MAKEWPARAM(0, delta),
                     MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2));
        runPendingMessages(accelerators);
    };
    wheel(IDC_TEMPERATURE_SLIDER, -WHEEL_DELTA);  // towards the user: to the right
    EXPECT_NEAR(number(IDC_TEMPERATURE), 15 + 0.1 * lines, 1e-9);
    wheel(IDC_TEMPERATURE_SLIDER, WHEEL_DELTA / 2);  // a finer wheel's halves make one notch
    wheel(IDC_TEMPERATURE_SLIDER, WHEEL_DELTA / 2);
    EXPECT_EQ(text(IDC_TEMPERATURE), "15.00");
    wheel(IDC_SALINITY_SLIDER, WHEEL_DELTA);
    EXPECT_NEAR(number(IDC_PRACTICAL_SALINITY), 35 - 0.05 * lines, 1e-9);
    wheel(IDC_CONVERT, -WHEEL_DELTA);  // over no slider, the focus in a field: nothing moves
    EXPECT_EQ(sliderPosition(IDC_TEMPERATURE_SLIDER), 50);
    EXPECT_EQ(text(IDC_TEMPERATURE), "15.00");
}

// 1e308 degC has no value in degF and 1e999 reads as infinity: such texts are
// never rewritten as "inf" (which reads as 0), they clamp to the top of the range.
TEST_P(MainWindowTest, TemperaturesBeyondEveryRangeClampHighThroughUnitAndSlider) {
    recordTextsOf(control(IDC_TEMPERATURE));
    setText(IDC_TEMPERATURE, "1e308");
    setText(IDC_REFERENCE_TEMPERATURE, "1e999");
    SendMessageA(control(IDC_TEMPERATURE_UNIT), WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(text(IDC_TEMPERATURE), "95.00");             // 35 degC
    EXPECT_EQ(text(IDC_REFERENCE_TEMPERATURE), "104.00");  // 40 degC
    for (const std::string& written : writtenTexts) EXPECT_EQ(written.find("inf"), std::string::npos) << written;

    writtenTexts.clear();
    setText(IDC_TEMPERATURE, "-1e999");
    SendMessageA(control(IDC_TEMPERATURE_SLIDER), WM_KEYDOWN, VK_RIGHT, 0);
    EXPECT_EQ(text(IDC_TEMPERATURE), "28.40");  // -2 degC
    for (const std::string& written : writtenTexts) EXPECT_EQ(written.find("inf"), std::string::npos) << written;
}

TEST_P(MainWindowTest, ContextMenuHoldsTheCommandsInTheLanguageWithTheAboutMark) {
    struct Item {
        UINT command;  // 0: separator
        const char* english;
        const char* french;
    };
    const Item expected[] = {
        {IDM_LANGUAGE, "Language", "Langue"},
        {0, "", ""},
        {IDM_TEOS10_LICENCE, "TEOS-10 license", "Licence TEOS-10"},
        {IDM_LICENCE, "License", "Licence"},
        {0, "", ""},
        {IDM_ONLINE_INFORMATION, "On-line information\tF1", "Informations en ligne\tF1"},
        {IDM_ABOUT, "About ...", "\xC0 propos ..."},
        {0, "", ""},
        {IDM_EXIT, "Exit\tAlt+F4", "Quitter\tAlt+F4"},
    };
    ContextMenu menu = buildContextMenu(GetParam());
    ASSERT_EQ(GetMenuItemCount(menu.bar), 1);
    HMENU popup = GetSubMenu(menu.bar, 0);
    ASSERT_EQ(GetMenuItemCount(popup), 9);
    for (int i = 0; i < 9; ++i) {
        char itemText[64] = "";
        GetMenuStringA(popup, i, itemText, sizeof itemText, MF_BYPOSITION);
        bool separator = (GetMenuState(popup, i, MF_BYPOSITION) & MF_SEPARATOR) != 0;
        EXPECT_EQ(separator, expected[i].command == 0) << i;
        if (separator) continue;
        EXPECT_EQ(GetMenuItemID(popup, i), expected[i].command) << i;
        EXPECT_STREQ(itemText, english() ? expected[i].english : expected[i].french) << i;
    }
    MENUITEMINFOA about{};
    about.cbSize = sizeof about;
    about.fMask = MIIM_CHECKMARKS;
    ASSERT_TRUE(GetMenuItemInfoA(popup, IDM_ABOUT, FALSE, &about));
    BITMAP mark{};
    ASSERT_TRUE(GetObjectA(about.hbmpChecked, sizeof mark, &mark));
    EXPECT_EQ(about.hbmpUnchecked, about.hbmpChecked);
    EXPECT_EQ(mark.bmWidth, 16);
    EXPECT_EQ(mark.bmHeight, 16);
    destroyContextMenu(menu);
}

TEST_P(MainWindowTest, ContextMenuOpensAtThePointAndDeliversTheChosenCommand) {
    POINT at = {40, 60};
    ClientToScreen(window, &at);
    menuScript = {{VK_UP, VK_UP, VK_RETURN}, {}, {}};  // from the bottom: Exit, then About
    SetTimer(nullptr, 0, USER_TIMER_MINIMUM, driveMenu);
    EXPECT_EQ(mainWindowProc(window, WM_CONTEXTMENU, WPARAM(window), MAKELPARAM(at.x, at.y)), TRUE);
    EXPECT_EQ(menuScript.shownAt.left, at.x);
    EXPECT_EQ(menuScript.shownAt.top, at.y);
    EXPECT_EQ(menuScript.firstItem, english() ? "Language" : "Langue");  // built in the current language
    ASSERT_TRUE(runUntil([] { return !commandLog.empty(); }));
    EXPECT_EQ(commandLog.front(), "dialog RCBoxApropos aboutDialogProc");

    // From the keyboard there is no point: the menu opens at the form's corner.
    POINT corner = {0, 0};
    ClientToScreen(window, &corner);
    menuScript = {{VK_UP, VK_RETURN}, {}, {}};
    SetTimer(nullptr, 0, USER_TIMER_MINIMUM, driveMenu);
    SendMessageA(window, WM_CONTEXTMENU, WPARAM(window), LPARAM(-1));
    EXPECT_EQ(menuScript.shownAt.left, corner.x);
    EXPECT_EQ(menuScript.shownAt.top, corner.y);
    EXPECT_TRUE(endedWithStatusZero());
}

TEST_P(MainWindowTest, CommandsReachTheShellAndTheirDialogs) {
    // The licence documents beside the program first, then without them.
    for (const char* file : {kTeos10LicenceFile, kLicenceFile}) std::ofstream(file) << "%PDF-1.4\n";
    for (int command : {IDM_TEOS10_LICENCE, IDM_LICENCE}) mainWindowProc(window, WM_COMMAND, command, 0);
    for (const char* file : {kTeos10LicenceFile, kLicenceFile}) std::remove(file);
    for (int command : {IDM_ONLINE_INFORMATION, IDM_TEOS10_LICENCE, IDM_LICENCE, IDM_ABOUT, IDM_LANGUAGE, IDM_AUTHOR})
        EXPECT_EQ(mainWindowProc(window, WM_COMMAND, command, 0), TRUE) << command;
    const std::vector<std::string> expected = {
        "shell open license.TEOS-10.pdf, show 1",
        "shell open license.pdf, show 1",
        kHomePage,
        "shell open http://www.teos-10.org/pubs/gsw/html/gsw_licence.html, show 1",
        "shell open https://creativecommons.org/licenses/by-nc-nd/4.0/legalcode, show 1",
        "dialog RCBoxApropos aboutDialogProc",
        "dialog RCBoxLanguage languageDialogProc",
        "dialog RCBoxAuthor authorDialogProc",
    };
    EXPECT_EQ(commandLog, expected);

    // When the desktop cannot open them, the user is told, with the path.
    std::ofstream(kLicenceFile) << "%PDF-1.4\n";
    char path[MAX_PATH];
    GetFullPathNameA(kLicenceFile, sizeof path, path, nullptr);
    shellResult = SE_ERR_NOASSOC;
    commandLog.clear();
    for (int command : {IDM_LICENCE, IDM_ONLINE_INFORMATION}) mainWindowProc(window, WM_COMMAND, command, 0);
    std::remove(kLicenceFile);
    const std::string cannot =
        english() ? "message The desktop could not open " : "message Le bureau n'a pas pu ouvrir ";
    EXPECT_EQ(commandLog, (std::vector<std::string>{"shell open license.pdf, show 1", cannot + path, kHomePage,
                                                    cannot + "https://thalwen.example.org/other-ziziv/thalwen.html"}));
}

TEST_P(MainWindowTest, TheLanguageChosenInTheDialogBecomesTheWindowsAtOnce) {
    commandServices.showDialog = cancelTheOtherLanguage;
    EXPECT_EQ(mainWindowProc(window, WM_COMMAND, IDM_LANGUAGE, 0), TRUE);
    EXPECT_STREQ(currentLanguage, GetParam());
    EXPECT_EQ(text(IDC_CONVERT), english() ? "Convert" : "Convertir");

    commandServices.showDialog = chooseTheOtherLanguage;
    EXPECT_EQ(mainWindowProc(window, WM_COMMAND, IDM_LANGUAGE, 0), TRUE);
    EXPECT_STREQ(currentLanguage, english() ? "fr" : "en");
    EXPECT_EQ(text(IDC_CONVERT), english() ? "Convertir" : "Convert");
    EXPECT_EQ(text(IDC_METHOD_GROUP), english() ? "M\xE9thode" : "Method");
    EXPECT_EQ(windowText(window),
              english() ? "Thalwen - Convertisseur TEOS-10 & IES-80" : "Thalwen - TEOS-10 & IES-80 converter");
    const std::vector<std::string> expected(2, "dialog RCBoxLanguage languageDialogProc");
    EXPECT_EQ(commandLog, expected);
}

TEST_P(MainWindowTest, F1AndAltAActFromAnEditFieldButNotInAModalBox) {
    HWND field = control(IDC_PRACTICAL_SALINITY);
    SetFocus(field);
    pressKey(VK_F1);
    pressKey('A', {VK_MENU});
    const std::vector<std::string> expected = {kHomePage, "dialog RCBoxAuthor authorDialogProc"};
    EXPECT_EQ(commandLog, expected);
    EXPECT_EQ(text(IDC_PRACTICAL_SALINITY), "35.00000");

    // The real Author box: modal, owned by the main window, titled in the
    // language; F1 pressed in it opens nothing.
    commandServices.showDialog = kDesktopCommandServices.showDialog;
    modalTitle.clear();
    SetTimer(nullptr, 0, USER_TIMER_MINIMUM, pressF1ThenCloseModalBox);
    pressKey('A', {VK_MENU});
    EXPECT_EQ(modalTitle, english() ? "Author" : "Auteur");
    EXPECT_TRUE(mainWindowHeld);
    EXPECT_TRUE(IsWindowEnabled(window));
    EXPECT_EQ(keysReleased, 3u);  // those of Alt+A, and F1's, taken by the box's loop
    EXPECT_EQ(commandLog, expected);
}

TEST_P(MainWindowTest, TabAndEnterNeitherMoveTheFocusNorConvert) {
    HWND field = control(IDC_DENSITY);
    SetFocus(field);
    setText(IDC_DENSITY, "1025,5");
    pressKey(VK_TAB);
    pressKey(VK_RETURN);
    EXPECT_EQ(GetFocus(), field);
    EXPECT_EQ(text(IDC_DENSITY), "1025,5");
    EXPECT_EQ(text(IDC_PRACTICAL_SALINITY), "");
}

TEST_P(MainWindowTest, AltF4EndsTheLoopWithStatusZero) {
    SetFocus(control(IDC_TEMPERATURE));
    pressKey(VK_F4, {VK_MENU});
    EXPECT_TRUE(endedWithStatusZero());
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, MainWindowTest, testing::Values("en", "fr"));
