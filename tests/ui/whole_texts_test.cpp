// Every number and label of the main window shown whole, measured in the font
// the window is really drawn with: the widest values a field typically shows
// lie inside its margins, and every label, button and group box holds its
// text, in both languages and both temperature units; at any display scale
// (ctest runs this suite in a prefix of each scale people use), the text is
// drawn in a face of the size the scale asks for, as are the menu and the
// secondary boxes.
#include "main_window_fixture.h"

using namespace thalwen;

namespace {

struct FieldTexts {
    int field;
    int label;  // on the field's line
    std::vector<const char*> texts;
};
// The start-up sample in both units and the widest values each field typically shows.
const FieldTexts kTypicalTexts[] = {
    {IDC_PRESSURE, IDC_PRESSURE_LABEL, {"0.00", "10000.00"}},
    {IDC_LONGITUDE, IDC_LONGITUDE_LABEL, {"2.348785", "-179.999999"}},
    {IDC_LATITUDE, IDC_LATITUDE_LABEL, {"48.853402", "-85.999999"}},
    {IDC_TEMPERATURE, IDC_TEMPERATURE_LABEL, {"15.00", "59.00", "-2.00", "35.00", "28.40", "95.00"}},
    {IDC_PRACTICAL_SALINITY, IDC_PRACTICAL_SALINITY_LABEL, {"35.00000"}},
    {IDC_ABSOLUTE_SALINITY, IDC_ABSOLUTE_SALINITY_LABEL, {"35.16574"}},
    {IDC_DENSITY, IDC_DENSITY_LABEL, {"1025.97656", "1082.71524"}},
    {IDC_SPECIFIC_GRAVITY, IDC_SPECIFIC_GRAVITY_LABEL, {"1.02782"}},
    {IDC_CONDUCTIVITY, IDC_CONDUCTIVITY_LABEL, {"42.91754", "90.90227"}},
    {IDC_REFERENCE_TEMPERATURE, IDC_REFERENCE_TEMPERATURE_LABEL, {"20.00", "68.00", "40.00", "104.00"}},
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

// The template's 8 points at the display's scale, in pixels from baseline to cap.
int emHeightAtThisScale() {
    HDC screen = GetDC(nullptr);
    const int pixels = MulDiv(8, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(nullptr, screen);
    return pixels;
}

TEXTMETRICA metricsOf(HFONT font) {
    HDC screen = GetDC(nullptr);
    HGDIOBJ old = SelectObject(screen, font);
    TEXTMETRICA metrics{};
    GetTextMetricsA(screen, &metrics);
    SelectObject(screen, old);
    ReleaseDC(nullptr, screen);
    return metrics;
}

int emHeight(HFONT font) {
    const TEXTMETRICA metrics = metricsOf(font);
    return metrics.tmHeight - metrics.tmInternalLeading;
}

HFONT fontOf(HWND window) { return reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0)); }

class WholeTextsTest : public MainWindowTest {};

}  // namespace

// Windows draws this template's "MS Shell Dlg" 8 pt with Microsoft Sans Serif:
// 6 by 13 pixels per 4 by 8 dialog units at 96 dots per inch.
TEST_P(WholeTextsTest, DialogUnitsAreThoseOfWindowsDialogFontAt96Dpi) {
    if (emHeightAtThisScale() != 11) GTEST_SKIP() << "not at 96 dpi";
    RECT units = {0, 0, 4, 8};
    MapDialogRect(window, &units);
    EXPECT_EQ(units.right, 6);
    EXPECT_EQ(units.bottom, 13);
}

// A bitmap face has a few sizes only: where it has none for the scale, a
// smaller one would leave the text small in a window grown by the scale.
// The menu and the About box, drawn in other faces, must grow alike.
TEST_P(WholeTextsTest, WindowMenuAndAboutBoxTextHaveTheSizeOfTheScale) {
    const int wanted = emHeightAtThisScale();
    // TrueType rounds its ascent and descent apart: a pixel either way.
    EXPECT_NEAR(emHeight(fontOf(window)), wanted, 1) << "the main window's font";

    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof metrics;
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0));
    HFONT menuFont = CreateFontIndirectA(&metrics.lfMenuFont);
    EXPECT_NEAR(emHeight(menuFont), wanted, 1) << "the menu's font, " << metrics.lfMenuFont.lfFaceName;
    DeleteObject(menuFont);

    int aboutEm = 0;
    runModal("RCBoxApropos", passiveDialogProc, {[&](HWND box) {
                 aboutEm = emHeight(fontOf(box));
                 EndDialog(box, 1);
             }});
    EXPECT_NEAR(aboutEm, wanted, 1) << "the About box's font";
}

// The text of a one-line field starts at the top of its format rectangle:
// the space left below it must not be much more than the space above, and
// the field stays level with its label.
TEST_P(WholeTextsTest, NumbersSitInTheMiddleOfTheirFieldsLevelWithTheLabels) {
    const int textHeight = metricsOf(fontOf(window)).tmHeight;
    for (const FieldTexts& row : kTypicalTexts) {
        HWND field = control(row.field);
        RECT client, format;
        GetClientRect(field, &client);
        SendMessageA(field, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
        const int above = format.top;
        const int below = client.bottom - format.top - textHeight;
        EXPECT_GE(below, 0) << row.field << " cut at the bottom";
        EXPECT_LE(below - above, 1) << row.field << ": " << above << " px above, " << below << " px below";
        RECT box, label;
        GetWindowRect(field, &box);
        GetWindowRect(control(row.label), &label);
        EXPECT_NEAR(box.top + box.bottom, label.top + label.bottom, 2) << row.field << " not level with its label";
    }
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
        // The unit selector shows the chosen unit in the box beside its button.
        COMBOBOXINFO box{};
        box.cbSize = sizeof box;
        ASSERT_TRUE(GetComboBoxInfo(selector, &box));
        const SIZE shown = textExtent(selector, text(IDC_TEMPERATURE_UNIT));
        EXPECT_LE(shown.cx, box.rcItem.right - box.rcItem.left) << unit << " cut in the unit selector";
        EXPECT_LE(shown.cy, box.rcItem.bottom - box.rcItem.top) << unit << " cut in the unit selector";
    }
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, WholeTextsTest, testing::Values("en", "fr"));
