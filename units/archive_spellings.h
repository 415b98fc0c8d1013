// The unit spellings of ocean archives, instrument files and spreadsheets that
// UDUNITS-2 lacks or reads as another unit, each with what it means here and
// why it is here.
#pragma once

namespace thalwen {

enum class SpellingUse {
    Word,               // taught to UDUNITS-2 as a unit, so that prefixes and products take it (mmho/cm)
    Text,               // the whole text (in any case, blanks as one), whatever the quantity
    PracticalSalinity,  // the whole text, for Practical Salinity alone
};

struct ArchiveSpelling {
    const char* text;
    const char* meaning;  // as UDUNITS-2 reads it; nullptr refuses the text, why telling the user
    SpellingUse use;
    const char* why;
};

namespace spelling_reasons {
inline constexpr char kMho[] =
    "the mho, the siemens's old name, which UDUNITS-2 lacks: the profile archives write conductivity in mhos/m, "
    "instruments in mmho/cm";
inline constexpr char kDegreeTimes[] =
    "UDUNITS-2 reads a degree of angle times what follows: a coulomb (C), a farad (F), a degree Celsius";
inline constexpr char kTemperatureScale[] = "the temperature scale named, as CTD software writes it";
inline constexpr char kSalinityScale[] =
    "names the Practical Salinity Scale of 1978, which is no unit: UDUNITS-2 does not know it";
inline constexpr char kCfSalinity[] =
    "CF writes sea_water_salinity, for the most part on the Practical Salinity Scale, in 1e-3 (parts per "
    "thousand): the number is the salinity, which UDUNITS-2 would divide by 1000";
inline constexpr char kPartsPerThousand[] =
    "is parts per thousand, in which both Practical Salinity and Absolute Salinity (g/kg) are written: write psu, "
    "1 or PSS-78 for Practical Salinity";
}  // namespace spelling_reasons

// clang-format off
inline constexpr ArchiveSpelling kArchiveSpellings[] = {
    {"mho", "S", SpellingUse::Word, spelling_reasons::kMho},
    {"mhos", "S", SpellingUse::Word, spelling_reasons::kMho},
    {"db", "dbar", SpellingUse::Text, "decibar in CTD files and archives; UDUNITS-2 reads a decibarn, an area"},
    {"deg C", "degC", SpellingUse::Text, spelling_reasons::kDegreeTimes},
    {"deg. C", "degC", SpellingUse::Text, spelling_reasons::kDegreeTimes},
    {"degree C", "degC", SpellingUse::Text, spelling_reasons::kDegreeTimes},
    {"degrees C", "degC", SpellingUse::Text, spelling_reasons::kDegreeTimes},
    {"degree Celsius", "degC", SpellingUse::Text, spelling_reasons::kDegreeTimes},
    {"degrees Celsius", "degC", SpellingUse::Text, spelling_reasons::kDegreeTimes},
    {"deg F", "degF", SpellingUse::Text, spelling_reasons::kDegreeTimes},
    {"degrees F", "degF", SpellingUse::Text, spelling_reasons::kDegreeTimes},
    {"degrees Fahrenheit", "degF", SpellingUse::Text, spelling_reasons::kDegreeTimes},
    {"C", "degC", SpellingUse::Text, "a temperature column's unit; UDUNITS-2 reads the coulomb"},
    {"F", "degF", SpellingUse::Text, "a temperature column's unit; UDUNITS-2 reads the farad"},
    {"ITS-90, deg C", "degC", SpellingUse::Text, spelling_reasons::kTemperatureScale},
    {"ITS-90, deg F", "degF", SpellingUse::Text, spelling_reasons::kTemperatureScale},
    {"IPTS-68, deg C", nullptr, SpellingUse::Text,
     "is on the 1968 temperature scale: give it on the 1990 scale (ITS-90, 1.00024 times smaller)"},
    {"deg", "degree", SpellingUse::Text, "the degree of angle shortened, as position columns write it"},
    {"decimal degrees", "degree", SpellingUse::Text, "as spreadsheets of positions write it"},
    {"psu", "1", SpellingUse::PracticalSalinity, spelling_reasons::kSalinityScale},
    {"pss", "1", SpellingUse::PracticalSalinity, spelling_reasons::kSalinityScale},
    {"PSS-78", "1", SpellingUse::PracticalSalinity, spelling_reasons::kSalinityScale},
    {"PSS78", "1", SpellingUse::PracticalSalinity, spelling_reasons::kSalinityScale},
    {"1e-3", "1", SpellingUse::PracticalSalinity, spelling_reasons::kCfSalinity},
    {"0.001", "1", SpellingUse::PracticalSalinity, spelling_reasons::kCfSalinity},
    {"ppt", nullptr, SpellingUse::PracticalSalinity, spelling_reasons::kPartsPerThousand},
    {"‰", nullptr, SpellingUse::PracticalSalinity, spelling_reasons::kPartsPerThousand},
    {"o/oo", nullptr, SpellingUse::PracticalSalinity, spelling_reasons::kPartsPerThousand},
};
// clang-format on

}  // namespace thalwen
