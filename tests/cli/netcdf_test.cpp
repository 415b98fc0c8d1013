// netCDF files converted by the command line, made here with netCDF's C API;
// what was written read back with it and with ncdump.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <atomic>
#include <cmath>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>

#include "columns.h"
#include "description.h"
#include "netcdf_run.h"
#include "output_file.h"
#include "run.h"
#include "test_files.h"
#include "user_conversion.h"

namespace thalwen {
namespace {

using namespace test;

constexpr double kFill = 99999;

// Two casts of four levels as the profile archives write them, each cast's
// last level beyond its end (fill values): PRES, TEMP and its adjusted twin,
// PSAL with its flags as characters, declared as CF declares them, and the
// position of each cast. One cast lost a temperature; one pressure is deeper
// than any ocean.
void makeArchive(const std::string& path, int mode, bool declaresFlags = true) {
    const int f = create(path, mode);
    const int profiles = dimension(f, "N_PROF", 2), levels = dimension(f, "N_LEVELS", 4);
    const struct {
        const char* name;
        const char* standardName;
        const char* units;
        std::vector<double> values;
    } measured[] = {
        {"PRES", "sea_water_pressure", "decibar", {5, 10, 15, kFill, 5, 10, 20000, kFill}},
        {"TEMP", "sea_water_temperature", "degree_Celsius", {10.5, 10.2, 9.8, kFill, 20, 19, 18, kFill}},
        {"TEMP_ADJUSTED", "sea_water_temperature", "degree_Celsius", {10.48, kFill, 9.79, kFill, 20, 40, 18, kFill}},
        {"PSAL", "sea_water_salinity", "psu", {35.1, 35, 34.9, kFill, 36, 36.1, 36.2, kFill}},
    };
    std::vector<int> ids;
    for (const auto& m : measured) {
        ids.push_back(variable(f, m.name, NC_FLOAT, {profiles, levels}));
        text(f, ids.back(), "standard_name", m.standardName);
        text(f, ids.back(), "units", m.units);
        numbers(f, ids.back(), "_FillValue", NC_FLOAT, {kFill});
        if (mode & NC_NETCDF4) nc(nc_def_var_deflate(f, ids.back(), 1, 1, 1));
    }
    if (declaresFlags) text(f, ids.back(), "ancillary_variables", "PSAL_QC");
    const int flags = variable(f, "PSAL_QC", NC_CHAR, {profiles, levels});
    text(f, flags, "flag_values", "1234589");
    text(f, flags, "flag_meanings", "good probably_good probably_bad bad changed estimated missing");
    text(f, flags, "_FillValue", " ");
    const int latitude = variable(f, "LATITUDE", NC_DOUBLE, {profiles});
    const int longitude = variable(f, "LONGITUDE", NC_DOUBLE, {profiles});
    text(f, NC_GLOBAL, "history", "2024-01-01 made by a float");
    nc(nc_enddef(f));
    for (std::size_t k = 0; k < ids.size(); ++k) put(f, ids[k], measured[k].values);
    nc(nc_put_var_text(f, flags, "1114144 "));
    put(f, latitude, {-35.2, 10.5});
    put(f, longitude, {151.3, -30});
    nc(nc_close(f));
}

struct Converted {
    int status;
    std::string err;
};

Converted convert(std::vector<std::string> words) {
    words.insert(words.begin(), "thalwen-convert");
    std::vector<const char*> argv;
    for (const std::string& word : words) argv.push_back(word.c_str());
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    const int status = runCommandLine(static_cast<int>(argv.size()), argv.data(), stdin, out, err);
    std::string said;
    std::rewind(err);
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, err)) > 0;) said.append(buffer, n);
    std::fclose(out);
    std::fclose(err);
    return {status, said};
}

