#include "udunits.h"

#include <locale.h>
#include <udunits2.h>

#include <cmath>
#include <memory>
#include <mutex>
#include <optional>

#include "archive_spellings.h"

namespace thalwen::udunits {

namespace {

// Numbers are read in the classic locale for the time of one call, in this
// thread alone: a French or German locale would have UDUNITS-2 read no
// number with a decimal point, those of its own database included.
#ifdef _WIN32
struct ClassicNumbers {
    int previousMode = _configthreadlocale(_ENABLE_PER_THREAD_LOCALE);
    std::string previous = setlocale(LC_NUMERIC, nullptr);
    ClassicNumbers() { setlocale(LC_NUMERIC, "C"); }
    ~ClassicNumbers() {
        setlocale(LC_NUMERIC, previous.c_str());
        _configthreadlocale(previousMode);
    }
};
#else
struct ClassicNumbers {
    locale_t classic = newlocale(LC_ALL_MASK, "C", locale_t{});
    locale_t previous = uselocale(classic);
    ~ClassicNumbers() {
        uselocale(previous);
        freelocale(classic);
    }
};
#endif

// The error handler is the process's, which another user of UDUNITS-2 in the
// same process (a Python module) may have set: it is put back after the call.
struct Quiet {
    ut_error_message_handler previous = ut_set_error_message_handler(ut_ignore);
    ~Quiet() { ut_set_error_message_handler(previous); }
};

struct UnitFree {
    void operator()(ut_unit* unit) const { ut_free(unit); }
};
using Unit = std::unique_ptr<ut_unit, UnitFree>;

struct ConverterFree {
    void operator()(cv_converter* converter) const { cv_free(converter); }
};
using Converter = std::unique_ptr<cv_converter, ConverterFree>;

std::string databaseProblem() {
    ut_status source = UT_OPEN_DEFAULT;
    const std::string path = ut_get_path_xml(nullptr, &source);
    if (source == UT_OPEN_ENV)
        return "UDUNITS-2 cannot read the unit database that UDUNITS2_XML_PATH names: '" + path + "'";
    return "UDUNITS-2 cannot read its unit database '" + path +
           "' (Debian's package libudunits2-data holds it; UDUNITS2_XML_PATH may name another)";
}

// The archives' words that UDUNITS-2 lacks become symbols of its own, which
// take prefixes (mmho) and enter products (mho cm-1).
void teachArchiveWords(ut_system* system) {
    for (const ArchiveSpelling& spelling : kArchiveSpellings) {
        if (spelling.use != SpellingUse::Word) continue;
        const Unit meaning(ut_parse(system, spelling.meaning, UT_UTF8));
        ut_map_symbol_to_unit(spelling.text, UT_UTF8, meaning.get());
    }
}

// Read on the first question only (a single conversion never asks one), and
// freed at exit.
struct UnitSystem {
    ut_system* system = ut_read_xml(nullptr);
    std::string problem = system ? "" : databaseProblem();
    UnitSystem() {
        if (system) teachArchiveWords(system);
    }
    ~UnitSystem() {
        if (system) ut_free_system(system);
    }
    UnitSystem(const UnitSystem&) = delete;
    UnitSystem& operator=(const UnitSystem&) = delete;
};

std::mutex lock;

// UDUNITS-2 takes the radian for a pure number: a degree would slip into any
// product ("degrees Celsius" reads as pi/180 of a degree Celsius) and a pure
// number would pass for an angle (an empty unit for a longitude in radians).
// Its definition in base units tells whether a unit holds an angle.
std::optional<bool> holdsAnAngle(const ut_unit* unit) {
    char definition[512];
    const int length = ut_format(unit, definition, sizeof definition, UT_ASCII | UT_DEFINITION);
    if (length < 0 || length >= static_cast<int>(sizeof definition)) return std::nullopt;
    return std::string_view(definition, length).find("rad") != std::string_view::npos;
}

// UDUNITS-2 converts by value * scale + offset, rounded as the product of its
// scales: at 2^100 the offset falls below the product's rounding, which gives
// the scale exactly, and 0 gives the offset. A logarithmic unit fails the
// test of 1 and -1.
std::optional<UnitMap> linearMap(const cv_converter* converter) {
    constexpr double kFar = 0x1p100;
    const double offset = cv_convert_double(converter, 0);
    const double scale = cv_convert_double(converter, kFar) / kFar;
    if (!std::isfinite(scale) || !std::isfinite(offset) || scale == 0) return std::nullopt;
    const double tolerance = 1e-9 * (std::fabs(scale) + std::fabs(offset));
    if (std::fabs(cv_convert_double(converter, 1) - (offset + scale)) > tolerance ||
        std::fabs(cv_convert_double(converter, -1) - (offset - scale)) > tolerance)
        return std::nullopt;
    return UnitMap{scale, offset};
}

}  // namespace

Conversion convert(std::string_view source, std::string_view target) {
    const std::lock_guard<std::mutex> locked(lock);
    const ClassicNumbers classicNumbers;
    const Quiet quiet;
    static const UnitSystem units;
    if (!units.system) return {Answer::NoDatabase, {}, units.problem};
    const Unit to(ut_parse(units.system, std::string(target).c_str(), UT_UTF8));
    if (!to) return {Answer::UnknownTarget};
    const Unit from(ut_parse(units.system, std::string(source).c_str(), UT_UTF8));
    if (!from) return {Answer::UnknownSource};
    const std::optional<bool> angle = holdsAnAngle(from.get());
    if (!ut_are_convertible(from.get(), to.get()) || !angle || angle != holdsAnAngle(to.get()))
        return {Answer::Inconvertible};
    const Converter converter(ut_get_converter(from.get(), to.get()));
    const std::optional<UnitMap> map = linearMap(converter.get());
    if (!map) return {Answer::NotLinear};
    return {Answer::Converted, *map};
}

}  // namespace thalwen::udunits
