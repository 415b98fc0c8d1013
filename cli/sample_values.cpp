#include "sample_values.h"

#include "number_text.h"

namespace thalwen {

namespace {

constexpr QuantitySet salinityInputs() {
    QuantitySet set;
    for (const QuantityInfo& info : kQuantities)
        if (info.salinityRelated) set.add(info.quantity);
    return set;
}
constexpr QuantitySet kSalinityInputs = salinityInputs();

// A longer text is shortened in messages.
constexpr std::size_t kQuotedLimit = 60;

}  // namespace

bool anySalinityRelated(QuantitySet quantities) { return (quantities.bits() & kSalinityInputs.bits()) != 0; }

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

std::string whatIsWrong(std::string_view text, const char* reason) {
    return trimBlanks(text).empty() ? std::string(reason) : std::string("is ") + reason;
}

}  // namespace thalwen
