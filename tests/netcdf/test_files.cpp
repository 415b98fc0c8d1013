#include "test_files.h"

#include <algorithm>
#include <cstdio>
#include <random>
#include <stdexcept>

namespace thalwen::test {

Folder::Folder() {
    path = std::filesystem::temp_directory_path() / ("thalwen-netcdf-" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(path);
}

Folder::~Folder() { std::filesystem::remove_all(path); }

std::vector<std::string> Folder::names() const {
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(path)) found.push_back(entry.path().filename());
    std::sort(found.begin(), found.end());
    return found;
}

void nc(int status) {
    if (status != NC_NOERR) throw std::runtime_error(nc_strerror(status));
}

int create(const std::string& path, int mode) {
    int id = -1;
    nc(nc_create(path.c_str(), mode | NC_CLOBBER, &id));
    return id;
}

int dimension(int group, const char* name, std::size_t length) {
    int id = -1;
    nc(nc_def_dim(group, name, length, &id));
    return id;
}

int variable(int group, const char* name, nc_type type, const std::vector<int>& dimensions) {
    int id = -1;
    nc(nc_def_var(group, name, type, static_cast<int>(dimensions.size()), dimensions.data(), &id));
    return id;
}

void text(int group, int variable, const char* name, const std::string& value) {
    nc(nc_put_att_text(group, variable, name, value.size(), value.data()));
}

void numbers(int group, int variable, const char* name, nc_type type, const std::vector<double>& values) {
    nc(nc_put_att_double(group, variable, name, type, values.size(), values.data()));
}

void put(int group, int variable, const std::vector<double>& values) {
    nc(nc_put_var_double(group, variable, values.data()));
}

std::vector<double> values(const std::string& path, const char* variable) {
    int file = -1, id = -1, rank = 0, dimensions[NC_MAX_VAR_DIMS];
    nc(nc_open(path.c_str(), NC_NOWRITE, &file));
    nc(nc_inq_varid(file, variable, &id));
    nc(nc_inq_var(file, id, nullptr, nullptr, &rank, dimensions, nullptr));
    std::size_t count = 1;
    for (int d = 0; d < rank; ++d) {
        std::size_t length = 0;
        nc(nc_inq_dimlen(file, dimensions[d], &length));
        count *= length;
    }
    std::vector<double> found(count);
    nc(nc_get_var_double(file, id, found.data()));
    nc(nc_close(file));
    return found;
}

std::string textOf(const std::string& path, const char* variable, const char* attribute) {
    int file = -1, id = NC_GLOBAL;
    nc(nc_open(path.c_str(), NC_NOWRITE, &file));
    if (variable != nullptr) nc(nc_inq_varid(file, variable, &id));
    std::size_t length = 0;
    nc(nc_inq_attlen(file, id, attribute, &length));
    std::string found(length, '\0');
    nc(nc_get_att_text(file, id, attribute, found.data()));
    nc(nc_close(file));
    return found;
}

std::string ncdump(const std::string& options, const std::string& path) {
    std::FILE* pipe = popen((NCDUMP " " + options + " '" + path + "' 2>&1").c_str(), "r");
    std::string output;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
    pclose(pipe);
    return output.substr(output.find('\n') + 1);
}

}  // namespace thalwen::test
