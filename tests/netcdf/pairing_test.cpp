// Variables of different shapes paired by dimension name, slab by slab, and
// what the caller makes of each slab written into the new variables.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "convert_slabs.h"
#include "test_files.h"

namespace thalwen {
namespace {

using namespace test;

constexpr std::size_t kProfiles = 5, kLevels = 7;

// PRES = 100 p + l over (profile p, level l), LATITUDE = p, LEVEL = l,
// TRANSPOSED = 1000 l + p over (level, profile), SCALE = 42; PRES is chunked
// when chunks.
void makeProfiles(const std::string& path, int mode, std::vector<std::size_t> chunks) {
    const int f = create(path, mode);
    const int profiles = dimension(f, "N_PROF", kProfiles), levels = dimension(f, "N_LEVELS", kLevels);
    const int latitude = variable(f, "LATITUDE", NC_DOUBLE, {profiles});
    const int level = variable(f, "LEVEL", NC_BYTE, {levels});
    const int pres = variable(f, "PRES", NC_FLOAT, {profiles, levels});
    if (!chunks.empty()) nc(nc_def_var_chunking(f, pres, NC_CHUNKED, chunks.data()));
    numbers(f, pres, "_FillValue", NC_FLOAT, {99999});
    const int transposed = variable(f, "TRANSPOSED", NC_INT, {levels, profiles});
    const int scale = variable(f, "SCALE", NC_SHORT, {});
    nc(nc_enddef(f));
    std::vector<double> byProfile, byLevel(kProfiles * kLevels), latitudes, levelNumbers;
    for (std::size_t l = 0; l < kLevels; ++l) levelNumbers.push_back(static_cast<double>(l));
    for (std::size_t p = 0; p < kProfiles; ++p) {
        latitudes.push_back(static_cast<double>(p));
        for (std::size_t l = 0; l < kLevels; ++l) {
            byProfile.push_back(p == 1 && l == 2 ? 99999 : 100.0 * p + l);
            byLevel[l * kProfiles + p] = 1000.0 * l + p;
        }
    }
    put(f, latitude, latitudes);
    put(f, level, levelNumbers);
    put(f, pres, byProfile);
    put(f, transposed, byLevel);
    put(f, scale, {42});
    nc(nc_close(f));
}

const struct {
    int mode;
    std::vector<std::size_t> chunks;
    std::size_t slabValues;
} kLayouts[] = {
    {0, {}, 4},                // rows cut in the middle
    {0, {}, 1000},             // one slab
    {NC_NETCDF4, {2, 3}, 4},   // slabs within a chunk
    {NC_NETCDF4, {2, 3}, 13},  // slabs of whole chunks
    {NC_NETCDF4, {3, 7}, 10},  // a chunk's length cut where no slab length divides it evenly
};

TEST(NetcdfPairing, BroadcastsWhatAVariableLacksSlabBySlab) {
    for (const auto& layout : kLayouts) {
        SCOPED_TRACE("mode " + std::to_string(layout.mode) + ", slabs of " + std::to_string(layout.slabValues));
        const Folder folder;
        makeProfiles(folder.file("in.nc"), layout.mode, layout.chunks);
        const InputFile input(folder.file("in.nc"));
        // The dimensions are those of PRES, which has the most: not LEVEL's first.
        // The dimensions are those of PRES, which has the most: not LEVEL's first.
        SlabReader reader(input, {"LEVEL", "LATITUDE", "PRES", "TRANSPOSED", "SCALE"}, layout.slabValues);
        EXPECT_EQ(reader.dimensionNames(), (std::vector<std::string>{"N_PROF", "N_LEVELS"}));
        std::vector<int> visits(kProfiles * kLevels, 0);
        Slab slab;
        for (const Box& box : reader.slabs()) {
            EXPECT_LE(box.size(), layout.slabValues);
            reader.read(box, slab);
            for (std::size_t i = 0; i < slab.size(); ++i) {
                const std::size_t p = box.start[0] + i / box.count[1], l = box.start[1] + i % box.count[1];
                ++visits[p * kLevels + l];
                EXPECT_EQ(slab.inputs[0].values[i], l);
                EXPECT_EQ(slab.inputs[1].values[i], p);
                if (p == 1 && l == 2)
                    EXPECT_EQ(slab.inputs[2].gaps[i], Gap::Fill);
                else
                    EXPECT_EQ(slab.inputs[2].values[i], 100.0 * p + l);
                EXPECT_EQ(slab.inputs[3].values[i], 1000.0 * l + p);
                EXPECT_EQ(slab.inputs[4].values[i], 42);
            }
        }
        EXPECT_EQ(visits, std::vector<int>(kProfiles * kLevels, 1));
    }
}

TEST(NetcdfPairing, BroadcastsOverAGrid) {
    // A gridded product: TEMP = 100 t + 10 d + x over (TIME, DEPTH, LAT),
    // DEPTH = d and LAT = x, read in slabs of rows and whole.
    const Folder folder;
    const int f = create(folder.file("in.nc"), 0);
    const int time = dimension(f, "TIME", 2), depth = dimension(f, "DEPTH", 3), lat = dimension(f, "LAT", 4);
    const int temp = variable(f, "TEMP", NC_DOUBLE, {time, depth, lat});
    const int depths = variable(f, "DEPTH", NC_DOUBLE, {depth}), lats = variable(f, "LAT", NC_DOUBLE, {lat});
    nc(nc_enddef(f));
    std::vector<double> grid;
    for (int t = 0; t < 2; ++t)
        for (int d = 0; d < 3; ++d)
            for (int x = 0; x < 4; ++x) grid.push_back(100 * t + 10 * d + x);
    put(f, temp, grid);
    put(f, depths, {0, 1, 2});
    put(f, lats, {0, 1, 2, 3});
    nc(nc_close(f));
    const InputFile input(folder.file("in.nc"));
    for (std::size_t slabValues : {5, 24}) {
        SlabReader reader(input, {"DEPTH", "TEMP", "LAT"}, slabValues);
        Slab slab;
        for (const Box& box : reader.slabs()) {
            reader.read(box, slab);
            for (std::size_t i = 0; i < slab.size(); ++i) {
                const double value = slab.inputs[1].values[i];
                EXPECT_EQ(slab.inputs[0].values[i], std::fmod(std::floor(value / 10), 10)) << value;
                EXPECT_EQ(slab.inputs[2].values[i], std::fmod(value, 10)) << value;
            }
        }
    }
}

TEST(NetcdfPairing, WritesWhatEachThreadMakesOfItsSlabs) {
    for (unsigned jobs : {1u, 3u}) {
        for (const auto& layout : kLayouts) {
            SCOPED_TRACE(std::to_string(jobs) + " jobs, slabs of " + std::to_string(layout.slabValues));
            const Folder folder;
            makeProfiles(folder.file("in.nc"), layout.mode, layout.chunks);
            const InputFile input(folder.file("in.nc"));
            SlabReader reader(input, {"PRES", "LATITUDE"}, layout.slabValues);
            const NewVariable sum{"SUM",
                                  reader.dimensionNames(),
                                  {numberAttribute("_FillValue", -1)},
                                  reader.storageLike(*findVariable(input.description().root, "PRES"))};
            OutputFile output(input, folder.file("out.nc"), {sum}, "");
            convertSlabs(reader, output, jobs, [](Slab& slab) {
                for (std::size_t i = 0; i < slab.size(); ++i)  // a gap's result is left unset
                    if (slab.inputs[0].gaps[i] == Gap::None)
                        slab.outputs[0][i] = slab.inputs[0].values[i] + slab.inputs[1].values[i];
            });
            output.commit();
            std::vector<double> expected;
            for (std::size_t p = 0; p < kProfiles; ++p)
                for (std::size_t l = 0; l < kLevels; ++l) expected.push_back(p == 1 && l == 2 ? -1 : 101.0 * p + l);
            EXPECT_EQ(values(folder.file("out.nc"), "SUM"), expected);
        }
    }
}

TEST(NetcdfBoxes, AreWholeChunksOrLieWithinOne) {
    const struct {
        Shape shape, chunks;
        std::size_t budget;
        Shape box;
    } rows[] = {
        {{100, 1000}, {}, 30'000, {25, 1000}},             // four equal boxes, not three and a small one
        {{10, 10}, {4, 4}, 40, {4, 8}},                    // two chunks of each row of them
        {{5000, 1000}, {5000, 500}, 131'072, {250, 500}},  // a length that divides the chunk's
        {{0, 1000}, {}, 100, {1, 1}},                      // an unlimited dimension without records
    };
    for (const auto& row : rows) EXPECT_EQ(boxShape(row.shape, row.chunks, row.budget), row.box);
    // Those within one chunk follow each other.
    const std::vector<Box> boxes = tile({4, 4}, {2, 2}, 2);
    ASSERT_EQ(boxes.size(), 8u);
    EXPECT_EQ(boxes[1].start, (Shape{1, 0}));
    EXPECT_EQ(boxes[2].start, (Shape{0, 2}));
}

TEST(NetcdfGaps, TellsFillMissingAndInvalidValuesFromMeasurements) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Given {
        const char* name;
        nc_type type;
        std::vector<double> values;
    };
    const struct {
        nc_type type;
        std::vector<Given> attributes;
        std::vector<double> raw;
        std::vector<Gap> gaps;
        std::vector<double> values;  // for those without a gap
    } rows[] = {
        {NC_FLOAT, {{"_FillValue", NC_FLOAT, {99999}}}, {99999, 1}, {Gap::Fill, Gap::None}, {nan, 1}},
        {NC_FLOAT, {}, {NC_FILL_FLOAT, 2}, {Gap::Fill, Gap::None}, {nan, 2}},
        {NC_BYTE, {}, {NC_FILL_BYTE, 3}, {Gap::None, Gap::None}, {NC_FILL_BYTE, 3}},
        {NC_SHORT,
         {{"missing_value", NC_SHORT, {-999, -998}}},
         {-998, -999, 5},
         {Gap::Missing, Gap::Missing, Gap::None},
         {nan, nan, 5}},
        {NC_FLOAT, {{"missing_value", NC_DOUBLE, {0.1}}}, {0.1, 0.2}, {Gap::Missing, Gap::None}, {nan, 0.2f}},
        {NC_DOUBLE,
         {{"valid_min", NC_DOUBLE, {0}}, {"valid_max", NC_DOUBLE, {10}}},
         {-1, 0, 10, 11},
         {Gap::Invalid, Gap::None, Gap::None, Gap::Invalid},
         {nan, 0, 10, nan}},
        {NC_SHORT,
         {{"scale_factor", NC_DOUBLE, {0.5}}, {"add_offset", NC_DOUBLE, {10}}, {"valid_range", NC_SHORT, {0, 100}}},
         {-1, 20, 101},
         {Gap::Invalid, Gap::None, Gap::Invalid},
         {nan, 20, nan}},
        {NC_SHORT,
         {{"scale_factor", NC_DOUBLE, {0.5}}, {"add_offset", NC_DOUBLE, {10}}, {"valid_range", NC_DOUBLE, {10, 15}}},
         {-1, 8, 12},
         {Gap::Invalid, Gap::None, Gap::Invalid},
         {nan, 14, nan}},
        {NC_DOUBLE, {}, {nan, 1}, {Gap::NotANumber, Gap::None}, {nan, 1}},
        {NC_DOUBLE, {{"_FillValue", NC_DOUBLE, {nan}}}, {nan}, {Gap::Fill}, {nan}},
    };
    const Folder folder;
    const int f = create(folder.file("in.nc"), NC_NETCDF4);
    std::vector<std::string> names;
    for (const auto& row : rows) {
        names.push_back("V" + std::to_string(names.size()));
        const int id =
            variable(f, names.back().c_str(), row.type, {dimension(f, names.back().c_str(), row.raw.size())});
        for (const Given& attribute : row.attributes) numbers(f, id, attribute.name, attribute.type, attribute.values);
        put(f, id, row.raw);
    }
    nc(nc_close(f));
    const InputFile input(folder.file("in.nc"));
    for (std::size_t r = 0; r < names.size(); ++r) {
        SCOPED_TRACE("row " + std::to_string(r));
        SlabReader reader(input, {names[r]}, 100);
        Slab slab;
        reader.read(reader.slabs().at(0), slab);
        EXPECT_EQ(slab.inputs[0].gaps, rows[r].gaps);
        for (std::size_t i = 0; i < slab.size(); ++i) {
            if (std::isnan(rows[r].values[i]))
                EXPECT_TRUE(std::isnan(slab.inputs[0].values[i])) << i;
            else
                EXPECT_EQ(slab.inputs[0].values[i], rows[r].values[i]) << i;
        }
    }
}

// The profile archives' quality flags are characters, their fill a blank;
// and a fill value the file does not declare is the user's to name.
TEST(NetcdfGaps, CharacterFlagsAndTheFillValuesTheUserNames) {
    const Folder folder;
    const int f = create(folder.file("in.nc"), 0);
    const int n = dimension(f, "N", 3);
    const int flags = variable(f, "PSAL_QC", NC_CHAR, {n}), bare = variable(f, "TEMP_QC", NC_CHAR, {n});
    text(f, flags, "_FillValue", " ");
    const int psal = variable(f, "PSAL", NC_FLOAT, {n});
    nc(nc_enddef(f));
    nc(nc_put_var_text(f, flags, "14 "));
    nc(nc_put_var_text(f, bare, std::string("9\0 ", 3).data()));
    put(f, psal, {-999.9, 35, 99999});
    nc(nc_close(f));
    const InputFile input(folder.file("in.nc"));
    SlabReader reader(input, {"PSAL_QC", "TEMP_QC", "PSAL"}, 100, {"PSAL_QC", "TEMP_QC"});
    reader.addMissing({-999.9, 99999});
    Slab slab;
    reader.read(reader.slabs().at(0), slab);
    EXPECT_EQ(slab.inputs[0].values[0], '1');
    EXPECT_EQ(slab.inputs[0].values[1], '4');
    EXPECT_EQ(slab.inputs[0].gaps, (std::vector<Gap>{Gap::None, Gap::None, Gap::Fill}));
    EXPECT_EQ(slab.inputs[1].gaps, (std::vector<Gap>{Gap::None, Gap::Fill, Gap::None}));  // netCDF's fill, '\0'
    EXPECT_EQ(slab.inputs[1].values[2], ' ');  // a blank is a flag where no _FillValue says otherwise
    EXPECT_EQ(slab.inputs[2].gaps, (std::vector<Gap>{Gap::Missing, Gap::None, Gap::Missing}));
}

}  // namespace
}  // namespace thalwen
