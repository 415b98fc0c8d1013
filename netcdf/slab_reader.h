// The values of several variables of the root group, paired by dimension name
// as xarray pairs them, read slab by slab as doubles with each value's gap.
//
// A LATITUDE(N_PROF) read with a PRES(N_PROF, N_LEVELS) pairs into
// (N_PROF, N_LEVELS): a dimension one variable lacks broadcasts, each
// latitude standing for every level of its profile. The dimensions come in
// the order of the variable with the most, then those of the others as they
// first appear.
#pragma once

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "boxes.h"
#include "description.h"
#include "input_file.h"

namespace thalwen {

// Why a value is no measurement: a fill value is a gap, never a number.
enum class Gap : std::uint8_t {
    None,
    Fill,        // _FillValue, or netCDF's default fill where no _FillValue is given (not for bytes)
    Missing,     // one of missing_value
    Invalid,     // outside valid_min, valid_max or valid_range
    NotANumber,  // NaN in the file
};

const char* gapName(Gap gap);  // "fill value", "missing value", "outside the valid range", "NaN"

// What makes a gap of a variable's values, by its attributes (CF: the fill and
// missing values compare packed values; valid_* too when of the variable's own
// type, unpacked values otherwise).
struct GapRule {
    bool hasFill = false;
    double fill = 0;
    std::vector<double> missing;
    double validMin = -std::numeric_limits<double>::infinity();
    double validMax = std::numeric_limits<double>::infinity();
    bool validPacked = true;
    double scale = 1;  // unpacked = packed * scale + offset
    double offset = 0;
};

// One variable's values over a slab, in the row-major order of the slab's
// box: unpacked (scale_factor, add_offset), NaN where gaps holds a gap.
struct Column {
    std::vector<double> values;
    std::vector<Gap> gaps;
};

struct Slab {
    Box box;                                   // in the paired dimensions
    std::vector<Column> inputs;                // one for each variable read, in the order asked
    std::vector<std::vector<double>> outputs;  // the caller's, one for each new variable
    std::size_t size() const { return box.size(); }
};

class SlabReader {
public:
    // Pairs the named variables of input's root group; slabs hold at most
    // slabValues samples. A char variable among characters (the quality
    // flags of the profile archives, one character a sample) is read one
    // character a value, its code; its _FillValue is a character too. Throws
    // NetcdfError naming the file and the variable when one is missing, or
    // not of numbers and not among characters. input must outlive the reader.
    SlabReader(const InputFile& input, const std::vector<std::string>& variables, std::size_t slabValues,
               const std::vector<std::string>& characters = {});

    // Values equal to one of these (as the variable stores them: a float
    // variable's as floats) are gaps too, Gap::Missing, in every variable of
    // numbers read: the fill values a file uses without saying so.
    void addMissing(const std::vector<double>& values);

    const std::vector<Dimension>& dimensions() const { return dimensions_; }  // those the variables pair into
    std::vector<std::string> dimensionNames() const;
    std::size_t sampleCount() const;
    // The slabs that cover the paired shape, each sample in one, in the order
    // that reads each chunk of the file once.
    const std::vector<Box>& slabs() const { return slabs_; }
    // How a new variable written slab by slab is best stored: in chunks of
    // one slab, each written whole once, compressed as like is.
    Storage storageLike(const Variable& like) const;

    // Fills slab.inputs for box. netCDF is not thread-safe: one thread reads.
    void read(const Box& box, Slab& slab);

private:
    struct Source {
        const Variable* variable;
        std::vector<std::size_t> axes;  // for each of its dimensions, the paired one
        bool direct;                    // its dimensions are the paired ones, in order
        GapRule rule;
    };

    std::string path_;
    int file_;
    std::vector<Dimension> dimensions_;
    std::vector<Source> sources_;
    Shape slabShape_;
    std::vector<Box> slabs_;
    std::vector<double> values_;  // one variable's own, before they are broadcast
    std::vector<Gap> gaps_;
    std::vector<char> text_;  // a char variable's own, before they are codes
};

}  // namespace thalwen
