#include "input_file.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>

#include "classic_header.h"
#include "nc_call.h"

namespace thalwen {

namespace {

FileFormat formatOf(int format) {
    switch (format) {
    case NC_FORMAT_64BIT_OFFSET:
        return FileFormat::Offset64;
    case NC_FORMAT_CDF5:
        return FileFormat::Cdf5;
    case NC_FORMAT_NETCDF4:
        return FileFormat::Netcdf4;
    case NC_FORMAT_NETCDF4_CLASSIC:
        return FileFormat::Netcdf4Classic;
    default:
        return FileFormat::Classic;
    }
}

bool isNetcdf4(FileFormat format) { return format == FileFormat::Netcdf4 || format == FileFormat::Netcdf4Classic; }

void checkComplete(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return;  // a device or a pipe has no size to check
    std::ifstream file(path, std::ios::binary);
    const auto header = readClassicHeader(file);
    const auto size = std::filesystem::file_size(path, error);
    if (!header) throw NetcdfError(path + ": the file is cut short: its header is incomplete", false);
    if (!error && size < header->dataEnd)
        throw NetcdfError(path + ": the file is cut short: it holds " + std::to_string(size) + " bytes of the " +
                              std::to_string(header->dataEnd) + " its header describes",
                          false);
}

// netCDF refuses a classic file whose variable names a dimension it lacks
// without saying which: the header says.
void nameVariableWithoutDimension(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    const auto header = readClassicHeader(file);
    if (header && !header->withoutDimension.empty())
        throw NetcdfError(path + ": variable " + inQuotes(header->withoutDimension) +
                              " has a dimension the file lacks: the file is damaged",
                          false);
}

// Describes the groups of an open file, the dimensions of every group seen so
// far at hand for the variables of the groups below.
class Describer {
public:
    Describer(const std::string& path, FileFormat format) : place_{path, false}, format_(format) {}

    Group group(int id, std::string name) {
        Group group;
        group.name = std::move(name);
        group.id = id;
        int unlimitedCount = 0;
        checked(place_, "cannot read its dimensions", [&] { return nc_inq_unlimdims(id, &unlimitedCount, nullptr); });
        std::vector<int> unlimited(static_cast<std::size_t>(unlimitedCount));
        checked(place_, "cannot read its dimensions", [&] { return nc_inq_unlimdims(id, nullptr, unlimited.data()); });
        for (int dimension : ids(id, nc_inq_dimids, "cannot read its dimensions")) {
            char dimensionName[NC_MAX_NAME + 1] = {};
            std::size_t length = 0;
            checked(place_, "cannot read its dimensions",
                    [&] { return nc_inq_dim(id, dimension, dimensionName, &length); });
            const bool isUnlimited = std::find(unlimited.begin(), unlimited.end(), dimension) != unlimited.end();
            dimensions_[dimension] = {dimensionName, length, isUnlimited, dimension};
            group.dimensions.push_back(dimensions_[dimension]);
        }
        group.attributes = attributes(id, NC_GLOBAL, "cannot read its global attributes");
        for (int variable : ids(id, nc_inq_varids, "cannot read its variables"))
            group.variables.push_back(describe(id, variable));
        for (int child : ids(id, nc_inq_grps, "cannot read its groups")) {
            char childName[NC_MAX_NAME + 1] = {};
            checked(place_, "cannot read its groups", [&] { return nc_inq_grpname(child, childName); });
            group.groups.push_back(this->group(child, childName));
        }
        return group;
    }

private:
    // The ids netCDF lists by one of its "count, then fill" functions.
    template <class List>
    std::vector<int> ids(int group, List list, std::string_view what) {
        int count = 0;
        checked(place_, what, [&] { return list(group, &count, nullptr); });
        std::vector<int> found(static_cast<std::size_t>(count));
        checked(place_, what, [&] { return list(group, &count, found.data()); });
        return found;
    }
    std::vector<int> ids(int group, int (*list)(int, int*, int*, int), std::string_view what) {
        return ids(
            group, [&](int g, int* count, int* found) { return list(g, count, found, 0); }, what);
    }

