// The output: the input copied unchanged in the right model, the new
// variables with their attributes and compression, the history line.
#include <gtest/gtest.h>

#include <cmath>

#include "input_file.h"
#include "output_file.h"
#include "test_files.h"

namespace thalwen {
namespace {

using namespace test;

// A profile archive's shape in every type the format holds: an unlimited
// dimension, text, a scalar, and in netCDF-4 strings, storage settings and
// nested groups using their parents' dimensions.
void makeArchive(const std::string& path, int mode, bool extendedTypes) {
    const bool netcdf4 = (mode & NC_NETCDF4) != 0, groups = netcdf4 && !(mode & NC_CLASSIC_MODEL);
    const int f = create(path, mode);
    const int profiles = dimension(f, "N_PROF", NC_UNLIMITED), levels = dimension(f, "N_LEVELS", 30),
              string8 = dimension(f, "STRING8", 8);
    text(f, NC_GLOBAL, "title", "profiles");
    numbers(f, NC_GLOBAL, "version", NC_SHORT, {3});
    const int pres = variable(f, "PRES", NC_FLOAT, {profiles, levels});
    text(f, pres, "units", "decibar");
    numbers(f, pres, "_FillValue", NC_FLOAT, {99999});
    const int platform = variable(f, "PLATFORM_NUMBER", NC_CHAR, {profiles, string8});
    const int qc = variable(f, "PRES_QC", NC_BYTE, {profiles, levels});
    numbers(f, qc, "flag_values", NC_BYTE, {1, 4});
    const int config = variable(f, "CONFIG", NC_INT, {});
    const int count = extendedTypes ? variable(f, "COUNT", NC_UINT64, {profiles}) : -1;
    if (netcdf4) {
        const std::size_t chunks[] = {2, 16};
        nc(nc_def_var_chunking(f, pres, NC_CHUNKED, chunks));
        nc(nc_def_var_deflate(f, pres, 1, 1, 4));
        nc(nc_def_var_fletcher32(f, qc, 1));
    }
    int name = -1, inner = -1, coefficients = -1;
    if (groups) {
        name = variable(f, "NAME", NC_STRING, {profiles});
        int calibration = -1;
        nc(nc_def_grp(f, "calibration", &calibration));
        nc(nc_def_grp(calibration, "inner", &inner));
        coefficients = variable(inner, "COEF", NC_DOUBLE, {profiles, dimension(calibration, "N_COEF", 3)});
        text(inner, NC_GLOBAL, "comment", "nested");
        const char* keywords[] = {"ocean", "profiles"};
        nc(nc_put_att_string(f, NC_GLOBAL, "keywords", 2, keywords));
    }
    nc(nc_enddef(f));
    std::vector<double> values(5 * 30);
    for (std::size_t i = 0; i < values.size(); ++i) values[i] = i % 7 == 0 ? 99999 : 0.5 * i;
    const std::size_t start[] = {0, 0}, edges[] = {5, 30}, textEdges[] = {5, 8};
    nc(nc_put_vara_double(f, pres, start, edges, values.data()));
    nc(nc_put_vara_double(f, qc, start, edges, std::vector<double>(150, 4).data()));
    nc(nc_put_vara_text(f, platform, start, textEdges, "1900123 1900124 1900125 1900126 1900127 "));
    nc(nc_put_var_int(f, config, std::vector<int>{7}.data()));
    if (extendedTypes) {
        const unsigned long long big[] = {1ULL << 60, (1ULL << 60) + 1, 3, 4, 5};  // beyond a double's digits
        nc(nc_put_vara_ulonglong(f, count, start, edges, big));
    }
    if (groups) {
        const char* names[] = {"a", "b c", "", "d", "e"};
        nc(nc_put_vara_string(f, name, start, edges, names));
        const std::size_t coefficientEdges[] = {5, 3};
        nc(nc_put_vara_double(inner, coefficients, start, coefficientEdges, std::vector<double>(15, 1.25).data()));
    }
    nc(nc_close(f));
}

int formatOf(const std::string& path) {
    int file = -1, format = 0;
    nc(nc_open(path.c_str(), NC_NOWRITE, &file));
    nc(nc_inq_format(file, &format));
    nc(nc_close(file));
    return format;
}

TEST(NetcdfCopy, CopiesEveryFormatUnchangedInTheModelThatFitsIt) {
    const struct {
        int mode;
        bool extendedTypes;
        int written;
    } rows[] = {
        {0, false, NC_FORMAT_NETCDF4_CLASSIC},
        {NC_64BIT_OFFSET, false, NC_FORMAT_NETCDF4_CLASSIC},
        {NC_64BIT_DATA, false, NC_FORMAT_NETCDF4_CLASSIC},
        {NC_64BIT_DATA, true, NC_FORMAT_NETCDF4},
        {NC_NETCDF4 | NC_CLASSIC_MODEL, false, NC_FORMAT_NETCDF4_CLASSIC},
        {NC_NETCDF4, true, NC_FORMAT_NETCDF4},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE("mode " + std::to_string(row.mode) + (row.extendedTypes ? " with extended types" : ""));
        const Folder folder;
        makeArchive(folder.file("in.nc"), row.mode, row.extendedTypes);
        const InputFile input(folder.file("in.nc"));
        OutputFile(input, folder.file("out.nc"), {}, "").commit();
        EXPECT_EQ(formatOf(folder.file("out.nc")), row.written);
        // The storage settings (-s) are netCDF-4's alone.
        const std::string options = row.mode & NC_NETCDF4 ? "-s" : "";
        EXPECT_EQ(ncdump(options, folder.file("out.nc")), ncdump(options, folder.file("in.nc")));
    }
}

TEST(NetcdfDescription, TellsDimensionsVariablesAttributesAndStorage) {
    const Folder folder;
    makeArchive(folder.file("in.nc"), NC_NETCDF4, true);
    const InputFile input(folder.file("in.nc"));
    const Description& description = input.description();
    const Group& root = description.root;
    EXPECT_EQ(description.format, FileFormat::Netcdf4);
    ASSERT_EQ(root.dimensions.size(), 3u);
    EXPECT_TRUE(root.dimensions[0].unlimited);
    EXPECT_EQ(root.dimensions[0].length, 5u);
    EXPECT_FALSE(root.dimensions[1].unlimited);
    EXPECT_EQ(findAttribute(root.attributes, "keywords")->text, "ocean profiles");
    const Variable& pres = *findVariable(root, "PRES");
    EXPECT_EQ(pres.type, ValueType::Float);
    EXPECT_EQ(shapeOf(pres), (Shape{5, 30}));
    EXPECT_EQ(findAttribute(pres.attributes, "units")->text, "decibar");
    EXPECT_EQ(findAttribute(pres.attributes, "_FillValue")->numbers, std::vector<double>{99999});
    EXPECT_EQ(pres.storage.layout, Layout::Chunked);
    EXPECT_EQ(pres.storage.chunks, (Shape{2, 16}));
    EXPECT_EQ(pres.storage.deflateLevel, 4);
    const Variable& qc = *findVariable(root, "PRES_QC");
    EXPECT_EQ(findAttribute(qc.attributes, "flag_values")->numbers, (std::vector<double>{1, 4}));
    EXPECT_TRUE(qc.storage.fletcher32);
    EXPECT_EQ(findVariable(root, "NAME")->type, ValueType::String);
    // A nested group's variable over its parent's dimension and the root's.
    const Variable& coefficients = root.groups.at(0).groups.at(0).variables.at(0);
    EXPECT_EQ(coefficients.dimensions.at(0).name, "N_PROF");
    EXPECT_EQ(coefficients.dimensions.at(1).name, "N_COEF");
}

TEST(NetcdfCopy, CopiesALargeVariableInBlocks) {
    const Folder folder;
    const int f = create(folder.file("in.nc"), NC_64BIT_OFFSET);
    const int large = variable(f, "LARGE", NC_DOUBLE, {dimension(f, "N", 2'500'000)});  // 20 MB
    nc(nc_enddef(f));
    std::vector<double> values(2'500'000);
    for (std::size_t i = 0; i < values.size(); ++i) values[i] = static_cast<double>(i);
    put(f, large, values);
    nc(nc_close(f));
    OutputFile(InputFile(folder.file("in.nc")), folder.file("out.nc"), {}, "").commit();
    EXPECT_EQ(test::values(folder.file("out.nc"), "LARGE"), values);
}

TEST(NetcdfCopy, AddsVariablesWithTheirAttributesAndTheInputsCompression) {
    const Folder folder;
    makeArchive(folder.file("in.nc"), NC_NETCDF4, false);
    const InputFile input(folder.file("in.nc"));
    NewVariable density{"DENSITY", {"N_PROF", "N_LEVELS"}, {}, {}};
    density.attributes = {textAttribute("standard_name", "sea_water_density"), textAttribute("units", "kg m-3"),
                          numberAttribute("_FillValue", 99999), numberAttribute("reference_temperature", 20)};
    density.storage = findVariable(input.description().root, "PRES")->storage;
    OutputFile output(input, folder.file("out.nc"), {density}, "");
    std::vector<double> values(150, 1025.5);
    values[3] = std::nan("");
    output.write(0, Box{{0, 0}, {5, 30}}, values);
    output.commit();

    const InputFile written(folder.file("out.nc"));
    const Variable* found = findVariable(written.description().root, "DENSITY");
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->type, ValueType::Double);
    EXPECT_EQ(found->storage.deflateLevel, 4);
    EXPECT_TRUE(found->storage.shuffle);
    EXPECT_EQ(textOf(folder.file("out.nc"), "DENSITY", "standard_name"), "sea_water_density");
    EXPECT_EQ(textOf(folder.file("out.nc"), "DENSITY", "units"), "kg m-3");
    EXPECT_EQ(findAttribute(found->attributes, "reference_temperature")->numbers, std::vector<double>{20});
    values[3] = 99999;  // a NaN is a gap: the fill value
    EXPECT_EQ(test::values(folder.file("out.nc"), "DENSITY"), values);
}

TEST(NetcdfCopy, AppendsTheCommandLineToTheHistory) {
    const auto time = std::chrono::sys_days{std::chrono::year{2024} / 2 / 29} + std::chrono::seconds{86398};
    const std::string line = historyLine(time, {"thalwen-convert", "in.nc", "-o", "my out.nc", "it's", ""});
    EXPECT_EQ(line, R"(2024-02-29T23:59:58Z: thalwen-convert in.nc -o 'my out.nc' 'it'\''s' '')");
    const struct {
        const char* before;  // nullptr: no history attribute
        std::string after;
    } rows[] = {{nullptr, line}, {"made\n", "made\n" + line}, {"made", "made\n" + line}};
    for (const auto& row : rows) {
        const Folder folder;
        const int f = create(folder.file("in.nc"), 0);
        if (row.before != nullptr) text(f, NC_GLOBAL, "history", row.before);
        nc(nc_close(f));
        OutputFile(InputFile(folder.file("in.nc")), folder.file("out.nc"), {}, line).commit();
        EXPECT_EQ(textOf(folder.file("out.nc"), nullptr, "history"), row.after);
    }
}

}  // namespace
}  // namespace thalwen
