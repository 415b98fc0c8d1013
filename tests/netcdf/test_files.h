// Test files made with netCDF's C API in a folder of each test's own.
#pragma once

#include <netcdf.h>

#include <filesystem>
#include <string>
#include <vector>

namespace thalwen::test {

// A fresh folder, removed with all it holds.
struct Folder {
    Folder();
    ~Folder();
    std::string file(const std::string& name) const { return (path / name).string(); }
    std::vector<std::string> names() const;  // of the files it holds, sorted
    std::filesystem::path path;
};

// Each throws on a netCDF error, so that a test fails where its file is made.
void nc(int status);
int create(const std::string& path, int mode);
int dimension(int group, const char* name, std::size_t length);
int variable(int group, const char* name, nc_type type, const std::vector<int>& dimensions);
void text(int group, int variable, const char* name, const std::string& value);
void numbers(int group, int variable, const char* name, nc_type type, const std::vector<double>& values);
void put(int group, int variable, const std::vector<double>& values);  // every value, converted to its type

std::vector<double> values(const std::string& path, const char* variable);
std::string textOf(const std::string& path, const char* variable, const char* attribute);

// What ncdump prints, without its first line (the file's name).
std::string ncdump(const std::string& options, const std::string& path);

}  // namespace thalwen::test
