// The translated texts on the real dialogs, and the language dialog.
#include <cstdlib>
#include <cstring>

#include "app_state.h"
#include "localisation.h"
#include "resource_ids.h"
#include "wine_test.h"

using namespace thalwen;

namespace {

struct Expected {
    int id;
    const char* english;
    const char* french;
};

// Written out again from the list of texts, not taken from the program's table.
const Expected kMainDialogTexts[] = {
    {IDC_METHOD_GROUP, "Method", "M\xE9thode"},
    {IDC_METHOD_EXACT, "TEOS-10 exact", "TEOS-10 exacte"},
    {IDC_METHOD_POLYNOMIAL, "TEOS-10 48 term", "TEOS-10 48 termes"},
    {IDC_METHOD_IES80, "IES-80", "IES-80"},
    {IDC_PRESSURE_LABEL, "Water pressure", "Pression de l'eau"},
    {IDC_PRESSURE_UNIT, "dbar", "dbar"},
    {IDC_LATITUDE_LABEL, "Lat.", "Lat."},
    {IDC_LATITUDE_UNIT, "N \xB0 dec.", "N \xB0 dec."},
    {IDC_LONGITUDE_LABEL, "Long.", "Long."},
    {IDC_LONGITUDE_UNIT, "E \xB0 dec.", "E \xB0 dec."},
    {IDC_PRACTICAL_SALINITY_LABEL, "Practical Salinity Sp", "Salinit\xE9 Pratique Sp"},
    {IDC_ABSOLUTE_SALINITY_LABEL, "Absolute Salinity Sa", "Salinit\xE9 Absolue Sa"},
    {IDC_ABSOLUTE_SALINITY_UNIT, "g/kg", "g/kg"},
    {IDC_TEMPERATURE_LABEL, "Water temperature", "Temp\xE9rature de l'eau"},
    {IDC_DENSITY_LABEL, "Density", "Masse Volumique"},
    {IDC_DENSITY_UNIT, "kg/m\xB3", "kg/m\xB3"},
    {IDC_SPECIFIC_GRAVITY_LABEL, "Specific Gravity SG", "Masse Vol. Sp\351c. SG"},
    {IDC_REFERENCE_TEMPERATURE_LABEL, "ref. at T=", "ref. \xE0 T="},
    {IDC_CONDUCTIVITY_LABEL, "Conductivity", "Conductivit\xE9"},
    {IDC_CONDUCTIVITY_UNIT, "mS/cm", "mS/cm"},
    {IDC_CONVERT, "Convert", "Convertir"},
};

const Expected kAboutTexts[] = {
    {IDC_ABOUT_SUBTITLE, "TEOS-10 and IES-80 converter", "Convertisseur TEOS-10 et IES-80"},
    {IDC_ABOUT_NAME, "thalwen - " EXPECTED_VERSION, "thalwen - " EXPECTED_VERSION},
    {IDC_ABOUT_LICENCE, "License: CC BY-NC-ND 4.0", "Licence : CC BY-NC-ND 4.0"},
    {IDC_ABOUT_AUTHOR, "Author: Thalwen developers", "Auteur : Thalwen developers"},
    {IDC_DIALOG_OK, "OK", "OK"},
};

const Expected kAuthorTexts[] = {
    {IDC_AUTHOR_CAPTION, "The Thalwen developers", "The Thalwen developers"},
    {IDC_DIALOG_OK, "OK", "OK"},
};

const Expected kLanguageTexts[] = {
    {IDC_DIALOG_OK, "OK", "OK"},
    {IDC_DIALOG_CANCEL, "Cancel", "Annuler"},
};

// Texts that belong to no control: titles and context-menu items.
const Expected kLookedUpTexts[] = {
    {IDS_MAIN_TITLE, "Thalwen - TEOS-10 & IES-80 converter", "Thalwen - Convertisseur TEOS-10 & IES-80"},
    {IDS_LANGUAGE_TITLE, "Language", "Langue"},
    {IDS_ABOUT_TITLE, "About ...", "\xC0 propos ..."},
    {IDS_AUTHOR_TITLE, "Author", "Auteur"},
    {IDS_CANNOT_OPEN, "The desktop could not open %s", "Le bureau n'a pas pu ouvrir %s"},
    {IDM_LANGUAGE, "Language", "Langue"},
    {IDM_ONLINE_INFORMATION, "On-line information\tF1", "Informations en ligne\tF1"},
    {IDM_TEOS10_LICENCE, "TEOS-10 license", "Licence TEOS-10"},
    {IDM_LICENCE, "License", "Licence"},
    {IDM_ABOUT, "About ...", "\xC0 propos ..."},
    {IDS_EXIT_ITEM, "Exit\tAlt+F4", "Quitter\tAlt+F4"},
};

const char* textIn(const Expected& row, const char* language) {
    return std::strcmp(language, "fr") == 0 ? row.french : row.english;
}

template <size_t N>
void expectTexts(HWND dialog, const Expected (&rows)[N], const char* language) {
    for (const Expected& row : rows) {
        EXPECT_EQ(windowText(dialog, row.id), textIn(row, language)) << "control " << row.id << ", " << language;
    }
}

template <size_t N>
void expectTextsOfBox(const char* templateName, const Expected (&rows)[N]) {
    for (const char* language : {"en", "fr", "en"}) {
        ModalOutcome outcome = runModal(templateName, passiveDialogProc, {[&](HWND box) {
                                            applyTexts(box, language);
                                            expectTexts(box, rows, language);
                                            EndDialog(box, 1);
                                        }});
        EXPECT_EQ(outcome.stepsRun, 1) << templateName;
    }
}

int countRows(const char* language) {
    int rows = 0;
    for (const TranslationEntry* row = translationTable; row->id > 0; ++row) {
        if (std::strcmp(row->language, language) == 0) ++rows;
    }
    return rows;
}

}  // namespace

