// The English and French texts of the interface, and the language dialog.
#pragma once

#include <windows.h>

namespace thalwen {

struct TranslationEntry {
    int id;                // control id or text id; 0 ends the table
    const char* text;      // Windows-1252
    const char* language;  // "en" or "fr"
};

struct LanguageEntry {
    const char* code;  // empty ends the list
    const char* name;  // Windows-1252
};

extern const TranslationEntry translationTable[];
extern const LanguageEntry languageList[];

// The user's language if we have it, otherwise "en". Returns a process-wide buffer.
const char* systemLanguage();

// Sets the texts of the dialog's controls from the rows of that language.
void applyTexts(HWND dialog, const char* language);

// The text of id in language, or nullptr.
const char* lookupText(int id, const char* language);

// Room for a language code and its terminator, as in currentLanguage.
constexpr int kLanguageCodeSize = 10;

// Copies a language code into a buffer of kLanguageCodeSize characters,
// padding with NULs and always leaving it terminated.
void copyLanguageCode(char* destination, const char* code);

// What the language dialog gives back: the code of the language chosen.
struct LanguageChoice {
    const char* code = nullptr;  // one of languageList's, once chosen
};

// The language dialog RCBoxLanguage. Its parameter (lParam of WM_INITDIALOG)
// points to a LanguageChoice: the dialog ends with 1 once the user chose a
// language, whose code it has put there, and with 0 when they keep the one
// in use. It changes nothing else.
INT_PTR CALLBACK languageDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace thalwen