// The Absolute Salinity the engine gives the index-th sample of the archive,
// its values floats, as the file holds them.
double absoluteSalinityOf(std::size_t index, float temperature) {
    const float pressures[] = {5, 10, 15, 0, 5, 10, 0, 0}, salinities[] = {35.1f, 35, 34.9f, 0, 36, 36.1f, 36.2f, 0};
    Sample sample = kDefaultSample;
    sample.pressure = pressures[index];
    sample.temperature = temperature;
    sample.practicalSalinity = salinities[index];
    sample.latitude = index < 4 ? -35.2 : 10.5;  // each cast's own position, whatever its level
    sample.longitude = index < 4 ? 151.3 : -30;
    return convertSample(Method::Teos10Exact, sample, false).result.absoluteSalinity;
}

TEST(NetcdfRun, ConvertsEachSampleOfAnArchiveOrSaysWhyNot) {
    const float temperatures[] = {10.48f, 12, 9.79f, 0, 20, 40, 18, 0};
    const struct {
        std::vector<std::string> options;
        int status;
        std::set<std::size_t> converted;
        std::vector<std::string> said;
    } rows[] = {
        {{},
         1,
         {0, 2, 4, 5},
         {"in.nc: 1 sample at N_PROF=0, N_LEVELS=1: variable 'TEMP_ADJUSTED' (temperature): fill value, a "
          "missing measurement (--temperature would fill missing values)\n",
          "in.nc: 1 sample at N_PROF=1, N_LEVELS=2: variable 'PRES' (pressure): 20000 is deeper than any ocean",
          ": no measurement; if it marks a gap, give --missing 20000\n",
          "variable 'TEMP' is carried: variable 'TEMP_ADJUSTED' gives the adjusted temperature\n",
          "samples: N_PROF 2 × N_LEVELS 4; variable 'LATITUDE' (N_PROF) serves every N_LEVELS",
          "4 samples converted (1 with inputs brought to their bounds), 2 samples without results (reported above), 2 "
          "samples where nothing was measured\n"}},
        {{"--qc", "1", "--jobs", "1"},
         1,
         {0, 2, 4},
         {"quality flags of variable 'PSAL' in 'PSAL_QC' (1 2 3 4 5 8 9): converted only the samples flagged 1 "
          "(good)\n",
          "3 samples converted, 1 sample without results (reported above), 2 samples where nothing was measured, 2 "
          "samples rejected by their quality flags\n"}},
        {{"--missing", "20000", "--temperature", "12"},
         1,
         {0, 1, 2, 4, 5},
         {"variable 'PRES' (pressure): missing value, a missing measurement (--pressure would fill missing "
          "values)\n"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(row.options));
        const Folder folder;
        makeArchive(folder.file("in.nc"), 0);
        std::vector<std::string> words = {folder.file("in.nc"), "-o", folder.file("out.nc")};
        words.insert(words.end(), row.options.begin(), row.options.end());
        const Converted run = convert(words);
        EXPECT_EQ(run.status, row.status) << run.err;
        for (const std::string& said : row.said) EXPECT_NE(run.err.find(said), std::string::npos) << run.err;
        const std::vector<double> results = values(folder.file("out.nc"), "absoluteSalinity");
        const std::vector<double> clamped = values(folder.file("out.nc"), "clamped");
        ASSERT_EQ(results.size(), 8u);
        for (std::size_t i = 0; i < results.size(); ++i) {
            if (row.converted.count(i)) {
                EXPECT_DOUBLE_EQ(results[i], absoluteSalinityOf(i, temperatures[i])) << i;
                EXPECT_EQ(clamped[i], i == 5 ? QuantitySet{Quantity::Temperature}.bits() : 0) << i;  // 40 degC
            } else {
                EXPECT_EQ(results[i], defaultFill(ValueType::Double)) << i;
                EXPECT_EQ(clamped[i], defaultFill(ValueType::Short)) << i;
            }
        }
        EXPECT_EQ(folder.names(), (std::vector<std::string>{"in.nc", "out.nc"}));
    }
}

// The copy keeps every variable as it was and its compression, and each
// result says what it is as CF asks.
TEST(NetcdfRun, ResultsSayWhatTheyAreAndKeepTheInputsCompression) {
    const Folder folder;
    const std::string archive = folder.file("archive");  // netCDF by its content alone
    makeArchive(archive, NC_NETCDF4);
    // A variable of the input has a result's name: the result takes another.
    const int f = [&] {
        int id = -1;
        nc(nc_open(archive.c_str(), NC_WRITE, &id));
        return id;
    }();
    nc(nc_redef(f));
    variable(f, "sigma0", NC_INT, {});
    nc(nc_close(f));
    const Converted run =
        convert({archive, "--output", folder.file("out.nc"), "--quiet", "--outputs",
                 "absoluteSalinity,sigma0,freezingTemperature,conductivity", "--conductivity-unit", "S/m"});
    EXPECT_EQ(run.status, 1) << run.err;
    const std::string header = ncdump("-hs", folder.file("out.nc"));
    for (const char* line : {
             "absoluteSalinity:standard_name = \"sea_water_absolute_salinity\" ;",
             "absoluteSalinity:long_name = \"Absolute Salinity\" ;",
             "absoluteSalinity:units = \"g/kg\" ;",
             "absoluteSalinity:_FillValue = 9.96920996838687e+36 ;",
             "absoluteSalinity:method = \"TEOS-10 exact\" ;",
             "absoluteSalinity:reference_temperature = \"20 degC\" ;",
             "absoluteSalinity:_DeflateLevel = 1 ;",
             "double sigma0_1(N_PROF, N_LEVELS) ;",
             "sigma0_1:standard_name = \"sea_water_sigma_theta\" ;",
             "conductivity:units = \"S/m\" ;",
             "short clamped(N_PROF, N_LEVELS) ;",
             "clamped:flag_masks = 1s, 2s, 4s, 8s, 16s, 64s, 128s, 256s, 512s ;",
             "clamped:flag_meanings = \"pressure longitude latitude temperature practicalSalinity density "
             "conductivity specificGravity referenceTemperature\" ;",
             "PSAL:ancillary_variables = \"PSAL_QC\" ;",
             "PRES:_DeflateLevel = 1 ;",
         })
        EXPECT_NE(header.find(line), std::string::npos) << line << "\n" << header;
    EXPECT_EQ(header.find("freezingTemperature:standard_name"), std::string::npos);  // CF has none
    const std::string history = textOf(folder.file("out.nc"), nullptr, "history");
    EXPECT_EQ(history.find("2024-01-01 made by a float\n"), 0u) << history;
    EXPECT_NE(history.find("Z: thalwen-convert " + archive + " --output"), std::string::npos) << history;
    EXPECT_EQ(values(folder.file("out.nc"), "TEMP"), values(archive, "TEMP"));
    const std::vector<double> conductivity = values(folder.file("out.nc"), "conductivity");
    EXPECT_NEAR(conductivity[0], 3.865, 0.001);  // in S/m, as its units say, not 38.65 mS/cm
}

// Bad files and refusals: a message naming the file and the variable, and
// nothing left of the output.
TEST(NetcdfRun, RefusesNamingTheFileAndTheVariableLeavingNoOutput) {
    auto archive = [](const Folder& folder) { makeArchive(folder.file("in.nc"), 0); };
    const struct {
        std::function<void(const Folder&)> make;
        std::vector<std::string> options;
        int status;
        std::string said;  // after the folder
        std::string output = "out.nc";
    } rows[] =
        {
            {[](const Folder& folder) {
        std::ofstream(folder.file("in.nc")) << "PRES,TEMP\n5,10\n";
             },
             {},
             2,
             "in.nc: cannot open: not a netCDF file"},
            {[&](const Folder& folder) {
        archive(folder);
        std::filesystem::resize_file(folder.file("in.nc"), std::filesystem::file_size(folder.file("in.nc")) - 1);
             },
             {},
             2,
             "in.nc: the file is cut short"},
      {archive,
       {"--column", "temperature=PSAL_QC"},
       2,
       "in.nc: variable 'PSAL_QC' (temperature) holds char, not numbers"},
      {archive, {"--qc", "0"}, 2, "in.nc: --qc: '0' is none of the flags of variable 'PSAL_QC': 1 2 3 4 5 8 9"},
      {archive, {"--column", "pressure=DEPTH"}, 2, "in.nc: --column pressure=DEPTH: the file has no variable 'DEPTH'"},
      {archive, {"--outputs", "method,density"}, 2, "in.nc: --outputs: 'method' is no variable of a netCDF file"},
      {archive, {}, 3, "no/out.nc: cannot create it: No such file or directory", "no/out.nc"},
      {archive, {}, 3, ".: is no regular file", "."},
      {[](const Folder& folder) { makeArchive(folder.file("in.nc"), 0, false); },
       {"--qc", "1"},
       2,
       "in.nc: --qc: none of the variables read declares quality flags"},
      };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.said);
        const Folder folder;
        row.make(folder);
        std::vector<std::string> words = {folder.file("in.nc"), "-o", folder.file(row.output)};
        words.insert(words.end(), row.options.begin(), row.options.end());
        const Converted run = convert(words);
        EXPECT_EQ(run.status, row.status);
        EXPECT_NE(run.err.find(folder.file(row.said)), std::string::npos) << run.err;
        EXPECT_EQ(folder.names(), std::vector<std::string>{"in.nc"});
    }
    const Folder folder;
    archive(folder);
    EXPECT_NE(convert({folder.file("in.nc")}).err.find("name it with --output FILE"), std::string::npos);
    // A disk that fills, as the program meets it: the system's reason, and
    // nothing written. (scripts/memcheck runs it untraced by its output's name.)
    const std::string command = "ulimit -f 8; '" THALWEN_CONVERT "' '" + folder.file("in.nc") + "' -o '" +
                                folder.file("fills-the-disk.nc") + "' 2>'" + folder.file("err") + "'";
    const int raw = std::system(command.c_str());
    EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, 3);
    std::stringstream said;
    said << std::ifstream(folder.file("err")).rdbuf();
    EXPECT_NE(said.str().find(folder.file("fills-the-disk.nc") + ": "), std::string::npos) << said.str();
    EXPECT_NE(said.str().find("File too large"), std::string::npos) << said.str();
    std::filesystem::remove(folder.file("err"));
    EXPECT_EQ(folder.names(), std::vector<std::string>{"in.nc"});
    // Interrupted: nothing written.
    Arguments arguments;
    arguments.batch = true;
    arguments.batchPath = folder.file("in.nc");
    arguments.outputPath = folder.file("out.nc");
    const std::atomic<bool> stop = true;
    std::FILE* err = std::tmpfile();
    EXPECT_EQ(runNetcdf(arguments, {"thalwen-convert"}, err, &stop), kExitOutputFailed);
    std::fclose(err);
    EXPECT_FALSE(filesLeftOpen());  // an interrupted copy is closed, unlike one whose writing failed
    EXPECT_EQ(folder.names(), std::vector<std::string>{"in.nc"});
}

