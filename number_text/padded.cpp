// The batch's numbers sixteen bytes at a time, with the byte shuffle of
// SSSE3. x86-64 processors have had it since 2006, but Debian builds for the
// first of them, so the processor is asked once, at start; without it (and
// on 32-bit Windows and other processors) the padded entry points are
// readDecimal and putFixed themselves. Whatever the short paths cannot take
// for certain goes to those too, so values and texts stay theirs to the bit.
#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>

#include "number_text.h"

#if (defined(__x86_64__) || defined(_M_X64)) && (defined(__GNUC__) || defined(__clang__))
#include <tmmintrin.h>

namespace thalwen {

namespace {

constexpr double kPowers[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

const bool kSsse3 = [] {
    __builtin_cpu_init();  // a static initializer may run before the one that would do it
    return __builtin_cpu_supports("ssse3") != 0;
}();

// Tables of bytes whose sixteen from offset k are a mask or shuffle that
// depends on k: one load, no arithmetic.
template <std::size_t size>
__m128i sixteenAt(const std::array<unsigned char, size>& table, int k) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(table.data() + k));
}
// From 16 - k: 0xFF (-1) in the bytes before k.
alignas(32) constexpr auto kOnesThenZeros = [] {
    std::array<unsigned char, 32> table{};
    for (std::size_t i = 0; i < 16; ++i) table[i] = 0xFF;
    return table;
}();
// From 16 - k: '0' in every byte but k, '.' there.
alignas(32) constexpr auto kZerosAndPoint = [] {
    std::array<unsigned char, 32> table{};
    for (std::size_t i = 0; i < 32; ++i) table[i] = i == 16 ? '.' : '0';
    return table;
}();
// For n decimals and count digits in all (more than n), the shuffle that
// takes the count last of sixteen digits and leaves a zero byte for the point
// after count - n of them.
alignas(16) constexpr auto kTextShuffles = [] {
    std::array<std::array<std::array<unsigned char, 16>, 16>, 15> table{};
    for (std::size_t n = 0; n < table.size(); ++n)
        for (std::size_t count = n + 1; count < 16; ++count)
            for (std::size_t i = 0, point = count - n; i < 16; ++i)
                table[n][count][i] = i < point                 ? static_cast<unsigned char>(16 - count + i)
                                     : i > point && i <= count ? static_cast<unsigned char>(15 - count + i)
                                                               : 0x80;
    return table;
}();

// readDecimal of a plain decimal of at most sixteen characters (a sign, at
// most 15 digits, at most one '.' or ','); readDecimal itself reads anything
// else.
[[gnu::target("ssse3")]] const char* readDecimalSixteen(std::string_view text, double& value) {
    // An empty text wraps round and goes too.
    if (text.size() - 1 > 15) return readDecimal(text, value);
    const int size = static_cast<int>(text.size());
    const __m128i chars = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data()));
    const __m128i digits = _mm_sub_epi8(chars, _mm_set1_epi8('0'));
    const __m128i isDigit = _mm_cmpeq_epi8(_mm_min_epu8(digits, _mm_set1_epi8(9)), digits);
    auto isEither = [](__m128i chars, char one, char other) {
        return _mm_or_si128(_mm_cmpeq_epi8(chars, _mm_set1_epi8(one)), _mm_cmpeq_epi8(chars, _mm_set1_epi8(other)));
    };
    const unsigned field = (1u << size) - 1;
    const unsigned digitBits = static_cast<unsigned>(_mm_movemask_epi8(isDigit)) & field;
    const unsigned pointBits = static_cast<unsigned>(_mm_movemask_epi8(isEither(chars, '.', ','))) & field;
    const unsigned signBit = static_cast<unsigned>(_mm_movemask_epi8(isEither(chars, '-', '+'))) & 1;
    // Every character a digit, a point or a leading sign; one point at most;
    // a digit at least; fifteen digits at most, in the bytes after the first.
    if ((digitBits | pointBits | signBit) != field || (pointBits & (pointBits - 1)) != 0 || digitBits == 0 ||
        size > 15 + int{pointBits != 0})
        return readDecimal(text, value);
    const int point = std::countr_zero(pointBits | (1u << size));  // or the end

    // The digits, and nothing else of the text or after it, those before the
    // point moved up a byte over it: as an integer of sixteen digits that is
    // below 10^15, exact in a double, and its units digit is byte point.
    const __m128i only = _mm_and_si128(_mm_and_si128(digits, isDigit), sixteenAt(kOnesThenZeros, 16 - size));
    const __m128i aligned =
        _mm_shuffle_epi8(only, _mm_add_epi8(_mm_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15),
                                            sixteenAt(kOnesThenZeros, 15 - point)));
    const __m128i pairs = _mm_maddubs_epi16(aligned, _mm_set1_epi16(0x10A));
    const __m128i fours = _mm_madd_epi16(pairs, _mm_set1_epi32(0x10064));
    const __m128i eights = _mm_madd_epi16(_mm_packs_epi32(fours, fours), _mm_set1_epi32(0x12710));
    const auto halves = static_cast<std::uint64_t>(_mm_cvtsi128_si64(eights));
    const std::uint64_t sixteen = (halves & 0xFFFFFFFF) * 100000000 + (halves >> 32);
    // Both exact, so one division rounds correctly.
    const double magnitude = static_cast<double>(static_cast<std::int64_t>(sixteen)) / kPowers[15 - point];
    value = std::bit_cast<double>(std::bit_cast<std::uint64_t>(magnitude) | std::uint64_t{text[0] == '-'} << 63);
    return nullptr;
}

