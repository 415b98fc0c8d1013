#include "unit_reading.h"

#include <optional>
#include <stdexcept>

#include "archive_spellings.h"
#include "udunits.h"

namespace thalwen {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

// ASCII letters in lower case and each run of blanks as one space: how the
// archive spellings and the compass points are compared.
std::string folded(std::string_view text) {
    std::string folded;
    for (const char c : trimmed(text)) {
        if (!isBlank(c))
            folded += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        else if (folded.back() != ' ')
            folded += ' ';
    }
    return folded;
}

const ArchiveSpelling* archiveSpelling(std::string_view text, const UnitTarget& target) {
    const std::string key = folded(text);
    for (const ArchiveSpelling& spelling : kArchiveSpellings) {
        if (spelling.use == SpellingUse::Word) continue;  // UDUNITS-2 knows those
        if (spelling.use == SpellingUse::PracticalSalinity && !target.practicalSalinity) continue;
        if (folded(spelling.text) == key) return &spelling;
    }
    return nullptr;
}

// UDUNITS-2 reads degree_north and degree_east as the same degree of angle,
// has no south and no °E: the direction is read here, so that a latitude in
// degrees_east is refused and one in degrees_south changes sign.
struct Compass {
    char axis;    // 'E' east-west, 'N' north-south
    double sign;  // -1 towards the west and the south
};

struct CompassPoint {
    std::string_view word;
    Compass compass;
};

constexpr CompassPoint kCompassPoints[] = {
    {"east", {'E', 1}},  {"e", {'E', 1}}, {"west", {'E', -1}},  {"w", {'E', -1}},
    {"north", {'N', 1}}, {"n", {'N', 1}}, {"south", {'N', -1}}, {"s", {'N', -1}},
};

// degrees_east, degree_E, degreesE, °E, deg W, degrees south...
std::optional<Compass> compassOf(std::string_view text) {
    const std::string word = folded(text);
    // The longest first: "degrees" is the plural, not a degree south.
    for (const std::string_view degree : {"degrees", "degree", "deg", "°"}) {
        if (!std::string_view(word).starts_with(degree)) continue;
        std::string_view point = std::string_view(word).substr(degree.size());
        if (point.starts_with('_') || point.starts_with(' ')) point.remove_prefix(1);
        for (const CompassPoint& compassPoint : kCompassPoints)
            if (point == compassPoint.word) return compassPoint.compass;
        return std::nullopt;
    }
    return std::nullopt;
}

// UDUNITS-2 converts any ratio into any other (a percentage into a specific
// gravity, g/kg into Practical Salinity): a quantity that is a ratio takes
// only the texts that mean its own unit.
bool isRatio(const UnitTarget& target) {
    return udunits::convert("1", target.engineUnit).answer == udunits::Answer::Converted;
}

std::string quoted(std::string_view text) { return text.empty() ? "'' (no unit)" : "'" + std::string(text) + "'"; }

UnitReading refused(std::string message) { return {UnitStatus::Refused, {}, std::move(message)}; }

UnitReading notAUnitOf(std::string_view text, const UnitTarget& target) {
    return refused(quoted(text) + " is not a unit of " + std::string(target.name));
}

}  // namespace

UnitReading readUnit(std::string_view text, const UnitTarget& target) {
    text = trimmed(text);
    std::string_view meaning = text;
    if (const ArchiveSpelling* spelling = archiveSpelling(text, target)) {
        if (!spelling->meaning) return refused(quoted(text) + " " + spelling->why);
        meaning = spelling->meaning;
    }
    double sign = 1;
    if (const std::optional<Compass> compass = compassOf(meaning)) {
        const std::optional<Compass> wanted = compassOf(target.engineUnit);
        if (wanted && wanted->axis != compass->axis) return notAUnitOf(text, target);
        meaning = "degree";
        sign = compass->sign;
    }

    udunits::Conversion conversion = udunits::convert(meaning, target.engineUnit);
    switch (conversion.answer) {
    case udunits::Answer::Converted:
        break;
    case udunits::Answer::NoDatabase:
        return {UnitStatus::NoDatabase, {}, std::move(conversion.problem)};
    case udunits::Answer::UnknownTarget:
        throw std::invalid_argument("UDUNITS-2 does not know '" + std::string(target.engineUnit) +
                                    "', the engine's unit of " + std::string(target.name));
    case udunits::Answer::UnknownSource:
        return refused(quoted(text) + " is not a unit UDUNITS-2 knows");
    case udunits::Answer::Inconvertible:
        return notAUnitOf(text, target);
    case udunits::Answer::NotLinear:
        return refused(quoted(text) + " is not a linear unit of " + std::string(target.name));
    }
    const UnitMap identity;
    if (isRatio(target) && (conversion.map.scale != identity.scale || conversion.map.offset != identity.offset))
        return notAUnitOf(text, target);
    conversion.map.scale *= sign;
    return {UnitStatus::Read, conversion.map, ""};
}

}  // namespace thalwen
