// The compiled resources against the layout the interface code relies on:
// the templates are read back item by item, not through a created dialog.
#include <windows.h>

#include <commctrl.h>

#include <cctype>
#include <cstdio>
#include <cstring>

#include "app_state.h"
#include "resource_ids.h"
#include "wine_test.h"

using namespace thalwen;

namespace {

struct Item {
    int id;
    std::string windowClass;  // predefined classes by name, lower case
    DWORD style;
    short x, y, cx, cy;
    std::string text;
};

struct Template {
    bool extended;
    DWORD style;
    short x, y, cx, cy;
    std::string caption, font;
    int pointSize;
    std::vector<Item> items;
};

// Reads a resource string or ordinal; ordinals of predefined classes become their names.
std::string readText(const WORD*& p) {
    if (*p == 0xFFFF) {
        WORD ordinal = p[1];
        p += 2;
        switch (ordinal) {
        case 0x80:
            return "button";
        case 0x81:
            return "edit";
        case 0x82:
            return "static";
        case 0x83:
            return "listbox";
        case 0x85:
            return "combobox";
        default: {
            std::string number = "#";  // "#" + std::to_string(...) makes GCC 12 warn of a false overlap
            number += std::to_string(ordinal);
            return number;
        }
        }
    }
    std::string text;
    for (; *p != 0; ++p) text += *p < 0x100 ? static_cast<char>(*p) : '?';
    ++p;
    return text;
}

const WORD* alignToDword(const WORD* p) {
    return reinterpret_cast<const WORD*>((reinterpret_cast<ULONG_PTR>(p) + 3) & ~ULONG_PTR{3});
}

Template loadTemplate(const char* name) {
    HRSRC found = FindResourceA(instanceHandle, name, MAKEINTRESOURCEA(5) /* RT_DIALOG */);
    if (found == nullptr) return {};
    const WORD* p = static_cast<const WORD*>(LockResource(LoadResource(instanceHandle, found)));
    Template t{};
    t.extended = p[0] == 1 && p[1] == 0xFFFF;
    int count;
    if (t.extended) {
        const DWORD* d = reinterpret_cast<const DWORD*>(p + 2);  // helpID, exStyle, style
        t.style = d[2];
        count = p[8];
        std::memcpy(&t.x, p + 9, 8);
        p += 13;
    } else {
        std::memcpy(&t.style, p, 4);
        count = p[4];
        std::memcpy(&t.x, p + 5, 8);
        p += 9;
    }
    readText(p);  // menu
    readText(p);  // class
    t.caption = readText(p);
    if (t.style & DS_SETFONT) {
        t.pointSize = *p++;
        if (t.extended) p += 2;  // weight, italic and charset
        t.font = readText(p);
    }
    for (int i = 0; i < count; ++i) {
        p = alignToDword(p);
        Item item{};
        if (t.extended) {
            const DWORD* d = reinterpret_cast<const DWORD*>(p);  // helpID, exStyle, style
            item.style = d[2];
            std::memcpy(&item.x, p + 6, 8);
            item.id = static_cast<int>(*reinterpret_cast<const DWORD*>(p + 10));
            p += 12;
        } else {
            std::memcpy(&item.style, p, 4);
            std::memcpy(&item.x, p + 4, 8);
            item.id = static_cast<short>(p[8]);
            p += 9;
        }
        item.windowClass = readText(p);
        for (char& c : item.windowClass) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        item.text = readText(p);
        p += *p / sizeof(WORD) + 1;  // creation data
        t.items.push_back(item);
    }
    return t;
}

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kField = kChild | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL | ES_RIGHT;
constexpr DWORD kLabel = kChild | SS_LEFT | WS_GROUP;
constexpr DWORD kRadio = kChild | BS_AUTORADIOBUTTON | WS_TABSTOP;
constexpr DWORD kFrame = kChild | SS_ETCHEDFRAME;
constexpr DWORD kSlider = kChild | TBS_AUTOTICKS | WS_TABSTOP;
constexpr DWORD kCentred = kChild | SS_CENTER;
constexpr DWORD kDefaultButton = kChild | BS_DEFPUSHBUTTON;

void expectItems(const Template& t, const std::vector<Item>& expected) {
    ASSERT_EQ(t.items.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const Item& a = t.items[i];
        const Item& e = expected[i];
        SCOPED_TRACE("item " + std::to_string(i) + ", id " + std::to_string(e.id));
        EXPECT_EQ(a.id, e.id);
        EXPECT_EQ(a.windowClass, e.windowClass);
        EXPECT_EQ(a.style, e.style);
        EXPECT_EQ(a.x, e.x);
        EXPECT_EQ(a.y, e.y);
        EXPECT_EQ(a.cx, e.cx);
        EXPECT_EQ(a.cy, e.cy);
        EXPECT_EQ(a.text, e.text);
    }
}

}  // namespace

