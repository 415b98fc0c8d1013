// The English and French texts of the interface, and the language dialog.
#pragma once

#include <windows.h>

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

INT_PTR CALLBACK languageDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
