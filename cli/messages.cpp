#include "messages.h"

#include <algorithm>

#include "number_text.h"

namespace thalwen {

namespace {

// A longer text is shortened in messages.
constexpr std::size_t kQuotedLimit = 60;

}  // namespace

// Line breaks (a quoted cell may hold them) written as \n and \r: a report
// stays one line. Appended piece by piece: GCC 12 at -O3 sees a false overlap
// in "'" + std::string(text) and warns (-Wrestrict).
std::string quoted(std::string_view text) {
    std::string result;
    result.reserve(std::min(text.size(), kQuotedLimit) + 5);
    result += '\'';
    for (char c : text.substr(0, kQuotedLimit)) result += c == '\n' ? "\\n" : c == '\r' ? "\\r" : std::string(1, c);
    result += '\'';
    if (text.size() > kQuotedLimit) result += "...";
    return result;
}

std::string valueError(std::string_view place, std::string_view text, std::string_view what) {
    std::string error(place);
    error += ": ";
    text = trimBlanks(text);
    if (!text.empty()) (error += quoted(text)) += ' ';
    return error += what;
}

std::string shellWord(std::string_view text) {
    const bool plain = std::all_of(text.begin(), text.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               std::string_view("_./:=@%+-,").find(c) != std::string_view::npos;
    });
    if (plain) return std::string(text);
    std::string word = "'";
    for (char c : text) word += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return word + "'";
}

std::size_t displayWidth(std::string_view text) {
    std::size_t width = 0;
    for (unsigned char c : text) width += (c & 0xC0) != 0x80;
    return width;
}

}  // namespace thalwen
