// Every number and label of the main window shown whole, measured in the font
// the window is really drawn with: the widest values a field typically shows
// lie inside its margins, and every label, button and group box holds its
// text, in both languages and both temperature units.
#include "main_window_fixture.h"

using namespace thalwen;

namespace {

struct FieldTexts {
    int field;
    std::vector<const char*> texts;
};
// The start-up sample in both units and the widest values each field typically shows.
const FieldTexts kTypicalTexts[] = {
    {IDC_PRESSURE, {"0.00", "10000.00"}},
    {IDC_LONGITUDE, {"2.348785", "-179.999999"}},
    {IDC_LATITUDE, {"48.853402", "-85.999999"}},
    {IDC_TEMPERATURE, {"15.00", "59.00", "-2.00", "35.00", "28.40", "95.00"}},
    {IDC_PRACTICAL_SALINITY, {"35.00000"}},
    {IDC_ABSOLUTE_SALINITY, {"35.16574"}},
    {IDC_DENSITY, {"1025.97656", "1082.71524"}},
    {IDC_SPECIFIC_GRAVITY, {"1.02782"}},
    {IDC_CONDUCTIVITY, {"42.91754", "90.90227"}},
    {IDC_REFERENCE_TEMPERATURE, {"20.00", "68.00", "40.00", "104.00"}},
};

SIZE textExtent(HWND control, const std::string& text) {
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(control, WM_GETFONT, 0, 0)));
    SIZE extent{};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return extent;
}

// Texts are Windows-1252; test messages are read as UTF-8.
std::string readable(const std::string& text) {
    WCHAR wide[128];
    char utf8[256];
    const int length = MultiByteToWideChar(1252, 0, text.c_str(), -1, wide, 128);
    WideCharToMultiByte(CP_UTF8, 0, wide, length, utf8, sizeof utf8, nullptr, nullptr);
    return utf8;
}

int xOfCharacter(HWND field, size_t index) {
    return static_cast<short>(LOWORD(SendMessageA(field, EM_POSFROMCHAR, index, 0)));
}

// The width a button's text needs: with a radio button's mark, as the control computes it.
LONG neededWidth(HWND control, const std::string& text) {
    char className[16] = "";
    GetClassNameA(control, className, sizeof className);
    const LONG type = GetWindowLongA(control, GWL_STYLE) & BS_TYPEMASK;
    if (lstrcmpiA(className, "Button") != 0 || type == BS_GROUPBOX) return textExtent(control, text).cx;
    SIZE ideal{};
    SendMessageA(control, BCM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(&ideal));
    return ideal.cx;
}

class WholeTextsTest : public MainWindowTest {};

}  // namespace

// Windows draws this template's "MS Shell Dlg" 8 pt with Microsoft Sans Serif:
// 6 by 13 pixels per 4 by 8 dialog units at 96 dots per inch.
TEST_P(WholeTextsTest, DialogUnitsAreThoseOfWindowsDialogFont) {
    RECT units = {0, 0, 4, 8};
    MapDialogRect(window, &units);
    EXPECT_EQ(units.right, 6);
    EXPECT_EQ(units.bottom, 13);
}

// Windows gives each field margins of half an average character of its font;
// the text is cut where the control's format rectangle ends.
TEST_P(WholeTextsTest, FieldsShowTheTypicalValuesWhole) {
    RECT averageCharacter = {0, 0, 4, 0};
    MapDialogRect(window, &averageCharacter);
    const int margin = averageCharacter.right / 2;
    for (const FieldTexts& row : kTypicalTexts) {
        HWND field = control(row.field);
        const LRESULT margins = SendMessageA(field, EM_GETMARGINS, 0, 0);
        EXPECT_EQ(LOWORD(margins), margin) << row.field;
        EXPECT_EQ(HIWORD(margins), margin) << row.field;
        for (const std::string value : row.texts) {
            setText(row.field, value.c_str());
            RECT inner;
            SendMessageA(field, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&inner));
            const int left = xOfCharacter(field, 0);
            const int right =
                xOfCharacter(field, value.size() - 1) + textExtent(field, value.substr(value.size() - 1)).cx;
            EXPECT_GE(left, inner.left) << row.field << " \"" << value << "\"";
            EXPECT_LE(right, inner.right)
                << row.field << " \"" << value << "\" cut by " << right - inner.right << " px";
        }
    }
}

TEST_P(WholeTextsTest, LabelsButtonsAndGroupBoxHoldTheirTextInBothUnits) {
    HWND selector = control(IDC_TEMPERATURE_UNIT);
    for (UINT key : {VK_UP, VK_DOWN}) {  // degrees Celsius, then Fahrenheit, as a person picks them
        SendMessageA(selector, WM_KEYDOWN, key, 0);
        const std::string unit = readable(text(IDC_REFERENCE_TEMPERATURE_UNIT));
        for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
            char className[16] = "";
            GetClassNameA(child, className, sizeof className);
            const std::string label = windowText(child);
            if (label.empty() || (lstrcmpiA(className, "Static") != 0 && lstrcmpiA(className, "Button") != 0)) continue;
            RECT client;
            GetClientRect(child, &client);
            const LONG needed = neededWidth(child, label);
            EXPECT_LE(needed, client.right) << unit << " " << GetDlgCtrlID(child) << " \"" << readable(label)
                                            << "\" cut by " << needed - client.right << " px";
            EXPECT_LE(textExtent(child, label).cy, client.bottom)
                << GetDlgCtrlID(child) << " \"" << readable(label) << "\"";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, WholeTextsTest, testing::Values("en", "fr"));
