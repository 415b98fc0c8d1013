// A netCDF-4 copy of an input with new variables of doubles added, written
// under a temporary name beside the destination and given its name only once
// whole: a failure at any point leaves nothing half-written behind.
#pragma once

#include <atomic>
#include <chrono>
#include <span>
#include <string>
#include <vector>

#include "boxes.h"
#include "description.h"
#include "input_file.h"

namespace thalwen {

// A variable the output gains, in the root group: of doubles, or of another
// type of numbers (flags), its values given as doubles all the same.
struct NewVariable {
    std::string name;
    std::vector<std::string> dimensions;  // names of the input's root dimensions, outermost first
    // Written as given: text as char, numbers as their type (_FillValue of
    // the variable's).
    std::vector<Attribute> attributes;
    Storage storage;  // compression and chunks; layout Compact is not taken
    ValueType type = ValueType::Double;
};

// A name beside path that no file has yet, most likely ("OUT.nc.tmp-x7k2qa"):
// its writer creates it only if absent, and tries another if not.
std::string temporaryName(const std::string& path);

Attribute textAttribute(std::string name, std::string text);
Attribute numberAttribute(std::string name, double value);

// The line a program appends to the global history attribute, as CF asks:
// the UTC time and the command line, each argument quoted for a POSIX shell
// where it needs it: "2024-05-01T12:34:56Z: thalwen-convert 'my file.nc'".
std::string historyLine(std::chrono::system_clock::time_point time, const std::vector<std::string>& arguments);

// Whether a file whose writing failed was left open: netCDF cannot close it,
// and HDF5's clean-up at the program's exit crashes on it, so that a program
// that has one ends without that clean-up (std::_Exit).
bool filesLeftOpen();

class OutputFile {
public:
    // Creates the copy of input, netCDF-4 (in the classic model when the
    // input fits it), with variables defined after the input's own and
    // history appended to the global history attribute. Every dimension,
    // group, variable, attribute and value of the input is copied, a bounded
    // block at a time, each variable stored as it was (chunks, deflate,
    // shuffle, fletcher32). A variable or attribute of a user-defined type is
    // refused. Throws NetcdfError naming the file: the output's (output set)
    // when it cannot be written, the input's when it cannot be read; and
    // once stop turns true between two blocks of the copy.
    OutputFile(const InputFile& input, std::string path, const std::vector<NewVariable>& variables,
               const std::string& history, const std::atomic<bool>* stop = nullptr);
    // Without commit, removes what was written.
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    const std::string& path() const { return path_; }
    std::size_t newVariableCount() const { return newVariables_.size(); }
    const std::vector<std::string>& newVariableDimensions(std::size_t variable) const;

    // Writes values over box (in the variable's dimensions) of the variable-th
    // new variable; a NaN is written as its _FillValue (netCDF's default fill
    // for its type when it has none). netCDF is not thread-safe: one thread
    // writes, and no other reads the input meanwhile.
    void write(std::size_t variable, const Box& box, std::span<const double> values);

    // Closes the file and gives it its name, replacing any file of that name.
    void commit();

private:
    struct Written {
        std::string name;
        int id;
        double fill;
        std::vector<std::string> dimensions;
    };

    Written define(const InputFile& input, const NewVariable& variable);
    void discard() noexcept;

    std::string path_;
    std::string temporary_;
    int id_ = -1;
    bool open_ = false;
    bool broken_ = false;  // a write failed: netCDF can no longer close it
    std::vector<Written> newVariables_;
    std::vector<double> scratch_;
};

}  // namespace thalwen