TEST(Resources, MainDialogTemplate) {
    const Template t = loadTemplate(MAKEINTRESOURCEA(IDD_MAIN));
    EXPECT_FALSE(t.extended);
    EXPECT_EQ(t.style, WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_SETFONT);
    EXPECT_EQ(std::vector<short>({t.x, t.y, t.cx, t.cy}), std::vector<short>({260, 100, 204, 235}));
    EXPECT_EQ(t.caption, "Thalwen - TEOS-10 & IES-80 conversions");
    EXPECT_EQ(t.font, "MS Shell Dlg");
    EXPECT_EQ(t.pointSize, 8);
    const std::vector<Item> mainItems = {
        {109, "button", kChild | BS_GROUPBOX | WS_GROUP, 6, 3, 193, 23, " Method "},
        {110, "button", kRadio, 10, 11, 65, 12, "TEOS-10 exact"},
        {111, "button", kRadio, 77, 11, 75, 12, "TEOS-10 48 term"},
        {112, "button", kRadio, 159, 11, 35, 12, "IES-80"},
        {-1, "static", kFrame, 6, 27, 193, 37, ""},
        {114, "static", kLabel, 10, 32, 70, 8, "Water pressure"},
        {113, "edit", kField, 80, 30, 38, 12, ""},
        {115, "static", kLabel, 121, 32, 32, 8, "dbar"},
        {120, "static", kLabel, 10, 50, 12, 8, "Lat."},
        {119, "edit", kField, 22, 48, 44, 12, ""},
        {121, "static", kLabel, 69, 50, 27, 8, "deg (dec)"},
        {116, "static", kLabel, 99, 50, 18, 8, "Long."},
        {117, "edit", kField, 117, 48, 48, 12, ""},
        {118, "static", kLabel, 168, 50, 27, 8, "deg (dec)"},
        {-1, "static", kFrame, 6, 65, 193, 35, ""},
        {123, "static", kLabel, 10, 70, 70, 8, "Water temperature"},
        {122, "edit", kField, 80, 68, 35, 12, ""},
        {142, "combobox", kChild | CBS_DROPDOWNLIST, 118, 68, 23, 10, ""},
        {139, "msctls_trackbar32", kSlider, 22, 82, 160, 15, ""},
        {-1, "static", kFrame, 6, 102, 193, 96, ""},
        {125, "static", kLabel, 10, 107, 70, 8, "Practical Salinity Sp"},
        {124, "edit", kField, 80, 105, 42, 12, ""},
        {127, "static", kLabel, 10, 122, 70, 8, "Absolute Salinity Sa"},
        {126, "edit", kField, 80, 120, 42, 12, ""},
        {128, "static", kLabel, 125, 122, 50, 8, "g/kg"},
        {130, "static", kLabel, 10, 137, 70, 8, "Density"},
        {129, "edit", kField, 80, 135, 46, 12, ""},
        {131, "static", kLabel, 129, 137, 50, 8, "kg/m\xB3"},
        {133, "static", kLabel, 10, 152, 70, 8, "Specific Gravity SG"},
        {132, "edit", kField, 80, 150, 42, 12, ""},
        {134, "static", kLabel, 125, 152, 30, 8, "ref. at T="},
        {135, "edit", kField, 155, 150, 30, 12, ""},
        {143, "static", kLabel, 187, 152, 8, 8, "\260C"},
        {137, "static", kLabel, 10, 167, 70, 8, "Conductivity"},
        {136, "edit", kField, 80, 165, 42, 12, ""},
        {138, "static", kLabel, 125, 167, 50, 8, "mS/cm"},
        {140, "msctls_trackbar32", kSlider, 22, 179, 160, 15, ""},
        {141, "button", kChild | BS_PUSHBUTTON | WS_TABSTOP, 67, 205, 70, 16, "Convert"},
        {184, "static", kChild | SS_RIGHT | WS_GROUP, 139, 225, 60, 10, ""},
    };
    expectItems(t, mainItems);
}

