// The About and Author boxes and the two licence documents.
#pragma once

#include <windows.h>

#include <cstddef>
#include <ctime>
#include <string>

namespace thalwen {

INT_PTR CALLBACK aboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK authorDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// When this program was built, e.g. "Jan  4 2026 - 23:55:07".
extern const char kBuildTimestamp[];

// "Jan  4 2026 - 23:55:07" read as local time; -1 when the text has another form.
std::time_t parseBuildTimestamp(const char* text);

// The About box's build line: the timestamp day first, "04/01/2026 23:55:07".
// A text that parseBuildTimestamp cannot read is copied as it stands.
void formatBuildTime(const char* timestamp, char* buffer, std::size_t size);

// The licence documents of IDM_TEOS10_LICENCE and IDM_LICENCE: a local file,
// relative to the current directory, and the page to open when the file
// cannot be read.
constexpr const char* kTeos10LicenceFile = "license.TEOS-10.pdf";
constexpr const char* kTeos10LicenceAddress = "http://www.teos-10.org/pubs/gsw/html/gsw_licence.html";
constexpr const char* kLicenceFile = "license.pdf";
constexpr const char* kLicenceAddress = "https://creativecommons.org/licenses/by-nc-nd/4.0/legalcode";

bool canOpenForReading(const char* path);

// What the desktop was asked to open (a file by its full path, or an
// address) and whether it took it.
struct Opening {
    std::string target;
    bool opened;
};

// Hands target, a file or an address, to the desktop's default application.
Opening openWithDesktop(HWND owner, const char* target);

// The local file when it can be read, else the web address.
Opening openDocument(HWND owner, const char* fileName, const char* webAddress);

}  // namespace thalwen
