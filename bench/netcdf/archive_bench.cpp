// A profile archive's worth of samples through the netCDF layer, to set
// against the CSV batch of the same samples (bench/netcdf/run):
//   archive_bench make ARCHIVE.nc PROFILES LEVELS classic|netcdf4
//       writes random in-range profiles (PRES, TEMP, PSAL and their
//       _ADJUSTED twins with QC flags declared as CF declares them, all good,
//       LATITUDE, LONGITUDE), a block of profiles at a time
//   archive_bench csv ARCHIVE.nc > SAMPLES.csv
//       the same samples as rows of bench/batch/generate.py's kind
//   archive_bench convert ARCHIVE.nc OUT.nc JOBS [io]
//       copies the archive and adds Absolute Salinity, density, conductivity
//       and specific gravity from the adjusted variables by TEOS-10 exact,
//       slab by slab on JOBS threads; with io, the values are copied instead
//       of converted, which leaves the netCDF work alone. Prints the seconds
//       of each step.
#include <netcdf.h>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "convert.h"
#include "convert_slabs.h"

using namespace thalwen;

namespace {

constexpr const char* kMeasured[] = {"PRES", "TEMP", "PSAL"};
constexpr double kFill = 99999;

void check(int status, const char* what) {
    if (status == NC_NOERR) return;
    std::fprintf(stderr, "archive_bench: %s: %s\n", what, nc_strerror(status));
    std::exit(1);
}

int make(const char* path, std::size_t profiles, std::size_t levels, bool netcdf4) {
    int f = -1;
    check(nc_create(path, NC_CLOBBER | (netcdf4 ? NC_NETCDF4 | NC_CLASSIC_MODEL : NC_64BIT_OFFSET), &f), path);
    int dimensions[3];
    check(nc_def_dim(f, "N_PROF", profiles, &dimensions[0]), "N_PROF");
    check(nc_def_dim(f, "N_LEVELS", levels, &dimensions[1]), "N_LEVELS");
    int latitude = -1, longitude = -1;
    check(nc_def_var(f, "LATITUDE", NC_DOUBLE, 1, dimensions, &latitude), "LATITUDE");
    check(nc_def_var(f, "LONGITUDE", NC_DOUBLE, 1, dimensions, &longitude), "LONGITUDE");
    std::vector<int> measured, flags;
    for (const char* base : kMeasured) {
        for (const std::string& name : {std::string(base), std::string(base) + "_ADJUSTED"}) {
            int id = -1, qc = -1;
            check(nc_def_var(f, name.c_str(), NC_FLOAT, 2, dimensions, &id), base);
            const float fill = kFill;
            check(nc_put_att_float(f, id, "_FillValue", NC_FLOAT, 1, &fill), base);
            check(nc_def_var(f, (name + "_QC").c_str(), NC_CHAR, 2, dimensions, &qc), base);
            // Declared as CF declares flags, so that --qc may keep the good ones.
            const std::string flagsName = name + "_QC";
            check(nc_put_att_text(f, id, "ancillary_variables", flagsName.size(), flagsName.c_str()), base);
            check(nc_put_att_text(f, qc, "flag_values", 7, "1234589"), base);
            if (netcdf4) {
                check(nc_def_var_deflate(f, id, 1, 1, 1), base);
                check(nc_def_var_deflate(f, qc, 1, 1, 1), base);
            }
            measured.push_back(id);
            flags.push_back(qc);
        }
    }
    check(nc_enddef(f), path);

    std::mt19937_64 random(20261208);  // fixed, so runs compare like with like
    auto uniform = [&](double low, double high) { return std::uniform_real_distribution<double>(low, high)(random); };
    const std::size_t block = std::max<std::size_t>(1, (1 << 20) / levels);
    std::vector<double> latitudes, longitudes;
    std::vector<float> values;
    for (std::size_t first = 0; first < profiles; first += block) {
        const std::size_t count = std::min(block, profiles - first);
        const std::size_t start[] = {first, 0}, edges[] = {count, levels};
        latitudes.clear();
        longitudes.clear();
        for (std::size_t p = 0; p < count; ++p) {
            latitudes.push_back(std::round(uniform(-86, 90) * 1e4) / 1e4);  // as the archives give them
            longitudes.push_back(std::round(uniform(-180, 180) * 1e4) / 1e4);
        }
        check(nc_put_vara_double(f, latitude, start, edges, latitudes.data()), "LATITUDE");
        check(nc_put_vara_double(f, longitude, start, edges, longitudes.data()), "LONGITUDE");
        const double ranges[][2] = {{0, 10000}, {-2, 35}, {2, 42}};
        for (std::size_t v = 0; v < measured.size(); ++v) {
            values.resize(count * levels);
            for (float& value : values) value = static_cast<float>(uniform(ranges[v / 2][0], ranges[v / 2][1]));
            check(nc_put_vara_float(f, measured[v], start, edges, values.data()), "values");
            const std::string good(count * levels, '1');
            check(nc_put_vara_text(f, flags[v], start, edges, good.data()), "flags");
        }
    }
    check(nc_close(f), path);
    return 0;
}

const std::vector<std::string> kInputs = {"PRES_ADJUSTED", "TEMP_ADJUSTED", "PSAL_ADJUSTED", "LATITUDE", "LONGITUDE"};

// The shortest text that reads back as value, a float's as a float.
void appendNumber(std::string& out, double value, bool isFloat) {
    char text[32];
    const auto end = isFloat ? std::to_chars(text, text + sizeof text, static_cast<float>(value)).ptr
                             : std::to_chars(text, text + sizeof text, value).ptr;
    out.append(text, end);
}

int csv(const char* path) {
    InputFile input(path);
    SlabReader reader(input, kInputs, 1 << 16);
    std::string out = "method,pressure,longitude,latitude,temperature,practicalSalinity,referenceTemperature\n";
    Slab slab;
    for (const Box& box : reader.slabs()) {
        reader.read(box, slab);
        for (std::size_t i = 0; i < slab.size(); ++i) {
            const auto& in = slab.inputs;
            out += "exact,";
            appendNumber(out, in[0].values[i], true);
            for (std::size_t k : {4, 3, 1, 2}) {
                out += ',';
                appendNumber(out, in[k].values[i], k < 3);
            }
            out += ",20\n";
        }
        std::fwrite(out.data(), 1, out.size(), stdout);
        out.clear();
    }
    return 0;
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

int convertArchive(const char* in, const char* out, unsigned jobs, bool ioOnly) {
    const auto start = std::chrono::steady_clock::now();
    InputFile input(in);
    const std::vector<std::string> outputs = {"ABSOLUTE_SALINITY", "DENSITY", "CONDUCTIVITY", "SPECIFIC_GRAVITY"};
    SlabReader reader(input, kInputs, slabValuesFor(jobs, kInputs.size(), outputs.size()));
    std::vector<NewVariable> variables;
    for (const std::string& name : outputs)
        variables.push_back({name,
                             reader.dimensionNames(),
                             {textAttribute("long_name", name), numberAttribute("_FillValue", kFill)},
                             reader.storageLike(*findVariable(input.description().root, "PSAL_ADJUSTED"))});
    OutputFile output(input, out, variables, historyLine(std::chrono::system_clock::now(), {"archive_bench", in}));
    const double copied = secondsSince(start);
    convertSlabs(reader, output, jobs, [&](Slab& slab) {
        for (std::size_t i = 0; i < slab.size(); ++i) {
            const auto& in = slab.inputs;
            if (ioOnly) {
                for (std::size_t k = 0; k < slab.outputs.size(); ++k) slab.outputs[k][i] = in[k].values[i];
                continue;
            }
            if (std::isnan(in[0].values[i] + in[1].values[i] + in[2].values[i] + in[3].values[i] + in[4].values[i]))
                continue;
            Sample sample = kDefaultSample;
            sample.pressure = in[0].values[i];
            sample.temperature = in[1].values[i];
            sample.practicalSalinity = in[2].values[i];
            sample.latitude = in[3].values[i];
            sample.longitude = in[4].values[i];
            convert(Method::Teos10Exact, sample);
            slab.outputs[0][i] = sample.absoluteSalinity;
            slab.outputs[1][i] = sample.density;
            slab.outputs[2][i] = sample.conductivity;
            slab.outputs[3][i] = sample.specificGravity;
        }
    });
    const double converted = secondsSince(start);
    output.commit();
    const double total = secondsSince(start);
    std::printf("samples %zu, slabs %zu of %zu\n", reader.sampleCount(), reader.slabs().size(),
                reader.slabs()[0].size());
    std::printf("open and copy %.3f s, slabs %.3f s, close %.3f s, total %.3f s\n", copied, converted - copied,
                total - converted, total);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        if (argc == 6 && std::strcmp(argv[1], "make") == 0)
            return make(argv[2], std::stoul(argv[3]), std::stoul(argv[4]), std::strcmp(argv[5], "netcdf4") == 0);
        if (argc == 3 && std::strcmp(argv[1], "csv") == 0) return csv(argv[2]);
        if ((argc == 5 || argc == 6) && std::strcmp(argv[1], "convert") == 0)
            return convertArchive(argv[2], argv[3], static_cast<unsigned>(std::stoul(argv[4])), argc == 6);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "archive_bench: %s\n", error.what());
        return 1;
    }
    std::fprintf(stderr, "usage: see the head of bench/netcdf/archive_bench.cpp\n");
    return 2;
}