TEST(Resources, SecondaryDialogTemplates) {
    constexpr DWORD kBoxStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
    const Template about = loadTemplate("RCBoxApropos");
    EXPECT_TRUE(about.extended);
    EXPECT_EQ(about.style, kBoxStyle);
    EXPECT_EQ(std::vector<short>({about.x, about.y, about.cx, about.cy}), std::vector<short>({29, 18, 142, 140}));
    EXPECT_EQ(about.caption, "About Thalwen");
    EXPECT_EQ(about.font, "Arial");
    EXPECT_EQ(about.pointSize, 8);
    const std::vector<Item> aboutItems = {
        {147, "static", kCentred, 10, 5, 120, 8, "TEOS-10 and IES-80 converter"},
        {-1, "static", kChild | SS_BITMAP, 58, 14, 16, 16, "IDB_APROPOS_BITMAP"},
        {181, "static", kCentred | WS_BORDER, 13, 35, 115, 10, ""},
        {180, "static", kCentred, 13, 45, 115, 10, ""},
        {186, "static", kCentred, 0, 55, 142, 10, ""},
        {187, "static", kCentred, 13, 65, 115, 10, ""},
        {182, "static", kCentred, 20, 75, 100, 10, ""},
        {183, "static", kCentred, 20, 85, 100, 9, ""},
        {189, "static", kCentred, 20, 95, 100, 9, "thalwen@example.org"},
        {188, "static", kCentred, 20, 105, 100, 9, "thalwen.example.org"},
        {145, "button", kDefaultButton | WS_TABSTOP, 45, 117, 52, 13, "OK"},
    };
    expectItems(about, aboutItems);

    const Template author = loadTemplate("RCBoxAuthor");
    EXPECT_TRUE(author.extended);
    EXPECT_EQ(author.style, kBoxStyle);
    EXPECT_EQ(std::vector<short>({author.x, author.y, author.cx, author.cy}), std::vector<short>({29, 18, 144, 150}));
    EXPECT_EQ(author.caption, "Author");
    EXPECT_EQ(author.font, "Arial");
    const std::vector<Item> authorItems = {
        {-1, "static", kChild | SS_BITMAP, 5, 5, 100, 123, "IDB_AUTHOR_BITMAP"},
        {148, "static", kCentred, 12, 10, 120, 8, ""},
        {145, "button", kDefaultButton, 45, 130, 52, 13, "OK"},
    };
    expectItems(author, authorItems);

    const Template language = loadTemplate("RCBoxLanguage");
    EXPECT_TRUE(language.extended);
    EXPECT_EQ(language.style, kBoxStyle);
    EXPECT_EQ(std::vector<short>({language.x, language.y, language.cx, language.cy}),
              std::vector<short>({50, 18, 142, 80}));
    EXPECT_EQ(language.caption, "Select Language");
    EXPECT_EQ(language.font, "Arial");
    const std::vector<Item> languageItems = {
        {144, "listbox", kChild | WS_VSCROLL | WS_BORDER | LBS_NOTIFY, 10, 15, 70, 64, ""},
        {145, "button", kDefaultButton, 85, 15, 49, 13, "OK"},
        {146, "button", kChild | BS_PUSHBUTTON, 85, 30, 49, 13, "Cancel"},
    };
    expectItems(language, languageItems);
}

TEST(Resources, Accelerators) {
    HACCEL table = LoadAcceleratorsA(instanceHandle, "RCAccelerateurs");
    ASSERT_NE(table, nullptr);
    ACCEL entries[4]{};
    ASSERT_EQ(CopyAcceleratorTableA(table, entries, 4), 2);
    EXPECT_EQ(entries[0].fVirt & ~0x80, FVIRTKEY);
    EXPECT_EQ(entries[0].key, VK_F1);
    EXPECT_EQ(entries[0].cmd, IDM_ONLINE_INFORMATION);
    EXPECT_EQ(entries[1].fVirt & ~0x80, FALT | FNOINVERT);
    EXPECT_EQ(entries[1].key, 'A');
    EXPECT_EQ(entries[1].cmd, IDM_AUTHOR);
    DestroyAcceleratorTable(table);
}

