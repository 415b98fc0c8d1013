// The ten quantities of a sample as the command line names, labels and shows
// them, and the method names.
#pragma once

#include <optional>
#include <string_view>

#include "sample.h"

constexpr int kFieldCount = 10;

// Positions in Sample order, for the few places that single one out.
enum FieldIndex : int {
    kPressure,
    kLongitude,
    kLatitude,
    kTemperature,
    kPracticalSalinity,
    kAbsoluteSalinity,
    kDensity,
    kConductivity,
    kSpecificGravity,
    kReferenceTemperature
};

struct FieldInfo {
    const char* name;    // the Sample field name: option stem, CSV column, JSON key
    const char* option;  // the command-line option that gives it, or nullptr
    const char* label;   // text table
    const char* unit;    // text table, Celsius form; "" when dimensionless
    double Sample::*member;
    int decimals;          // as the form shows it
    bool salinityRelated;  // one of the four quantities that can be the source
    bool temperature;      // given and shown in Fahrenheit on request
};

// In the order of Sample.
extern const FieldInfo kFields[kFieldCount];

// Index into kFields, or -1.
int fieldIndex(std::string_view name);

inline double& field(Sample& sample, int index) { return sample.*kFields[index].member; }
inline double field(const Sample& sample, int index) { return sample.*kFields[index].member; }

const char* methodName(Method method);   // "exact", "polynomial", "ies80"
const char* methodLabel(Method method);  // the form's button label
std::optional<Method> methodFromName(std::string_view name);
