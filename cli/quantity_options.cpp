#include "quantity_options.h"

namespace thalwen {

const QuantityOption kQuantityOptions[kQuantityOptionCount] = {
    {Quantity::Pressure, "--pressure", "DBAR", "sea pressure"},
    {Quantity::Longitude, "--longitude", "DEG", "decimal degrees east"},
    {Quantity::Latitude, "--latitude", "DEG", "decimal degrees north"},
    {Quantity::Temperature, "--temperature", "T", "in-situ temperature"},
    {Quantity::ReferenceTemperature, "--reference-temperature", "T", "of the pure water SG refers to"},
    {Quantity::PracticalSalinity, "--salinity", "SP", "Practical Salinity"},
    {Quantity::Density, "--density", "RHO", "in-situ density"},
    {Quantity::Conductivity, "--conductivity", "C", "in the unit of --conductivity-unit"},
    {Quantity::SpecificGravity, "--specific-gravity", "SG", "against pure water at the reference temperature"},
};

const char* optionOf(Quantity quantity) {
    for (const QuantityOption& option : kQuantityOptions)
        if (option.quantity == quantity) return option.option;
    return nullptr;
}

std::optional<Quantity> quantityOfOption(std::string_view name) {
    for (const QuantityOption& option : kQuantityOptions)
        if (name == option.option) return option.quantity;
    return std::nullopt;
}

std::optional<Quantity> quantityNamed(std::string_view name) {
    for (const QuantityInfo& info : kQuantities)
        if (name == info.name) return info.quantity;
    return std::nullopt;
}

}  // namespace thalwen