TEST(Resources, BitmapsAndIcons) {
    const struct {
        const char* name;
        LONG width, height;
    } bitmaps[] = {
        {"IDB_APROPOS_BITMAP", 32, 32}, {"IDB_AUTHOR_BITMAP", 200, 246}, {MAKEINTRESOURCEA(IDB_MENU_MARK), 16, 16}};
    for (const auto& b : bitmaps) {
        HBITMAP bitmap =
            static_cast<HBITMAP>(LoadImageA(instanceHandle, b.name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
        ASSERT_NE(bitmap, nullptr);
        BITMAP info{};
        GetObjectA(bitmap, sizeof info, &info);
        EXPECT_EQ(info.bmWidth, b.width);
        EXPECT_EQ(info.bmHeight, b.height);
        EXPECT_EQ(info.bmBitsPixel, 24);
        DeleteObject(bitmap);
    }
    const char* const iconGroups[] = {"MAINICON", MAKEINTRESOURCEA(IDI_SMALL_ICON)};
    for (const char* group : iconGroups) {
        HRSRC found = FindResourceA(instanceHandle, group, MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */);
        ASSERT_NE(found, nullptr);
        const BYTE* directory = static_cast<const BYTE*>(LockResource(LoadResource(instanceHandle, found)));
        const WORD* header = reinterpret_cast<const WORD*>(directory);
        ASSERT_EQ(header[2], 1);  // one image
        const BYTE* entry = directory + 6;
        EXPECT_EQ(entry[0], 32);                                  // width
        EXPECT_EQ(entry[1], 32);                                  // height
        EXPECT_EQ(*reinterpret_cast<const WORD*>(entry + 6), 8);  // bits per pixel
    }
}

// The four numbers of the version the build was given, missing ones as 0.
std::vector<WORD> expectedVersionNumbers() {
    std::vector<WORD> numbers(4, 0);
    std::sscanf(EXPECTED_VERSION, "%hu.%hu.%hu.%hu", &numbers[0], &numbers[1], &numbers[2], &numbers[3]);
    return numbers;
}

// A value of the version block's strings: its key, the key's terminator,
// padding to four bytes, then the value.
std::u16string versionString(const std::u16string& block, const std::u16string& key) {
    std::size_t at = block.find(key + u'\0');
    if (at == std::u16string::npos) return u"(missing)";
    at += key.size() + 1;
    if (at % 2) ++at;  // the block starts on four bytes: four-byte alignment is an even index
    return block.c_str() + at;
}

TEST(Resources, ManifestAndVersion) {
    const std::vector<WORD> numbers = expectedVersionNumbers();
    char dotted[32];
    std::snprintf(dotted, sizeof dotted, "%hu.%hu.%hu.%hu", numbers[0], numbers[1], numbers[2], numbers[3]);

    HRSRC manifest = FindResourceA(instanceHandle, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24) /* RT_MANIFEST */);
    ASSERT_NE(manifest, nullptr);
    const std::string xml(static_cast<const char*>(LockResource(LoadResource(instanceHandle, manifest))),
                          SizeofResource(instanceHandle, manifest));
    EXPECT_NE(xml.find("<description>Compute salinity</description>"), std::string::npos);
    EXPECT_NE(xml.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""), std::string::npos);
    EXPECT_NE(xml.find(std::string("<assemblyIdentity version=\"") + dotted + "\""), std::string::npos) << xml;

    HRSRC version = FindResourceA(instanceHandle, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(16) /* RT_VERSION */);
    ASSERT_NE(version, nullptr);
    const BYTE* block = static_cast<const BYTE*>(LockResource(LoadResource(instanceHandle, version)));
    // VS_FIXEDFILEINFO follows the 16-bit "VS_VERSION_INFO" key, aligned to 4 bytes.
    const VS_FIXEDFILEINFO* fixed = reinterpret_cast<const VS_FIXEDFILEINFO*>(block + 40);
    ASSERT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(numbers[1], numbers[0]));
    EXPECT_EQ(fixed->dwFileVersionLS, MAKELONG(numbers[3], numbers[2]));
    EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(numbers[1], numbers[0]));
    EXPECT_EQ(fixed->dwProductVersionLS, MAKELONG(numbers[3], numbers[2]));
    const std::u16string all(reinterpret_cast<const char16_t*>(block), SizeofResource(instanceHandle, version) / 2);
    EXPECT_TRUE(versionString(all, u"FileDescription") == u"Thalwen - TEOS-10 & IES-80 converter");
    const std::string text = EXPECTED_VERSION;
    const std::u16string expected(text.begin(), text.end());
    EXPECT_TRUE(versionString(all, u"FileVersion") == expected);
    EXPECT_TRUE(versionString(all, u"ProductVersion") == expected);
}