TEST(Translations, MainDialogInBothLanguagesAndBack) {
    FormWindow form;
    for (const char* language : {"fr", "en"}) {
        applyTexts(form.handle(), language);
        expectTexts(form.handle(), kMainDialogTexts, language);
    }
    // Controls without a row keep their template texts.
    EXPECT_EQ(form.text(IDC_REFERENCE_TEMPERATURE_UNIT), "\260C");
    EXPECT_EQ(form.text(IDC_PRESSURE), "");
}

TEST(Translations, SecondaryDialogs) {
    expectTextsOfBox("RCBoxApropos", kAboutTexts);
    expectTextsOfBox("RCBoxAuthor", kAuthorTexts);
    expectTextsOfBox("RCBoxLanguage", kLanguageTexts);
}

TEST(Translations, LookupHitsEveryTextWithoutAControl) {
    for (const Expected& row : kLookedUpTexts) {
        for (const char* language : {"en", "fr"}) {
            const char* text = lookupText(row.id, language);
            ASSERT_NE(text, nullptr) << row.id << " " << language;
            EXPECT_STREQ(text, textIn(row, language)) << row.id;
        }
    }
}

TEST(Translations, LookupMisses) {
    EXPECT_EQ(lookupText(999, "en"), nullptr);          // no such id
    EXPECT_EQ(lookupText(IDC_CONVERT, "de"), nullptr);  // no such language
    EXPECT_EQ(lookupText(IDC_CONVERT, "EN"), nullptr);  // codes compare exactly
    EXPECT_EQ(lookupText(IDC_CONVERT, ""), nullptr);    // the terminator is not a row
    EXPECT_EQ(lookupText(0, ""), nullptr);
}

TEST(Translations, EveryIdHasOneRowInEachLanguage) {
    EXPECT_EQ(countRows("en"), 39);
    EXPECT_EQ(countRows("fr"), 39);
    for (const TranslationEntry* row = translationTable; row->id > 0; ++row) {
        EXPECT_NE(lookupText(row->id, "en"), nullptr) << row->id;
        EXPECT_NE(lookupText(row->id, "fr"), nullptr) << row->id;
    }
}

// --- The language dialog -----------------------------------------------------------------------

namespace {

std::vector<std::string> listRows(HWND dialog) {
    std::vector<std::string> rows;
    HWND list = GetDlgItem(dialog, IDC_LANGUAGE_LIST);
    LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        char text[64] = "";
        SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        rows.push_back(text);
    }
    return rows;
}

LRESULT selectedRow(HWND dialog) { return SendDlgItemMessageA(dialog, IDC_LANGUAGE_LIST, LB_GETCURSEL, 0, 0); }

void selectRow(HWND dialog, WPARAM row) { SendDlgItemMessageA(dialog, IDC_LANGUAGE_LIST, LB_SETCURSEL, row, 0); }

void command(HWND dialog, int id, int notification = BN_CLICKED) {
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, notification), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// The dialog over a form, as over the main window, with the choice it fills.
struct LanguageRun {
    ModalOutcome outcome;
    LanguageChoice choice;
    std::string formTitle;  // the window under the dialog, which it must leave alone
};

LanguageRun runLanguageDialog(std::vector<ModalStep> steps) {
    FormWindow form;
    LanguageRun run{};
    run.outcome = runModal("RCBoxLanguage", languageDialogProc, std::move(steps), form.handle(),
                           reinterpret_cast<LPARAM>(&run.choice));
    run.formTitle = windowText(form.handle());
    return run;
}

// The locale the tests normally run in is not French: the mark is on English.
bool systemIsFrench() { return std::strcmp(systemLanguage(), "fr") == 0; }

}  // namespace

