// What a netCDF file holds, as plain records: its groups, dimensions,
// variables, attributes and how each variable is stored; and the error that
// tells what went wrong with a file. Nothing here knows of seawater; nor does
// a caller need netCDF's own header to use it.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace thalwen {

// Bad input and failed output, told in a user's words with the file's name,
// and the variable's where there is one. output tells the two apart: the
// command line answers a file it cannot read otherwise than one it cannot write.
class NetcdfError : public std::runtime_error {
public:
    NetcdfError(std::string message, bool output) : std::runtime_error(std::move(message)), output(output) {}
    bool output;
};

// The atomic types of netCDF, and the user-defined ones (compound, enum,
// opaque, variable-length) lumped together.
enum class ValueType { Byte, Char, Short, Int, Float, Double, UByte, UShort, UInt, Int64, UInt64, String, UserDefined };

// As CDL writes it: "float", "ubyte", "string"...
const char* typeName(ValueType type);
bool isNumber(ValueType type);
// What netCDF reads where nothing was written, for a type of numbers.
double defaultFill(ValueType type);

struct Attribute {
    std::string name;
    ValueType type = ValueType::Char;
    std::string text;             // char: the text; string: its values, one blank between (a CF list)
    std::vector<double> numbers;  // of a numeric type: its values
};

struct Dimension {
    std::string name;
    std::size_t length = 0;  // an unlimited one's current length
    bool unlimited = false;
    int id = -1;  // the file's own
};

enum class Layout { Contiguous, Chunked, Compact };

struct Storage {
    Layout layout = Layout::Contiguous;
    std::vector<std::size_t> chunks;  // when chunked, a length for each dimension
    int deflateLevel = 0;             // 0: not compressed
    bool shuffle = false;
    bool fletcher32 = false;
    bool noFill = false;  // values never written hold no fill value: the file's default fill is no gap
};

struct Variable {
    std::string name;
    ValueType type = ValueType::Double;
    std::vector<Dimension> dimensions;  // outermost first
    std::vector<Attribute> attributes;
    Storage storage;  // a classic file's: contiguous, uncompressed
    int id = -1;      // the file's own, within its group
};

struct Group {
    std::string name;                   // "/" for the root
    std::vector<Dimension> dimensions;  // those defined here
    std::vector<Variable> variables;
    std::vector<Attribute> attributes;
    std::vector<Group> groups;
    int id = -1;  // the file's own
};

enum class FileFormat { Classic, Offset64, Cdf5, Netcdf4, Netcdf4Classic };

struct Description {
    std::string path;
    FileFormat format = FileFormat::Classic;
    Group root;
};

const Attribute* findAttribute(const std::vector<Attribute>& attributes, std::string_view name);
// The text of the attribute name (char or string), without the blanks and
// NULs some writers leave around it; empty when there is none of text.
std::string textOf(const std::vector<Attribute>& attributes, std::string_view name);
const Variable* findVariable(const Group& group, std::string_view name);
const Dimension* findDimension(const Group& group, std::string_view name);
std::vector<std::size_t> shapeOf(const Variable& variable);

// A netCDF-4 output keeps to the classic data model when the input does: the
// classic formats, netCDF-4 classic, and CDF5 unless it uses the types that
// model lacks (unsigned, 64-bit integers).
bool fitsClassicModel(const Description& description);

}  // namespace thalwen
