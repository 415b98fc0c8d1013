// The form reads a field of at most 19 characters with parseNumber. Whatever
// the bytes, the reader must stay inside the text (the copy below is exactly
// as long as the text, so AddressSanitizer sees any step past it) and must
// give what a plain reading of the same rule gives: the C library's strtod in
// the classic locale, applied to the prefix that the rule admits. The
// window's lenient reading and the command line's strict one, which read a
// comma as the decimal point, must agree with that reference on the text with
// its commas made points: the lenient one always, the strict one by accepting
// exactly the texts that are one finite number between their blanks. The
// batch's padded reader must give what the strict one gives, whatever the
// bytes after the text, and the padded writer what printf writes.
#include <locale.h>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "number_text.h"

using namespace thalwen;

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

// strtod of the first length characters of text, which numberLength admitted; 0 for none.
double referenceValue(const char* text, std::size_t length) {
    if (length == 0) return 0.0;
    std::string prefix(text, length);
    char* prefixEnd = nullptr;
    const double value = strtod_l(prefix.c_str(), &prefixEnd, classicLocale());
    if (static_cast<std::size_t>(prefixEnd - prefix.c_str()) != length)
        fail(text, "the reference reading disagrees with its own scan", value, value);
    return value;
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
    const double expected = referenceValue(text.get(), expectedLength);

    if (end != text.get() + expectedLength) fail(text.get(), "stopped at the wrong character", value, expected);
    // Bit for bit: the sign of a zero and every rounding must match.
    if (std::memcmp(&value, &expected, sizeof value) != 0) fail(text.get(), "wrong value", value, expected);

    std::string dotted(text.get(), length);
    for (char& c : dotted)
        if (c == ',') c = '.';
    const std::size_t dottedLength = numberLength(reinterpret_cast<const unsigned char*>(dotted.c_str()));
    const double dottedValue = referenceValue(dotted.c_str(), dottedLength);
    const std::string_view typed(text.get(), length);
    const double lenient = readLeadingNumber(typed);
    if (std::memcmp(&lenient, &dottedValue, sizeof lenient) != 0)
        fail(text.get(), "the lenient reading gives another value", lenient, dottedValue);

    std::size_t first = 0, last = dotted.size();
    while (first < last && (dotted[first] == ' ' || dotted[first] == '\t')) ++first;
    while (last > first && (dotted[last - 1] == ' ' || dotted[last - 1] == '\t' || dotted[last - 1] == '\r')) --last;
    const std::string trimmed = dotted.substr(first, last - first);
    const std::size_t trimmedLength = numberLength(reinterpret_cast<const unsigned char*>(trimmed.c_str()));
    const double trimmedValue = referenceValue(trimmed.c_str(), trimmedLength);
    const bool wanted = !trimmed.empty() && trimmedLength == trimmed.size() && std::isfinite(trimmedValue);
    double strict = 0.0;
    const bool accepted = readDecimal(typed, strict) == nullptr;
    if (accepted != wanted)
        fail(text.get(), accepted ? "the strict reading accepts it" : "the strict reading refuses it", strict,
             trimmedValue);
    if (accepted && std::memcmp(&strict, &trimmedValue, sizeof strict) != 0)
        fail(text.get(), "the strict reading gives another value", strict, trimmedValue);

    // Just kPadding bytes after the text, so that AddressSanitizer sees a step past them.
    std::unique_ptr<char[]> buffer(new char[length + kPadding]);
    for (std::size_t i = 0; i < length + kPadding; ++i) buffer[i] = size ? static_cast<char>(data[i % size]) : '5';
    double padded = 0.0;
    if ((readDecimalPadded({buffer.get(), length}, padded) == nullptr) != accepted)
        fail(text.get(), "the padded reading accepts other texts", padded, strict);
    if (accepted && std::memcmp(&padded, &strict, sizeof padded) != 0)
        fail(text.get(), "the padded reading gives another value", padded, strict);

    const int decimals = static_cast<int>(size % 18);
    char written[kMaxNumber], printed[kMaxNumber + 1];
    const char* writtenEnd = putFixedPadded(written, value, decimals);
    std::snprintf(printed, sizeof printed, "%.*f", decimals, value);
    if (std::string_view(written, static_cast<std::size_t>(writtenEnd - written)) != printed)
        fail(text.get(), "the padded writer writes another text", value, value);
    return 0;
}