    Variable describe(int group, int id) {
        char name[NC_MAX_NAME + 1] = {};
        nc_type type = NC_NAT;
        int rank = 0;
        checked(place_, "cannot read its variables", [&] { return nc_inq_varndims(group, id, &rank); });
        std::vector<int> dimensionIds(static_cast<std::size_t>(rank));
        checked(place_, "cannot read its variables",
                [&] { return nc_inq_var(group, id, name, &type, nullptr, dimensionIds.data(), nullptr); });
        Variable variable;
        variable.name = name;
        variable.type = valueTypeOf(type);
        variable.id = id;
        const std::string what = "variable " + inQuotes(name);
        for (int dimension : dimensionIds) variable.dimensions.push_back(dimensions_.at(dimension));
        variable.attributes = attributes(group, id, what + ": cannot read its attributes");
        if (isNetcdf4(format_)) {
            variable.storage = storage(group, id, rank, what + ": cannot read its storage");
            keepNoChunks(place_, group, id, what + ": cannot read its storage");
        }
        return variable;
    }

    Storage storage(int group, int id, int rank, std::string_view what) {
        Storage storage;
        int layout = NC_CONTIGUOUS, shuffle = 0, deflate = 0, fletcher32 = 0, noFill = 0;
        storage.chunks.resize(static_cast<std::size_t>(rank));
        checked(place_, what, [&] { return nc_inq_var_chunking(group, id, &layout, storage.chunks.data()); });
        checked(place_, what, [&] { return nc_inq_var_deflate(group, id, &shuffle, &deflate, &storage.deflateLevel); });
        checked(place_, what, [&] { return nc_inq_var_fletcher32(group, id, &fletcher32); });
        checked(place_, what, [&] { return nc_inq_var_fill(group, id, &noFill, nullptr); });
        storage.layout = layout == NC_CHUNKED   ? Layout::Chunked
                         : layout == NC_COMPACT ? Layout::Compact
                                                : Layout::Contiguous;
        if (storage.layout != Layout::Chunked) storage.chunks.clear();
        if (!deflate) storage.deflateLevel = 0;
        storage.shuffle = shuffle != 0;
        storage.fletcher32 = fletcher32 != 0;
        storage.noFill = noFill != 0;
        return storage;
    }

    std::vector<Attribute> attributes(int group, int variable, std::string_view what) {
        int count = 0;
        checked(place_, what, [&] { return nc_inq_varnatts(group, variable, &count); });
        std::vector<Attribute> attributes;
        for (int i = 0; i < count; ++i) {
            char name[NC_MAX_NAME + 1] = {};
            nc_type type = NC_NAT;
            std::size_t length = 0;
            checked(place_, what, [&] { return nc_inq_attname(group, variable, i, name); });
            checked(place_, what, [&] { return nc_inq_att(group, variable, name, &type, &length); });
            Attribute attribute;
            attribute.name = name;
            attribute.type = valueTypeOf(type);
            if (attribute.type == ValueType::Char) {
                attribute.text.resize(length);
                checked(place_, what, [&] { return nc_get_att_text(group, variable, name, attribute.text.data()); });
            } else if (attribute.type == ValueType::String) {
                std::vector<char*> strings(length);
                checked(place_, what, [&] { return nc_get_att_string(group, variable, name, strings.data()); });
                for (std::size_t s = 0; s < length; ++s) attribute.text += (s ? " " : "") + std::string(strings[s]);
                nc_free_string(length, strings.data());
            } else if (isNumber(attribute.type)) {
                attribute.numbers.resize(length);
                checked(place_, what,
                        [&] { return nc_get_att_double(group, variable, name, attribute.numbers.data()); });
            }
            attributes.push_back(std::move(attribute));
        }
        return attributes;
    }

    Place place_;
    FileFormat format_;
    std::map<int, Dimension> dimensions_;
};

}  // namespace

InputFile::InputFile(std::string path) {
    description_.path = std::move(path);
    const Place place{description_.path, false};
    const int status = nc_open(description_.path.c_str(), NC_NOWRITE, &id_);
    if (status == NC_EBADDIM) nameVariableWithoutDimension(description_.path);
    checked(place, "cannot open", [&] { return status; });
    try {
        int format = 0;
        checked(place, "cannot read its format", [&] { return nc_inq_format(id_, &format); });
        description_.format = formatOf(format);
        if (!isNetcdf4(description_.format)) checkComplete(description_.path);
        description_.root = Describer(description_.path, description_.format).group(id_, "/");
    } catch (...) {
        nc_close(id_);
        throw;
    }
}

InputFile::~InputFile() { nc_close(id_); }

}  // namespace thalwen