// Number of decimal digits of value, 1 for 0.
int digitCount(std::uint64_t value) {
    static constexpr auto kTens = [] {
        std::array<std::uint64_t, 20> tens{1};
        for (std::size_t i = 1; i < tens.size(); ++i) tens[i] = tens[i - 1] * 10;
        return tens;
    }();
    // 1233 / 4096 is just above log10(2): the count, or one less.
    const int count = (static_cast<int>(std::bit_width(value | 1)) * 1233) >> 12;
    return count + int{value >= kTens[static_cast<std::size_t>(count)]};
}

// A group of four digits, below 10^4, divided by 1000, 100, 10 and 1 at once
// with 16-bit multiplications keeping the high halves: four times the group,
// by a reciprocal, by a power of two (a shift right). Checked here for every
// group.
constexpr unsigned kReciprocals[] = {8389, 5243, 52429, 32768};
constexpr unsigned kShifts[] = {128, 2048, 2048, 32768};
constexpr bool quotientsExact() {
    for (unsigned group = 0; group < 10000; ++group)
        for (unsigned lane = 0, divisor = 1000; lane < 4; ++lane, divisor /= 10)
            if ((((group * 4 * kReciprocals[lane]) >> 16) * kShifts[lane]) >> 16 != group / divisor) return false;
    return true;
}
static_assert(quotientsExact());

