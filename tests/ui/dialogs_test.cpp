// The About and Author boxes, the build timestamp, and where the licence commands lead.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>

#include "app_state.h"
#include "dialogs.h"
#include "resource_ids.h"
#include "wine_test.h"

using namespace thalwen;

namespace {

bool isDigits(const std::string& text, size_t from, size_t count) {
    for (size_t i = from; i < from + count; ++i) {
        if (i >= text.size() || text[i] < '0' || text[i] > '9') return false;
    }
    return true;
}

// "dd/mm/yyyy hh:mm:ss"
bool looksLikeDayFirstTime(const std::string& text) {
    return text.size() == 19 && isDigits(text, 0, 2) && text[2] == '/' && isDigits(text, 3, 2) && text[5] == '/' &&
           isDigits(text, 6, 4) && text[10] == ' ' && isDigits(text, 11, 2) && text[13] == ':' &&
           isDigits(text, 14, 2) && text[16] == ':' && isDigits(text, 17, 2);
}

std::string buildTime(const char* timestamp) {
    char text[20];
    formatBuildTime(timestamp, text, sizeof text);
    return text;
}

struct BoxLines {
    std::string title, subtitle, name, build, toolchain, library, licence, author, contact, web;
};

BoxLines openAbout(const char* language) {
    LanguageScope scope(language);
    BoxLines lines;
    runModal("RCBoxApropos", aboutDialogProc, {[&](HWND box) {
                 lines = {windowText(box),
                          windowText(box, IDC_ABOUT_SUBTITLE),
                          windowText(box, IDC_ABOUT_NAME),
                          windowText(box, IDC_ABOUT_BUILD),
                          windowText(box, IDC_ABOUT_TOOLCHAIN),
                          windowText(box, IDC_ABOUT_LIBRARY),
                          windowText(box, IDC_ABOUT_LICENCE),
                          windowText(box, IDC_ABOUT_AUTHOR),
                          windowText(box, IDC_ABOUT_CONTACT),
                          windowText(box, IDC_ABOUT_WEB)};
                 EndDialog(box, 1);
             }});
    return lines;
}

void click(HWND dialog, int id) {
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

}  // namespace

TEST(BuildTimestamp, ShownDayFirstInSummerAndWinter) {
    const char* saved = std::getenv("TZ");
    const std::string savedZone = saved ? saved : "";
    // Central European time: a July build was made in summer time.
    for (const char* zone : {"UTC0", "CET-1CEST,M3.5.0,M10.5.0/3"}) {
        setenv("TZ", zone, 1);
        tzset();
        EXPECT_EQ(buildTime("Jan  4 2026 - 23:55:07"), "04/01/2026 23:55:07") << zone;
        EXPECT_EQ(buildTime("Dec 31 1999 - 00:00:00"), "31/12/1999 00:00:00") << zone;
        EXPECT_EQ(buildTime("Jul 14 2025 - 12:30:45"), "14/07/2025 12:30:45") << zone;
        EXPECT_EQ(buildTime("Feb 29 2024 - 06:07:08"), "29/02/2024 06:07:08") << zone;
    }
    saved ? setenv("TZ", savedZone.c_str(), 1) : unsetenv("TZ");
    tzset();
}

TEST(BuildTimestamp, ReadAsCalendarTime) {
    EXPECT_EQ(parseBuildTimestamp("Jan  5 2026 - 00:00:00") - parseBuildTimestamp("Jan  4 2026 - 23:55:07"), 293);
    EXPECT_EQ(parseBuildTimestamp("Mar  1 2024 - 12:00:00") - parseBuildTimestamp("Feb 28 2024 - 12:00:00"),
              2 * 86400);  // through a leap day
}

TEST(BuildTimestamp, OtherTextsAreNotDates) {
    EXPECT_EQ(parseBuildTimestamp("Foo  4 2026 - 23:55:07"), -1);
    EXPECT_EQ(parseBuildTimestamp("anF  4 2026 - 23:55:07"), -1);  // inside the month table, off its grid
    EXPECT_EQ(parseBuildTimestamp("January 4 2026 - 23:55:07"), -1);
    EXPECT_EQ(parseBuildTimestamp("Jan  4 2026"), -1);
    EXPECT_EQ(parseBuildTimestamp(""), -1);
    EXPECT_EQ(buildTime("Jan  4 2026"), "Jan  4 2026");
}

TEST(BuildTimestamp, IsTheDateAndTimeOfTheBuild) {
    const std::string stamp = kBuildTimestamp;
    ASSERT_EQ(stamp.size(), 22u) << stamp;
    EXPECT_NE(std::strstr("JanFebMarAprMayJunJulAugSepOctNovDec", stamp.substr(0, 3).c_str()), nullptr);
    EXPECT_EQ(stamp.substr(11, 3), " - ");
    EXPECT_TRUE(looksLikeDayFirstTime(buildTime(kBuildTimestamp))) << buildTime(kBuildTimestamp);
}

TEST(AboutBox, LinesInBothLanguages) {
    const BoxLines english = openAbout("en");
    const BoxLines french = openAbout("fr");

    EXPECT_EQ(english.title, "About ...");
    EXPECT_EQ(french.title, "\xC0 propos ...");
    EXPECT_EQ(english.subtitle, "TEOS-10 and IES-80 converter");
    EXPECT_EQ(french.subtitle, "Convertisseur TEOS-10 et IES-80");
    EXPECT_EQ(english.licence, "License: CC BY-NC-ND 4.0");
    EXPECT_EQ(french.licence, "Licence : CC BY-NC-ND 4.0");
    EXPECT_EQ(english.author, "Author: Thalwen developers");
    EXPECT_EQ(french.author, "Auteur : Thalwen developers");

    const std::string wordSize = EXPECTED_WORD_SIZE == 8 ? " (64-bit) " : " (32-bit) ";
    for (const BoxLines* lines : {&english, &french}) {
        EXPECT_EQ(lines->name, "thalwen - " EXPECTED_VERSION);
        EXPECT_EQ(lines->build, buildTime(kBuildTimestamp));
        EXPECT_TRUE(looksLikeDayFirstTime(lines->build)) << lines->build;
        EXPECT_EQ(lines->toolchain, "GCC " EXPECTED_COMPILER_VERSION + wordSize + EXPECTED_COMPILER_TARGET);
        EXPECT_EQ(lines->library, "TEOS-10 " EXPECTED_GSW_VERSION);
        EXPECT_EQ(lines->contact, "thalwen@example.org");
        EXPECT_EQ(lines->web, "thalwen.example.org");
    }
}

TEST(AboutBox, EndsOnlyByOkEnterOrCloseBox) {
    ModalOutcome ok = runModal("RCBoxApropos", aboutDialogProc, {[](HWND box) { click(box, IDC_DIALOG_OK); }});
    EXPECT_EQ(ok.result, 1);

    ModalOutcome enter = runModal("RCBoxApropos", aboutDialogProc, {[](HWND box) { postKey(box, VK_RETURN); }});
    EXPECT_EQ(enter.result, 1);

    ModalOutcome closeBox =
        runModal("RCBoxApropos", aboutDialogProc, {[](HWND box) { SendMessageA(box, WM_SYSCOMMAND, SC_CLOSE, 0); }});
    EXPECT_EQ(closeBox.result, 0);

    ModalOutcome ignored = runModal("RCBoxApropos", aboutDialogProc,
                                    {
                                        [](HWND box) { click(box, IDCANCEL); },
                                        [](HWND box) { postKey(box, VK_ESCAPE); },
                                        [](HWND) {},
                                    });
    EXPECT_EQ(ignored.stepsRun, 3);
    EXPECT_EQ(ignored.result, kStillOpen);
}

TEST(AuthorBox, TitleAndCaptionInBothLanguages) {
    for (const char* language : {"en", "fr"}) {
        LanguageScope scope(language);
        std::string title, caption;
        ModalOutcome outcome = runModal("RCBoxAuthor", authorDialogProc, {[&](HWND box) {
                                            title = windowText(box);
                                            caption = windowText(box, IDC_AUTHOR_CAPTION);
                                            click(box, IDC_DIALOG_OK);
                                        }});
        EXPECT_EQ(outcome.result, 1);
        EXPECT_EQ(title, std::strcmp(language, "fr") == 0 ? "Auteur" : "Author");
        EXPECT_EQ(caption, "The Thalwen developers");
    }
}

TEST(AuthorBox, EscapeIsIgnoredAndTheCloseBoxEndsIt) {
    ModalOutcome outcome = runModal("RCBoxAuthor", authorDialogProc,
                                    {
                                        [](HWND box) { postKey(box, VK_ESCAPE); },
                                        [](HWND box) { click(box, IDCANCEL); },
                                        [](HWND box) { SendMessageA(box, WM_SYSCOMMAND, SC_CLOSE, 0); },
                                    });
    EXPECT_EQ(outcome.stepsRun, 3);
    EXPECT_EQ(outcome.result, 0);
}

TEST(LicenceDocuments, NamesAreRelativeToTheCurrentDirectory) {
    CreateDirectoryA("elsewhere", nullptr);
    std::ofstream("elsewhere/license.pdf") << "%PDF-1.4\n";
    EXPECT_FALSE(canOpenForReading(kLicenceFile));
    EXPECT_TRUE(canOpenForReading("elsewhere/license.pdf"));
    std::remove("elsewhere/license.pdf");
    RemoveDirectoryA("elsewhere");
}

// The lines we chose ourselves (name, licence, author, contact, web) must not
// be cut: a centred static wraps a text that is too wide and its height holds one line.
TEST(AboutBox, OurLinesFitOnOneLine) {
    for (const char* language : {"en", "fr"}) {
        LanguageScope scope(language);
        runModal("RCBoxApropos", aboutDialogProc, {[&](HWND box) {
                     for (int id : {IDC_ABOUT_NAME, IDC_ABOUT_BUILD, IDC_ABOUT_TOOLCHAIN, IDC_ABOUT_LIBRARY,
                                    IDC_ABOUT_LICENCE, IDC_ABOUT_AUTHOR, IDC_ABOUT_CONTACT, IDC_ABOUT_WEB}) {
                         HWND line = GetDlgItem(box, id);
                         const std::string text = windowText(box, id);
                         HDC dc = GetDC(line);
                         HGDIOBJ old =
                             SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(line, WM_GETFONT, 0, 0)));
                         SIZE extent{};
                         GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent);
                         SelectObject(dc, old);
                         ReleaseDC(line, dc);
                         RECT client;
                         GetClientRect(line, &client);
                         EXPECT_LE(extent.cx, client.right) << language << " " << id << " \"" << text << "\"";
                     }
                     EndDialog(box, 1);
                 }});
    }
}
