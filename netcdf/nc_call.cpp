#include "nc_call.h"

#include <cstring>

namespace thalwen {

namespace {

constexpr TypeInfo kTypes[] = {
    {ValueType::Byte, NC_BYTE, "byte", 1, NC_FILL_BYTE},
    {ValueType::Char, NC_CHAR, "char", 1, NC_FILL_CHAR},
    {ValueType::Short, NC_SHORT, "short", 2, NC_FILL_SHORT},
    {ValueType::Int, NC_INT, "int", 4, NC_FILL_INT},
    {ValueType::Float, NC_FLOAT, "float", 4, NC_FILL_FLOAT},
    {ValueType::Double, NC_DOUBLE, "double", 8, NC_FILL_DOUBLE},
    {ValueType::UByte, NC_UBYTE, "ubyte", 1, NC_FILL_UBYTE},
    {ValueType::UShort, NC_USHORT, "ushort", 2, NC_FILL_USHORT},
    {ValueType::UInt, NC_UINT, "uint", 4, NC_FILL_UINT},
    {ValueType::Int64, NC_INT64, "int64", 8, static_cast<double>(NC_FILL_INT64)},
    {ValueType::UInt64, NC_UINT64, "uint64", 8, static_cast<double>(NC_FILL_UINT64)},
    {ValueType::String, NC_STRING, "string", sizeof(char*), 0},
};
constexpr TypeInfo kUserDefined = {ValueType::UserDefined, NC_NAT, "user-defined", 0, 0};

// What a user can do something about, in words; netCDF's own follow.
const char* statusWords(int status, bool output) {
    switch (status) {
    case NC_ENOTNC:
        return "not a netCDF file";
    case NC_ETRUNC:
        return "the file is cut short";
    case NC_EHDFERR:
    case NC_ECANTREAD:
    case NC_EFILEMETA:
    case NC_EDIMMETA:
    case NC_EATTMETA:
    case NC_EVARMETA:
    case NC_EIO:
        return output ? "the file could not be written" : "the file is damaged or cut short";
    case NC_ECANTWRITE:
    case NC_ECANTCREATE:
        return "the file could not be written";
    case NC_ECHAR:
        return "it holds text, not numbers";
    case NC_ENOMEM:
        return "out of memory";
    case NC_ENOFILTER:
        return "it is compressed by a filter this system lacks";
    case NC_ENAMEINUSE:
        return "the name is taken";
    case NC_EBADDIM:
        return "no such dimension";
    case NC_ENOTVAR:
        return "no such variable";
    default:
        return nullptr;
    }
}

}  // namespace

const TypeInfo& typeInfo(ValueType type) {
    for (const TypeInfo& info : kTypes)
        if (info.type == type) return info;
    return kUserDefined;
}

ValueType valueTypeOf(nc_type id) {
    for (const TypeInfo& info : kTypes)
        if (info.id == id) return info.type;
    return ValueType::UserDefined;
}

void keepNoChunks(const Place& place, int group, int variable, std::string_view what) {
    // One byte, which no chunk fits in: a size of 0 leaves HDF5 caching all.
    checked(place, what, [&] { return nc_set_var_chunk_cache(group, variable, 1, 0, 0.75f); });
}

const char* typeName(ValueType type) { return typeInfo(type).name; }

double defaultFill(ValueType type) { return typeInfo(type).defaultFill; }

bool isNumber(ValueType type) {
    return type != ValueType::Char && type != ValueType::String && type != ValueType::UserDefined;
}

std::string inQuotes(std::string_view name) { return "'" + std::string(name) + "'"; }

NetcdfError interrupted(const std::string& path) {
    return NetcdfError(path + ": interrupted before it was whole: not written", true);
}

const std::size_t* coordinates(const std::vector<std::size_t>& values) {
    static const std::size_t kNone[1] = {0};
    return values.empty() ? kNone : values.data();
}

NetcdfError netcdfError(const Place& place, std::string_view what, int status, int error) {
    std::string message = place.path + ": " + std::string(what) + ": ";
    const char* words = statusWords(status, place.output);
    if (place.output && error != 0) {
        // The system's reason (a disk full, a folder missing) says more than
        // netCDF's, which is "HDF error" or "Permission denied" for any
        // failure to create or write a netCDF-4 file.
        message += std::strerror(error);
        if (status < 0) message += " (" + std::string(nc_strerror(status)) + ")";
    } else if (status > 0) {
        message += std::strerror(status);  // the system's own error, passed on by netCDF
    } else if (words != nullptr) {
        message += std::string(words) + " (" + nc_strerror(status) + ")";
    } else {
        message += nc_strerror(status);
    }
    return NetcdfError(message, place.output);
}

}  // namespace thalwen