// The decimal digits of value, below 10^16, as sixteen bytes of 0 to 9, the
// leading one first: each group of four digits divided by 1000, 100, 10 and
// 1, and each quotient less ten times the one before is a digit.
[[gnu::target("ssse3")]] __m128i sixteenDigits(std::uint64_t value) {
    auto lanes = [](const unsigned(&four)[4]) {
        return _mm_set_epi16(static_cast<short>(four[3]), static_cast<short>(four[2]), static_cast<short>(four[1]),
                             static_cast<short>(four[0]), static_cast<short>(four[3]), static_cast<short>(four[2]),
                             static_cast<short>(four[1]), static_cast<short>(four[0]));
    };
    const __m128i reciprocals = lanes(kReciprocals), shifts = lanes(kShifts);
    auto digitsOf = [&](__m128i copies) {  // four lanes of each of two groups
        const __m128i quotients = _mm_mulhi_epu16(_mm_mulhi_epu16(_mm_slli_epi16(copies, 2), reciprocals), shifts);
        return _mm_sub_epi16(quotients, _mm_slli_epi64(_mm_mullo_epi16(quotients, _mm_set1_epi16(10)), 16));
    };
    // The groups in bytes 0 to 3, and 8 to 11, each copied into four lanes.
    const __m128i spreadLow = _mm_setr_epi8(0, 1, 0, 1, 0, 1, 0, 1, 2, 3, 2, 3, 2, 3, 2, 3);
    const __m128i spreadHigh = _mm_setr_epi8(8, 9, 8, 9, 8, 9, 8, 9, 10, 11, 10, 11, 10, 11, 10, 11);
    // Most numbers a batch writes have at most eight digits: half the work.
    if (value < 100000000) {
        const auto low = static_cast<std::uint32_t>(value);
        const __m128i groups = _mm_cvtsi32_si128(static_cast<int>(low / 10000 | low % 10000 << 16));
        return _mm_packus_epi16(_mm_setzero_si128(), digitsOf(_mm_shuffle_epi8(groups, spreadLow)));
    }
    // The two halves of eight digits, each divided by 10^4 at once (below
    // 10^8, x * ceil(2^44 / 10^4) / 2^44 errs by less than 10^-5).
    const __m128i halves =
        _mm_set_epi64x(static_cast<std::int64_t>(value % 100000000), static_cast<std::int64_t>(value / 100000000));
    const __m128i quotients = _mm_srli_epi64(_mm_mul_epu32(halves, _mm_set1_epi32(0x68DB8BAD)), 44);
    const __m128i remainders = _mm_sub_epi32(halves, _mm_mul_epu32(quotients, _mm_set1_epi32(10000)));
    const __m128i groups = _mm_or_si128(quotients, _mm_slli_epi64(remainders, 16));
    return _mm_packus_epi16(digitsOf(_mm_shuffle_epi8(groups, spreadLow)),
                            digitsOf(_mm_shuffle_epi8(groups, spreadHigh)));
}

// putFixed of up to fifteen digits, all at once; putFixed itself writes the
// rest. |value| x 10^decimals in double is the exact product rounded once,
// and rounding that to an integer gives what printf gives, unless the
// product is a half integer (below 2^52 every one is a double): the exact
// product may then lie on either side of it, or on it, and putFixed's exact
// integers decide.
[[gnu::target("ssse3")]] char* putFixedSixteen(char* p, double value, int decimals) {
    constexpr double kLargest = 999999999999999.0;  // fifteen digits, and the point, in sixteen bytes
    if (static_cast<unsigned>(decimals) > 14) return putFixed(p, value, decimals);
    const double scaled = std::fabs(value) * kPowers[decimals];
    if (!(scaled <= kLargest)) return putFixed(p, value, decimals);  // NaN too
    // Rounded half to even, as the processor rounds in the mode Thalwen never changes.
    const std::int64_t whole = _mm_cvtsd_si64(_mm_set_sd(scaled));
    if (std::fabs(scaled - static_cast<double>(whole)) == 0.5) return putFixed(p, value, decimals);

    // The digits, the point between, '0' added to every byte but the point's.
    const int count = std::max(digitCount(static_cast<std::uint64_t>(whole)), decimals + 1);
    const __m128i shuffle = _mm_load_si128(reinterpret_cast<const __m128i*>(kTextShuffles[decimals][count].data()));
    const __m128i text = _mm_add_epi8(_mm_shuffle_epi8(sixteenDigits(static_cast<std::uint64_t>(whole)), shuffle),
                                      sixteenAt(kZerosAndPoint, 16 - count + decimals));
    *p = '-';
    p += std::signbit(value);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), text);
    return p + count + int{decimals > 0};
}

}  // namespace

const char* readDecimalPadded(std::string_view text, double& value) {
    return kSsse3 ? readDecimalSixteen(text, value) : readDecimal(text, value);
}

char* putFixedPadded(char* p, double value, int decimals) {
    return kSsse3 ? putFixedSixteen(p, value, decimals) : putFixed(p, value, decimals);
}

const char* paddedPath() { return kSsse3 ? "SSSE3" : "plain"; }

}  // namespace thalwen

#else

namespace thalwen {

const char* readDecimalPadded(std::string_view text, double& value) { return readDecimal(text, value); }
char* putFixedPadded(char* p, double value, int decimals) { return putFixed(p, value, decimals); }
const char* paddedPath() { return "plain"; }

}  // namespace thalwen

#endif
