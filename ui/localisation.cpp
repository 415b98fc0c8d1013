#include "localisation.h"

#include <cstdio>
#include <cstring>

#include "app_state.h"
#include "quantities.h"
#include "resource_ids.h"
#include "version.h"

namespace thalwen {

// Texts are Windows-1252 bytes, written as escapes so the source stays ASCII.
// Before a letter the escape is octal ("Sp\351c."): it ends after three digits,
// where a hexadecimal one would swallow the letter.
// The About box's author line is 100 dialog units wide: the credit drops its
// article there ("Thalwen developers") so that it fits on its single line.
const TranslationEntry translationTable[] = {
    {IDS_MAIN_TITLE, "Thalwen - TEOS-10 & IES-80 converter", "en"},
    {IDC_METHOD_GROUP, "Method", "en"},
    {IDC_METHOD_EXACT, infoOf(Method::Teos10Exact).label, "en"},
    {IDC_METHOD_POLYNOMIAL, infoOf(Method::Teos10Polynomial).label, "en"},
    {IDC_METHOD_IES80, infoOf(Method::Ies80).label, "en"},
    {IDC_PRESSURE_LABEL, "Water pressure", "en"},
    {IDC_PRESSURE_UNIT, "dbar", "en"},
    {IDC_LATITUDE_LABEL, "Lat.", "en"},
    {IDC_LATITUDE_UNIT, "N \xB0 dec.", "en"},
    {IDC_LONGITUDE_LABEL, "Long.", "en"},
    {IDC_LONGITUDE_UNIT, "E \xB0 dec.", "en"},
    {IDC_PRACTICAL_SALINITY_LABEL, "Practical Salinity Sp", "en"},
    {IDC_ABSOLUTE_SALINITY_LABEL, "Absolute Salinity Sa", "en"},
    {IDC_ABSOLUTE_SALINITY_UNIT, "g/kg", "en"},
    {IDC_TEMPERATURE_LABEL, "Water temperature", "en"},
    {IDC_DENSITY_LABEL, "Density", "en"},
    {IDC_DENSITY_UNIT, "kg/m\xB3", "en"},
    {IDC_SPECIFIC_GRAVITY_LABEL, "Specific Gravity SG", "en"},
    {IDC_REFERENCE_TEMPERATURE_LABEL, "ref. at T=", "en"},
    {IDC_CONDUCTIVITY_LABEL, "Conductivity", "en"},
    {IDC_CONDUCTIVITY_UNIT, "mS/cm", "en"},
    {IDC_CONVERT, "Convert", "en"},
    {IDM_LANGUAGE, "Language", "en"},
    {IDM_ONLINE_INFORMATION, "On-line information\tF1", "en"},
    {IDM_TEOS10_LICENCE, "TEOS-10 license", "en"},
    {IDM_LICENCE, "License", "en"},
    {IDM_ABOUT, "About ...", "en"},
    {IDS_EXIT_ITEM, "Exit\tAlt+F4", "en"},
    {IDS_LANGUAGE_TITLE, "Language", "en"},
    {IDC_DIALOG_OK, "OK", "en"},
    {IDC_DIALOG_CANCEL, "Cancel", "en"},
    {IDS_ABOUT_TITLE, "About ...", "en"},
    {IDC_ABOUT_SUBTITLE, "TEOS-10 and IES-80 converter", "en"},
    {IDC_ABOUT_NAME, "thalwen - " THALWEN_VERSION, "en"},
    {IDC_ABOUT_LICENCE, "License: CC BY-NC-ND 4.0", "en"},
    {IDC_ABOUT_AUTHOR, "Author: Thalwen developers", "en"},
    {IDS_AUTHOR_TITLE, "Author", "en"},
    {IDS_CANNOT_OPEN, "The desktop could not open %s", "en"},
    {IDC_AUTHOR_CAPTION, "The Thalwen developers", "en"},

    {IDS_MAIN_TITLE, "Thalwen - Convertisseur TEOS-10 & IES-80", "fr"},
    {IDC_METHOD_GROUP, "M\xE9thode", "fr"},
    {IDC_METHOD_EXACT, "TEOS-10 exacte", "fr"},
    {IDC_METHOD_POLYNOMIAL, "TEOS-10 48 termes", "fr"},
    {IDC_METHOD_IES80, "IES-80", "fr"},
    {IDC_PRESSURE_LABEL, "Pression de l'eau", "fr"},
    {IDC_PRESSURE_UNIT, "dbar", "fr"},
    {IDC_LATITUDE_LABEL, "Lat.", "fr"},
    {IDC_LATITUDE_UNIT, "N \xB0 dec.", "fr"},
    {IDC_LONGITUDE_LABEL, "Long.", "fr"},
    {IDC_LONGITUDE_UNIT, "E \xB0 dec.", "fr"},
    {IDC_PRACTICAL_SALINITY_LABEL, "Salinit\xE9 Pratique Sp", "fr"},
    {IDC_ABSOLUTE_SALINITY_LABEL, "Salinit\xE9 Absolue Sa", "fr"},
    {IDC_ABSOLUTE_SALINITY_UNIT, "g/kg", "fr"},
    {IDC_TEMPERATURE_LABEL, "Temp\xE9rature de l'eau", "fr"},
    {IDC_DENSITY_LABEL, "Masse Volumique", "fr"},
    {IDC_DENSITY_UNIT, "kg/m\xB3", "fr"},
    {IDC_SPECIFIC_GRAVITY_LABEL, "Masse Vol. Sp\351c. SG", "fr"},
    {IDC_REFERENCE_TEMPERATURE_LABEL, "ref. \xE0 T=", "fr"},
    {IDC_CONDUCTIVITY_LABEL, "Conductivit\xE9", "fr"},
    {IDC_CONDUCTIVITY_UNIT, "mS/cm", "fr"},
    {IDC_CONVERT, "Convertir", "fr"},
    {IDM_LANGUAGE, "Langue", "fr"},
    {IDM_ONLINE_INFORMATION, "Informations en ligne\tF1", "fr"},
    {IDM_TEOS10_LICENCE, "Licence TEOS-10", "fr"},
    {IDM_LICENCE, "Licence", "fr"},
    {IDM_ABOUT, "\xC0 propos ...", "fr"},
    {IDS_EXIT_ITEM, "Quitter\tAlt+F4", "fr"},
    {IDS_LANGUAGE_TITLE, "Langue", "fr"},
    {IDC_DIALOG_OK, "OK", "fr"},
    {IDC_DIALOG_CANCEL, "Annuler", "fr"},
    {IDS_ABOUT_TITLE, "\xC0 propos ...", "fr"},
    {IDC_ABOUT_SUBTITLE, "Convertisseur TEOS-10 et IES-80", "fr"},
    {IDC_ABOUT_NAME, "thalwen - " THALWEN_VERSION, "fr"},
    {IDC_ABOUT_LICENCE, "Licence : CC BY-NC-ND 4.0", "fr"},
    {IDC_ABOUT_AUTHOR, "Auteur : Thalwen developers", "fr"},
    {IDS_AUTHOR_TITLE, "Auteur", "fr"},
    {IDS_CANNOT_OPEN, "Le bureau n'a pas pu ouvrir %s", "fr"},
    {IDC_AUTHOR_CAPTION, "The Thalwen developers", "fr"},

    {0, "", ""},
};

const LanguageEntry languageList[] = {
    {"en", "English"},
    {"fr", "Fran\347ais"},
    {"", ""},
};

namespace {

static_assert(sizeof currentLanguage == kLanguageCodeSize);
char systemLanguageBuffer[kLanguageCodeSize];

// What the language dialog found when it opened; the " *" row.
char dialogSystemLanguage[kLanguageCodeSize];

bool isKnownLanguage(const char* code) {
    for (const LanguageEntry* row = languageList; row->code[0] != '\0'; ++row) {
        if (std::strcmp(row->code, code) == 0) return true;
    }
    return false;
}

// The code of the list's selected row, or null when nothing is selected.
const char* selectedLanguage(HWND dialog) {
    LRESULT index = SendDlgItemMessageA(dialog, IDC_LANGUAGE_LIST, LB_GETCURSEL, 0, 0);
    if (index < 0) return nullptr;
    for (LRESULT row = 0; languageList[row].code[0] != '\0'; ++row) {
        if (row == index) return languageList[row].code;
    }
    return nullptr;
}

void fillLanguageList(HWND dialog) {
    HWND list = GetDlgItem(dialog, IDC_LANGUAGE_LIST);
    LRESULT currentRow = LB_ERR;
    for (const LanguageEntry* row = languageList; row->code[0] != '\0'; ++row) {
        char text[64];
        std::snprintf(text, sizeof text, "%s (%s)%s", row->name, row->code,
                      std::strcmp(row->code, dialogSystemLanguage) == 0 ? " *" : "");
        LRESULT index = SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
        if (std::strcmp(row->code, currentLanguage) == 0) currentRow = index;
    }
    if (currentRow != LB_ERR) SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(currentRow), 0);
    SetFocus(list);
}

INT_PTR onLanguageDialogInit(HWND dialog, LPARAM choice) {
    SetWindowLongPtrA(dialog, DWLP_USER, choice);
    copyLanguageCode(dialogSystemLanguage, systemLanguage());
    applyTexts(dialog, currentLanguage);
    SetWindowTextA(dialog, lookupText(IDS_LANGUAGE_TITLE, currentLanguage));
    fillLanguageList(dialog);
    return TRUE;
}

// Gives the selected language back to whoever opened the dialog.
void endWithSelectedLanguage(HWND dialog) {
    const char* code = selectedLanguage(dialog);
    if (code == nullptr) return;  // nothing selected: the dialog stays open
    auto* choice = reinterpret_cast<LanguageChoice*>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (choice != nullptr) choice->code = code;
    EndDialog(dialog, 1);
}

INT_PTR onLanguageDialogCommand(HWND dialog, WPARAM wParam) {
    const int id = LOWORD(wParam);
    const int notification = HIWORD(wParam);
    if (id == IDC_LANGUAGE_LIST && notification == LBN_DBLCLK) {
        endWithSelectedLanguage(dialog);
    } else if (id == IDC_DIALOG_OK) {
        endWithSelectedLanguage(dialog);
    } else if (id == IDC_DIALOG_CANCEL) {
        EndDialog(dialog, 0);
    }
    // Every other command, Escape's IDCANCEL included, leaves the dialog open.
    return TRUE;
}

}  // namespace

