#include "description.h"

#include <algorithm>

namespace thalwen {

namespace {

template <class Item>
const Item* findNamed(const std::vector<Item>& items, std::string_view name) {
    const auto found = std::find_if(items.begin(), items.end(), [&](const Item& item) { return item.name == name; });
    return found == items.end() ? nullptr : &*found;
}

bool usesOnlyClassicTypes(const std::vector<Attribute>& attributes) {
    return std::all_of(attributes.begin(), attributes.end(),
                       [](const Attribute& attribute) { return attribute.type <= ValueType::Double; });
}

}  // namespace

const Attribute* findAttribute(const std::vector<Attribute>& attributes, std::string_view name) {
    return findNamed(attributes, name);
}

std::string textOf(const std::vector<Attribute>& attributes, std::string_view name) {
    const Attribute* attribute = findAttribute(attributes, name);
    if (attribute == nullptr || isNumber(attribute->type)) return "";
    const std::size_t first = attribute->text.find_first_not_of(std::string_view(" \t\0", 3));
    if (first == std::string::npos) return "";
    return attribute->text.substr(first, attribute->text.find_last_not_of(std::string_view(" \t\0", 3)) + 1 - first);
}

const Variable* findVariable(const Group& group, std::string_view name) { return findNamed(group.variables, name); }

const Dimension* findDimension(const Group& group, std::string_view name) { return findNamed(group.dimensions, name); }

std::vector<std::size_t> shapeOf(const Variable& variable) {
    std::vector<std::size_t> shape;
    for (const Dimension& dimension : variable.dimensions) shape.push_back(dimension.length);
    return shape;
}

bool fitsClassicModel(const Description& description) {
    switch (description.format) {
    case FileFormat::Classic:
    case FileFormat::Offset64:
    case FileFormat::Netcdf4Classic:
        return true;
    case FileFormat::Netcdf4:
        return false;
    case FileFormat::Cdf5:
        break;
    }
    const Group& root = description.root;  // CDF5 has no groups
    return usesOnlyClassicTypes(root.attributes) &&
           std::all_of(root.variables.begin(), root.variables.end(), [](const Variable& variable) {
               return variable.type <= ValueType::Double && usesOnlyClassicTypes(variable.attributes);
           });
}

}  // namespace thalwen
