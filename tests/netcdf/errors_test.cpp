// Bad input told in words naming the file and the variable, and an output
// that fails leaving nothing behind.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <fstream>
#include <functional>

#include "convert_slabs.h"
#include "test_files.h"

namespace thalwen {
namespace {

using namespace test;

// PRES(N_PROF, N_LEVELS) and PLATFORM_NUMBER(N_PROF, STRING8), N_PROF
// unlimited when records; a single record variable's records are packed.
void makeSmall(const std::string& path, int mode, bool records = false) {
    const int f = create(path, mode);
    const int profiles = dimension(f, "N_PROF", records ? NC_UNLIMITED : 3);
    const int pres = variable(f, "PRES", NC_SHORT, {profiles, dimension(f, "N_LEVELS", 3)});
    if (!records) variable(f, "PLATFORM_NUMBER", NC_CHAR, {profiles, dimension(f, "STRING8", 8)});
    nc(nc_enddef(f));
    const std::size_t start[] = {0, 0}, count[] = {3, 3};
    nc(nc_put_vara_double(f, pres, start, count, std::vector<double>(9, 5).data()));
    nc(nc_close(f));
}

void cut(const std::string& path, std::uintmax_t bytes) {
    std::filesystem::resize_file(path, std::filesystem::file_size(path) - bytes);
}

// Has PRES name a dimension the file lacks, as a damaged header would: the
// last byte of its second dimension id, after its name and rank.
void loseDimension(const std::string& path) {
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    file.seekp(static_cast<std::streamoff>(bytes.find("PRES") + 4 + 4 + 4 + 3));
    file.put(9);
}

void withUserType(const std::string& path) {
    const int f = create(path, NC_NETCDF4);
    nc_type kind = NC_NAT;
    nc(nc_def_enum(f, NC_BYTE, "kind_t", &kind));
    const signed char one = 1;
    nc(nc_insert_enum(f, kind, "one", &one));
    variable(f, "KIND", kind, {});
    nc(nc_close(f));
}

TEST(NetcdfErrors, NameTheFileAndTheVariableInWords) {
    using Step = std::function<void(const Folder&)>;
    const Step none = [](const Folder&) {};
    auto open = [](const Folder& folder) { InputFile input(folder.file("in.nc")); };
    auto read = [](const char* name) {
        return [name](const Folder& folder) { SlabReader(InputFile(folder.file("in.nc")), {name}, 10); };
    };
    auto add = [](const char* name, const char* dimension) {
        return [=](const Folder& folder) {
            OutputFile(InputFile(folder.file("in.nc")), folder.file("out.nc"), {{name, {dimension}, {}, {}}}, "");
        };
    };
    const struct {
        Step make;
        Step act;
        std::string message;  // after the folder; empty when no error
        bool output = false;
    } rows[] = {
        {[](const Folder& f) { std::ofstream(f.file("in.nc")) << "id,temp\n"; }, open,
         "in.nc: cannot open: not a netCDF file"},
        {none, open, "in.nc: cannot open: No such file or directory"},
        {[](const Folder& f) { makeSmall(f.file("in.nc"), 0); }, open, ""},
        {[](const Folder& f) { makeSmall(f.file("in.nc"), 0), cut(f.file("in.nc"), 1); }, open,
         "in.nc: the file is cut short: it holds"},
        {[](const Folder& f) { makeSmall(f.file("in.nc"), NC_64BIT_DATA, true); }, open, ""},
        {[](const Folder& f) { makeSmall(f.file("in.nc"), NC_64BIT_OFFSET, true), cut(f.file("in.nc"), 1); }, open,
         "in.nc: the file is cut short: it holds"},
        {[](const Folder& f) { makeSmall(f.file("in.nc"), 0), std::filesystem::resize_file(f.file("in.nc"), 50); },
         open, "in.nc: the file is cut short: its header is incomplete"},
        {[](const Folder& f) { makeSmall(f.file("in.nc"), NC_NETCDF4), cut(f.file("in.nc"), 100); }, open,
         "in.nc: cannot open: the file is damaged or cut short"},
        {[](const Folder& f) { makeSmall(f.file("in.nc"), 0), loseDimension(f.file("in.nc")); }, open,
         "in.nc: variable 'PRES' has a dimension the file lacks"},
        {[](const Folder& f) { makeSmall(f.file("in.nc"), 0); }, read("PLATFORM_NUMBER"),
         "in.nc: variable 'PLATFORM_NUMBER' holds char, not numbers"},
        {[](const Folder& f) { makeSmall(f.file("in.nc"), 0); }, read("TEMP"), "in.nc: no variable 'TEMP'"},
        {[](const Folder& f) { makeSmall(f.file("in.nc"), 0); }, add("DENSITY", "N_DEPTH"),
         "in.nc: no dimension 'N_DEPTH' for the new variable 'DENSITY'"},
        {[](const Folder& f) { makeSmall(f.file("in.nc"), 0); }, add("PRES", "N_PROF"),
         "in.nc: has a variable 'PRES' already"},
        {[](const Folder& f) { withUserType(f.file("in.nc")); }, add("DENSITY", "N_PROF"),
         "in.nc: variable 'KIND' is of a user-defined type, which is not copied"},
        {[](const Folder& f) { makeSmall(f.file("in.nc"), 0); },
         [](const Folder& f) { OutputFile(InputFile(f.file("in.nc")), f.file("no/out.nc"), {}, ""); },
         "no/out.nc: cannot create it: No such file or directory", true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.message);
        const Folder folder;
        row.make(folder);
        try {
            row.act(folder);
            EXPECT_EQ(row.message, "");
        } catch (const NetcdfError& error) {
            EXPECT_NE(row.message, "") << error.what();
            EXPECT_EQ(std::string(error.what()).rfind(folder.file(row.message), 0), 0u) << error.what();
            EXPECT_EQ(error.output, row.output);
        }
    }
}

TEST(NetcdfOutput, LeavesNothingHalfWrittenOnFailure) {
    std::atomic<bool> stop = false;
    const struct {
        const char* failure;
        std::size_t fileSizeLimit;  // 0: none
        bool stop;
        const char* message;
    } rows[] = {
        {"the conversion", 0, false, "conversion failed"},
        {"a full disk while copying", 300'000, false,
         "out.nc: variable 'PRES': cannot write its values: File too large"},
        {"a full disk while adding", 1'000'000, false,
         "out.nc: variable 'TWICE': cannot write its values: File too large"},
        {"an interruption", 0, true, "out.nc: interrupted"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.failure);
        const Folder folder;
        const int f = create(folder.file("in.nc"), NC_NETCDF4);
        const int pres = variable(f, "PRES", NC_FLOAT, {dimension(f, "N_PROF", 100), dimension(f, "N_LEVELS", 1000)});
        put(f, pres, std::vector<double>(100'000, 1));
        nc(nc_close(f));
        std::ofstream(folder.file("out.nc")) << "an earlier output";
        stop = row.stop;
        rlimit unlimited{};
        getrlimit(RLIMIT_FSIZE, &unlimited);
        const auto signal = std::signal(SIGXFSZ, SIG_IGN);
        if (row.fileSizeLimit > 0) {
            rlimit limit = unlimited;
            limit.rlim_cur = row.fileSizeLimit;
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        try {
            const InputFile input(folder.file("in.nc"));
            SlabReader reader(input, {"PRES"}, 10'000);
            OutputFile output(input, folder.file("out.nc"), {{"TWICE", reader.dimensionNames(), {}, {}}}, "");
            convertSlabs(
                reader, output, 2,
                [&](Slab& slab) {
                if (row.fileSizeLimit == 0 && !row.stop && slab.box.start[0] > 50)
                    throw std::runtime_error("conversion failed");
                for (std::size_t i = 0; i < slab.size(); ++i) slab.outputs[0][i] = 2 * slab.inputs[0].values[i];
                },
                &stop);
            output.commit();
            ADD_FAILURE() << "no failure";
        } catch (const std::exception& error) {
            EXPECT_NE(std::string(error.what()).find(row.message), std::string::npos) << error.what();
        }
        setrlimit(RLIMIT_FSIZE, &unlimited);
        std::signal(SIGXFSZ, signal);
        EXPECT_EQ(folder.names(), (std::vector<std::string>{"in.nc", "out.nc"}));
        std::string kept;
        std::getline(std::ifstream(folder.file("out.nc")), kept);
        EXPECT_EQ(kept, "an earlier output");
    }
}

}  // namespace
}  // namespace thalwen