void copyLanguageCode(char* destination, const char* code) {
    std::strncpy(destination, code, kLanguageCodeSize - 1);
    destination[kLanguageCodeSize - 1] = '\0';
}

const char* systemLanguage() {
    std::memset(systemLanguageBuffer, 0, sizeof systemLanguageBuffer);
    if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SISO639LANGNAME, systemLanguageBuffer, kLanguageCodeSize) == 0) {
        systemLanguageBuffer[0] = '\0';
    }
    if (!isKnownLanguage(systemLanguageBuffer)) copyLanguageCode(systemLanguageBuffer, "en");
    return systemLanguageBuffer;
}

void applyTexts(HWND dialog, const char* language) {
    for (const TranslationEntry* row = translationTable; row->id > 0; ++row) {
        if (std::strcmp(row->language, language) == 0) SetDlgItemTextA(dialog, row->id, row->text);
    }
}

const char* lookupText(int id, const char* language) {
    for (const TranslationEntry* row = translationTable; row->id > 0; ++row) {
        if (row->id == id && std::strcmp(row->language, language) == 0) return row->text;
    }
    return nullptr;
}

INT_PTR CALLBACK languageDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return onLanguageDialogInit(dialog, lParam);
    case WM_COMMAND:
        return onLanguageDialogCommand(dialog, wParam);
    case WM_CLOSE:
        EndDialog(dialog, 0);
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace thalwen