// A file of many slabs: the reasons add up over them, and the first sample
// of each is found wherever its slab lies.
TEST(NetcdfRun, ReasonsAddUpOverTheSlabs) {
    const Folder folder;
    const int f = create(folder.file("in.nc"), 0);
    const int casts = dimension(f, "N_PROF", 3), levels = dimension(f, "N_LEVELS", 30000);
    const int pres = variable(f, "PRES", NC_DOUBLE, {casts, levels}), temp = variable(f, "TEMP", NC_DOUBLE, {casts});
    nc(nc_enddef(f));
    std::vector<double> pressures(90000, 100);
    pressures[2 * 30000 + 29999] = pressures[1 * 30000 + 7] = pressures[2 * 30000 + 5] = -20;  // below a vacuum
    put(f, pres, pressures);
    put(f, temp, {10, 11, 12});
    nc(nc_close(f));
    const Converted run = convert({folder.file("in.nc"), "-o", folder.file("out.nc"), "--jobs", "2", "--salinity", "35",
                                   "--latitude", "0", "--longitude", "0"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("in.nc: 3 samples, the first at N_PROF=1, N_LEVELS=7: variable 'PRES' (pressure): -20 is "
                           "below a vacuum"),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("89997 samples converted, 3 samples without results"), std::string::npos) << run.err;
}

// The rule of names a CSV header follows, over variables: a standard name
// first, the adjusted twin before the raw values, units from attributes.
TEST(NetcdfRun, VariablesAreFoundByStandardNameThenByName) {
    const struct {
        std::vector<InputColumn> variables;
        std::vector<ColumnRole> roles;
        std::string note;
    } rows[] = {
        {{{"temp", "temp", "", "", nullptr}, {"t", "t", "", "sea_water_temperature", nullptr}},
         {{}, {ColumnUse::Quantity, Quantity::Temperature}},
         "variable 'temp' is carried: variable 't' has the standard name sea_water_temperature"},
        {{{"TEMP_ADJUSTED", "TEMP_ADJUSTED", "", "", nullptr}, {"TEMP", "TEMP", "", "sea_water_temperature", nullptr}},
         {{ColumnUse::Quantity, Quantity::Temperature}, {}},
         "variable 'TEMP' is carried: variable 'TEMP_ADJUSTED' gives the adjusted temperature"},
        {{{"C", "C", "mhos/m", "sea_water_electrical_conductivity", nullptr}, {"CNDC_QC", "CNDC_QC", "", "", "char"}},
         {{ColumnUse::Quantity, Quantity::Conductivity}, {}},
         ""},
        // No scale stated: which salinity it is, is the user's to say.
        {{{"PRES", "PRES", "", "", nullptr}, {"s", "s", "", "sea_water_salinity", nullptr}},
         {{ColumnUse::Quantity, Quantity::Pressure}, {}},
         ""},
    };
    for (const auto& row : rows) {
        BatchColumns columns;
        ASSERT_EQ(readVariables(row.variables, {}, std::nullopt, {}, columns).message(), "");
        for (std::size_t i = 0; i < row.roles.size(); ++i) {
            EXPECT_EQ(columns.roles[i].use, row.roles[i].use) << i;
            EXPECT_EQ(columns.roles[i].quantity, row.roles[i].quantity) << i;
        }
        EXPECT_EQ(columns.notes.empty() ? "" : columns.notes[0], row.note);
    }
    BatchColumns columns;
    ASSERT_EQ(readVariables(rows[2].variables, {}, std::nullopt, {}, columns).message(), "");
    EXPECT_EQ(columns.units.conductivity, conductivityUnitNamed("S/m"));
}

// A CSV batch written to a file: whole, or not at all.
TEST(NetcdfRun, ACsvBatchGoesToItsOutputFileOnlyWhole) {
    const Folder folder;
    std::ofstream(folder.file("cast.csv")) << "PRES,TEMP,PSAL\n5,10,35\n";
    std::ofstream(folder.file("out.csv")) << "an earlier output\n";
    EXPECT_EQ(convert({folder.file("cast.csv"), "-o", folder.file("out.csv"), "--quiet"}).status, 2);  // no position
    std::string kept;
    std::getline(std::ifstream(folder.file("out.csv")), kept);
    EXPECT_EQ(kept, "an earlier output");
    EXPECT_EQ(
        convert({folder.file("cast.csv"), "-o", folder.file("out.csv"), "--latitude", "1", "--longitude", "1"}).status,
        0);
    std::getline(std::ifstream(folder.file("out.csv")), kept);
    EXPECT_EQ(kept.find("PRES,TEMP,PSAL,method,"), 0u);
    EXPECT_EQ(folder.names(), (std::vector<std::string>{"cast.csv", "out.csv"}));
    // What is no regular file is written as it is, never renamed over.
    std::filesystem::create_directory(folder.file("folder"));
    const Converted run =
        convert({folder.file("cast.csv"), "-o", folder.file("folder"), "--latitude", "1", "--longitude", "1"});
    EXPECT_EQ(run.status, 3);
    EXPECT_NE(run.err.find("folder': cannot open it: Is a directory"), std::string::npos) << run.err;
    EXPECT_EQ(folder.names(), (std::vector<std::string>{"cast.csv", "folder", "out.csv"}));
}

}  // namespace
}  // namespace thalwen
