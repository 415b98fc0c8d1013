// The form reads a field of at most 19 characters with parseNumber. Whatever
// the bytes, the reader must stay inside the text (the copy below is exactly
// as long as the text, so AddressSanitizer sees any step past it) and must
// give what a plain reading of the same rule gives: the C library's strtod in
// the classic locale, applied to the prefix that the rule admits.
#include <locale.h>
#include <clocale>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "number_text.h"

namespace {

constexpr std::size_t kFieldCharacters = 19;

bool blank(unsigned char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool digit(unsigned char c) { return c >= '0' && c <= '9'; }

// Length of the number at the start of text under the rule: blanks, an
// optional sign, digits with at most one '.' and at least one digit in all,
// then an exponent only when at least one digit follows the 'e' and its
// optional sign. 0 when the text holds no number.
std::size_t numberLength(const unsigned char* text) {
    std::size_t i = 0;
    while (blank(text[i])) ++i;
    if (text[i] == '+' || text[i] == '-') ++i;
    std::size_t digitCount = 0;
    bool point = false;
    for (;; ++i) {
        if (digit(text[i])) {
            ++digitCount;
        } else if (text[i] == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (digitCount == 0) return 0;
    if (text[i] == 'e' || text[i] == 'E') {
        std::size_t j = i + 1;
        if (text[j] == '+' || text[j] == '-') ++j;
        if (digit(text[j])) {
            while (digit(text[j])) ++j;
            i = j;
        }
    }
    return i;
}

locale_t classicLocale() {
    static locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    return locale;
}

[[noreturn]] void fail(const char* text, const char* what, double got, double expected) {
    std::fprintf(stderr, "number reader: text \"%s\": %s (got %a, expected %a)\n", text, what, got, expected);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::size_t length = size < kFieldCharacters ? size : kFieldCharacters;
    std::unique_ptr<char[]> text(new char[length + 1]);
    std::memcpy(text.get(), data, length);
    text[length] = '\0';

    const char* end = nullptr;
    const double value = parseNumber(text.get(), &end);

    const std::size_t expectedLength = numberLength(reinterpret_cast<const unsigned char*>(text.get()));
    double expected = 0.0;
    if (expectedLength > 0) {
        std::string prefix(text.get(), expectedLength);
        char* prefixEnd = nullptr;
        expected = strtod_l(prefix.c_str(), &prefixEnd, classicLocale());
        if (static_cast<std::size_t>(prefixEnd - prefix.c_str()) != expectedLength)
            fail(text.get(), "the reference reading disagrees with its own scan", value, expected);
    }

    if (end != text.get() + expectedLength) fail(text.get(), "stopped at the wrong character", value, expected);
    // Bit for bit: the sign of a zero and every rounding must match.
    if (std::memcmp(&value, &expected, sizeof value) != 0) fail(text.get(), "wrong value", value, expected);
    return 0;
}