TEST(LanguageDialog, OpensOnTheCurrentLanguageWithTheSystemLanguageMarked) {
    for (const char* language : {"en", "fr"}) {
        LanguageScope scope(language);
        std::vector<std::string> rows;
        LRESULT selected = -1;
        std::string title, focusClass;
        runLanguageDialog({[&](HWND dialog) {
            rows = listRows(dialog);
            selected = selectedRow(dialog);
            title = windowText(dialog);
            char name[32] = "";
            GetClassNameA(GetFocus(), name, sizeof name);
            focusClass = name;
            EndDialog(dialog, 1);
        }});
        const bool french = systemIsFrench();
        ASSERT_EQ(rows.size(), 2u);
        EXPECT_EQ(rows[0], french ? "English (en)" : "English (en) *");
        EXPECT_EQ(rows[1], french ? "Fran\347ais (fr) *" : "Fran\347ais (fr)");
        EXPECT_EQ(selected, std::strcmp(language, "fr") == 0 ? 1 : 0);
        EXPECT_EQ(title, std::strcmp(language, "fr") == 0 ? "Langue" : "Language");
        EXPECT_STRCASEEQ(focusClass.c_str(), "ListBox");
    }
}

// The dialog gives the chosen code back and changes nothing itself: the
// main window applies it.
TEST(LanguageDialog, OkGivesBackTheSelectedLanguage) {
    LanguageScope scope("en");
    LanguageRun run = runLanguageDialog({[](HWND dialog) {
        selectRow(dialog, 1);
        command(dialog, IDC_DIALOG_OK);
    }});
    EXPECT_EQ(run.outcome.result, 1);
    ASSERT_NE(run.choice.code, nullptr);
    EXPECT_STREQ(run.choice.code, "fr");
    EXPECT_STREQ(currentLanguage, "en");
    EXPECT_EQ(run.formTitle, "Thalwen - TEOS-10 & IES-80 conversions");  // the template's, untouched
}

TEST(LanguageDialog, DoubleClickChoosesAndClosesInOneStep) {
    LanguageScope scope("fr");
    LanguageRun run = runLanguageDialog({[](HWND dialog) {
        selectRow(dialog, 0);
        command(dialog, IDC_LANGUAGE_LIST, LBN_DBLCLK);
    }});
    EXPECT_EQ(run.outcome.result, 1);
    EXPECT_EQ(run.outcome.stepsRun, 1);
    ASSERT_NE(run.choice.code, nullptr);
    EXPECT_STREQ(run.choice.code, "en");
    EXPECT_STREQ(currentLanguage, "fr");
}

TEST(LanguageDialog, CancelAndCloseBoxChooseNothing) {
    for (bool closeBox : {false, true}) {
        LanguageScope scope("en");
        LanguageRun run = runLanguageDialog({[closeBox](HWND dialog) {
            selectRow(dialog, 1);
            if (closeBox) {
                SendMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
            } else {
                command(dialog, IDC_DIALOG_CANCEL);
            }
        }});
        EXPECT_EQ(run.outcome.result, 0) << (closeBox ? "close box" : "Cancel");
        EXPECT_EQ(run.choice.code, nullptr);
        EXPECT_STREQ(currentLanguage, "en");
    }
}

TEST(LanguageDialog, OkWithoutASelectionOtherCommandsAndEscapeAreIgnored) {
    LanguageScope scope("en");
    auto okWithoutASelection = [](HWND dialog) {
        selectRow(dialog, WPARAM(-1));
        command(dialog, IDC_DIALOG_OK);
    };
    LanguageRun run = runLanguageDialog({
        okWithoutASelection, [](HWND dialog) { command(dialog, IDCANCEL); }, [](HWND dialog) { command(dialog, 4711); },
        [](HWND dialog) { command(dialog, IDC_LANGUAGE_LIST, LBN_SELCHANGE); },
        [](HWND dialog) { postKey(dialog, VK_ESCAPE); }, [](HWND) {},  // runs only if Escape left the dialog open
    });
    EXPECT_EQ(run.outcome.stepsRun, 6);
    EXPECT_EQ(run.outcome.result, kStillOpen);
    EXPECT_EQ(run.choice.code, nullptr);
}

TEST(LanguageDialog, EnterActsAsOk) {
    LanguageScope scope("en");
    LanguageRun run = runLanguageDialog({[](HWND dialog) {
        selectRow(dialog, 1);
        postKey(dialog, VK_RETURN);
    }});
    EXPECT_EQ(run.outcome.result, 1);
    ASSERT_NE(run.choice.code, nullptr);
    EXPECT_STREQ(run.choice.code, "fr");
}

// Run by ctest with LC_ALL set to a locale and THALWEN_EXPECTED_SYSTEM_LANGUAGE
// to the language that locale must give.
TEST(SystemLanguageFromLocale, MatchesTheLocaleWineStartedIn) {
    const char* expected = std::getenv("THALWEN_EXPECTED_SYSTEM_LANGUAGE");
    if (expected == nullptr) GTEST_SKIP() << "THALWEN_EXPECTED_SYSTEM_LANGUAGE is not set";
    EXPECT_STREQ(systemLanguage(), expected);

    LanguageScope scope("en");
    std::vector<std::string> rows;
    runLanguageDialog({[&](HWND dialog) {
        rows = listRows(dialog);
        EndDialog(dialog, 0);
    }});
    ASSERT_EQ(rows.size(), 2u);
    const bool french = std::strcmp(expected, "fr") == 0;
    EXPECT_EQ(rows[0].ends_with(" *"), !french);
    EXPECT_EQ(rows[1].ends_with(" *"), french);
}
