#include "fields.h"

const FieldInfo kFields[kFieldCount] = {
    {"pressure", "--pressure", "Sea pressure", "dbar", &Sample::pressure, 2, false, false},
    {"longitude", "--longitude", "Longitude", "°E", &Sample::longitude, 6, false, false},
    {"latitude", "--latitude", "Latitude", "°N", &Sample::latitude, 6, false, false},
    {"temperature", "--temperature", "Temperature", "°C", &Sample::temperature, 2, false, true},
    {"practicalSalinity", "--salinity", "Practical Salinity", "", &Sample::practicalSalinity, 5, true, false},
    {"absoluteSalinity", nullptr, "Absolute Salinity", "g/kg", &Sample::absoluteSalinity, 5, false, false},
    {"density", "--density", "Density", "kg/m³", &Sample::density, 5, true, false},
    {"conductivity", "--conductivity", "Conductivity", "mS/cm", &Sample::conductivity, 5, true, false},
    {"specificGravity", "--specific-gravity", "Specific gravity", "", &Sample::specificGravity, 5, true, false},
    {"referenceTemperature", "--reference-temperature", "Reference temperature", "°C", &Sample::referenceTemperature, 2,
     false, true},
};

int fieldIndex(std::string_view name) {
    for (int i = 0; i < kFieldCount; ++i)
        if (name == kFields[i].name) return i;
    return -1;
}

const char* methodName(Method method) {
    switch (method) {
    case Teos10Polynomial:
        return "polynomial";
    case Teos10Exact:
        return "exact";
    case Ies80:
        return "ies80";
    }
    return "?";
}

const char* methodLabel(Method method) {
    switch (method) {
    case Teos10Polynomial:
        return "TEOS-10 48 term";
    case Teos10Exact:
        return "TEOS-10 exact";
    case Ies80:
        return "IES-80";
    }
    return "?";
}

std::optional<Method> methodFromName(std::string_view name) {
    for (Method m : {Teos10Polynomial, Teos10Exact, Ies80})
        if (name == methodName(m)) return m;
    return std::nullopt;
}
