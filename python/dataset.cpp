#include "dataset.h"

#include <netcdf.h>  // NC_FILL_DOUBLE, the fill value thalwen-convert's results are written with

#include <array>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "conversion.h"
#include "file_names.h"
#include "number_text.h"
#include "sample_arrays.h"

namespace py = pybind11;
using namespace py::literals;

namespace thalwen {

namespace {

// convert()'s keywords that say how, passed on to it as given.
const char* const kPassedOn[] = {"method", "conductivity_unit", "fahrenheit", "missing", "jobs"};

std::string reprOf(py::handle value) { return py::repr(value).cast<std::string>(); }
std::string quoted(const std::string& name) { return "'" + name + "'"; }
std::string textOf(py::handle value) { return py::str(value).cast<std::string>(); }

bool isDataArray(py::handle value) { return py::isinstance(value, py::module_::import("xarray").attr("DataArray")); }

// One input of the conversion: a variable of the dataset, a DataArray given
// as a keyword (paired by dimension name too) or a number given as one.
struct Input {
    const QuantityInfo* info;
    std::string whose;                   // in messages: "variable 'TEMP'", "latitude"
    std::string variable;                // the dataset's variable; empty for a keyword
    py::object value;                    // a DataArray, its gaps NaN; or a number
    std::optional<NameReading> reading;  // how its name said what it gives; none when mapped or a keyword
};

struct Options {
    py::dict passedOn;
    Method method = SampleArrays{}.method;
    bool fahrenheit = false;
    const ConductivityUnit* conductivityUnit = SampleArrays{}.conductivityUnit;
    std::optional<std::vector<Field>> outputs;
    std::optional<Quantity> source;
    std::vector<std::pair<Quantity, std::string>> columns;  // columns=, as --column QUANTITY=VARIABLE
    std::optional<std::vector<std::string>> qc;             // the flags kept, as text
    std::vector<Input> keywords;                            // the inputs given as keywords
    std::string call;                                       // the options as the history line says them
};

Quantity readSource(py::handle value) {
    if (py::isinstance<py::str>(value))
        if (const auto quantity = inputFromKeyword(value.cast<std::string>()))
            if (infoOf(*quantity).salinityRelated) return *quantity;
    std::vector<std::string> names;
    for (const QuantityInfo& info : kQuantities)
        if (info.salinityRelated) names.push_back(quoted(info.keyword));
    throw py::value_error("source: " + reprOf(value) + " is not one of " + listed(names, " or "));
}

// columns=: a dict from an input's keyword to the name of the variable that gives it.
std::vector<std::pair<Quantity, std::string>> readColumns(py::handle value, py::handle dataset) {
    if (!py::isinstance<py::dict>(value))
        throw py::type_error("columns: expected a dict from an input's keyword to a variable's name, got " +
                             reprOf(value));
    std::vector<std::pair<Quantity, std::string>> columns;
    for (const auto& [key, name] : py::reinterpret_borrow<py::dict>(value)) {
        const std::optional<Quantity> quantity =
            py::isinstance<py::str>(key) ? inputFromKeyword(key.cast<std::string>()) : std::nullopt;
        if (!quantity) throw py::value_error("columns: " + reprOf(key) + " is not an input's keyword");
        const std::string where = "columns: " + reprOf(key) + ": ";
        if (!py::isinstance<py::str>(name) || !dataset.attr("variables").contains(name))
            throw py::value_error(where + "the dataset has no variable " + reprOf(name));
        for (const auto& [other, taken] : columns)
            if (taken == name.cast<std::string>())
                throw py::value_error(where + "variable " + reprOf(name) + " is mapped twice");
        columns.emplace_back(*quantity, name.cast<std::string>());
    }
    return columns;
}

// qc=: a flag or a sequence of flags, numbers or single characters, as
// --qc takes them.
std::vector<std::string> readFlags(py::handle value) {
    std::vector<py::handle> given;
    if (py::isinstance<py::str>(value) || py::isinstance<py::int_>(value))
        given.push_back(value);
    else if (py::isinstance<py::iterable>(value))
        for (const py::handle flag : value) given.push_back(flag);
    std::vector<std::string> flags;
    for (const py::handle flag : given) {
        if (PyBool_Check(flag.ptr()) || !(py::isinstance<py::str>(flag) || py::isinstance<py::int_>(flag)))
            throw py::type_error("qc: expected flags (whole numbers or characters), got " + reprOf(value));
        flags.push_back(textOf(flag));
    }
    if (flags.empty()) throw py::type_error("qc: expected flags (whole numbers or characters), got " + reprOf(value));
    return flags;
}

// An input given as a keyword: a number, or a DataArray paired by name.
Input keywordInput(const QuantityInfo& info, py::handle value) {
    if (!isDataArray(value) && py::module_::import("numpy").attr("ndim")(value).cast<int>() != 0)
        throw py::type_error(std::string(info.keyword) + ": expected a number or an xarray DataArray, got " +
                             reprOf(py::type::handle_of(value)));
    return {&info, info.keyword, {}, py::reinterpret_borrow<py::object>(value), std::nullopt};
}

Options readOptions(const py::kwargs& kwargs, py::handle dataset) {
    Options options;
    std::vector<std::string> said;
    for (const auto& [key, value] : kwargs) {
        const std::string name = key.cast<std::string>();
        if (value.is_none()) continue;  // as if not given
        said.push_back(name + "=" + (isDataArray(value) ? "<DataArray>" : reprOf(value)));
        if (std::find(std::begin(kPassedOn), std::end(kPassedOn), name) != std::end(kPassedOn))
            options.passedOn[key] = value;
        if (name == "method") {
            options.method = readMethod(value);
        } else if (name == "fahrenheit") {
            options.fahrenheit = readFahrenheit(value);
        } else if (name == "conductivity_unit") {
            options.conductivityUnit = readConductivityUnit(value);
        } else if (name == "jobs") {
            readJobs(value);  // refused now, not when a dask chunk is computed
        } else if (name == "missing") {
            readMissing(value);
        } else if (name == "outputs") {
            options.outputs = readOutputs(value);
        } else if (name == "source") {
            options.source = readSource(value);
        } else if (name == "columns") {
            options.columns = readColumns(value, dataset);
        } else if (name == "qc") {
            options.qc = readFlags(value);
        } else if (const std::optional<Quantity> quantity = inputFromKeyword(name)) {
            options.keywords.push_back(keywordInput(infoOf(*quantity), value));
        } else {
            throw py::type_error("convert_dataset() got an unexpected keyword argument '" + name +
                                 "'; see help(thalwen.convert_dataset)");
        }
    }
    options.call = "thalwen.convert_dataset(" + listed(said, ", ") + ")";
    return options;
}

// ---- The variables read ---------------------------------------------------------------------------

std::string standardNameOf(py::handle variable) {
    const py::object name = variable.attr("attrs").attr("get")("standard_name");
    return py::isinstance<py::str>(name) ? name.cast<std::string>() : "";
}

// The variables read, coordinates among them, as thalwen-convert reads a
// file's: those of columns=, then the one each quantity's name or
// standard_name gives (the adjusted values before the raw ones, a standard
// name before a name); of several salinity-related ones, source's.
std::vector<Input> readVariables(py::handle dataset, const Options& options) {
    const py::object variables = dataset.attr("variables");
    std::array<std::optional<Input>, kQuantityCount> chosen;
    auto variableInput = [&](Quantity quantity, const std::string& name, std::optional<NameReading> reading) {
        return Input{&infoOf(quantity), "variable " + quoted(name), name, dataset[py::str(name)], reading};
    };
    for (const auto& [quantity, name] : options.columns)
        chosen[static_cast<std::size_t>(quantity)] = variableInput(quantity, name, std::nullopt);
    auto mapped = [&](const std::string& name) {
        return std::any_of(options.columns.begin(), options.columns.end(),
                           [&](const auto& column) { return column.second == name; });
    };
    for (const py::handle key : variables) {
        const std::string name = textOf(key);
        const std::optional<NameReading> reading = readName(name, standardNameOf(variables[key]));
        if (!reading || mapped(name)) continue;
        std::optional<Input>& slot = chosen[static_cast<std::size_t>(reading->quantity)];
        if (slot && !slot->reading) continue;  // mapped by columns=
        if (slot && !preferred(*reading, *slot->reading)) {
            if (preferred(*slot->reading, *reading)) continue;
            const char* keyword = infoOf(reading->quantity).keyword;
            throw py::value_error("variables " + quoted(slot->variable) + " and " + quoted(name) + " both give " +
                                  keyword + "; choose the one to read with columns={'" + keyword + "': NAME}");
        }
        slot = variableInput(reading->quantity, name, reading);
    }
    std::vector<Input> inputs;
    for (std::optional<Input>& input : chosen)
        if (input && !(options.source && input->info->salinityRelated && input->info->quantity != *options.source))
            inputs.push_back(std::move(*input));
    return inputs;
}

// Of the inputs, at most one salinity-related.
void checkOneSalinity(const std::vector<Input>& inputs) {
    std::vector<std::string> which, sources;
    for (const Input& input : inputs) {
        if (!input.info->salinityRelated) continue;
        which.push_back(input.whose + (input.variable.empty() ? "" : std::string(" (") + input.info->keyword + ")"));
        sources.push_back(std::string("source='") + input.info->keyword + "'");
    }
    if (which.size() < 2) return;
    throw py::value_error(
        listed(which) + " each give a salinity-related input; " +
        (std::any_of(inputs.begin(), inputs.end(), [](const Input& input) { return input.variable.empty(); })
             ? std::string(kOneSalinityInput)
             : "choose the one to convert from with " + listed(sources, " or ")));
}

// "named temperature, TEMP, TEMP_ADJUSTED, ... or of standard_name sea_water_temperature".
std::string namesOf(Quantity quantity) {
    std::vector<std::string> names{infoOf(quantity).name}, standard;
    for (const FileName& known : kFileNames)
        if (known.read && known.quantity == quantity)
            (known.naming == Naming::CfStandardName ? standard : names).emplace_back(known.text);
    return "named " + listed(names, " or ") + " (in any case)" +
           (standard.empty() ? "" : " or of standard_name " + listed(standard, " or "));
}

// Nothing is invented: each measurement the method needs comes from a
// variable or a keyword, or the conversion is refused naming the variables
// that would give it.
void requireMeasurements(const std::vector<Input>& inputs, Method method) {
    QuantitySet given;
    for (const Input& input : inputs) given.add(input.info->quantity);
    std::vector<std::string> lacking;
    bool position = false;
    for (const QuantityInfo& info : kQuantities) {
        if (!mustBeGiven(info.quantity, method) || given.contains(info.quantity)) continue;
        lacking.push_back(std::string(info.keyword) + ": no variable " + namesOf(info.quantity) + ", and no " +
                          info.keyword + "= given");
        position = position || info.teos10Only;
    }
    if (!anySalinityRelated(given)) {
        std::vector<std::string> keywords;
        for (const QuantityInfo& info : kQuantities)
            if (info.salinityRelated) keywords.push_back(std::string(info.keyword) + "=");
        lacking.push_back("no variable gives a salinity-related input (" + namesOf(Quantity::PracticalSalinity) +
                          ", ...), and none of " + listed(keywords, " or ") + " is given");
    }
    if (lacking.empty()) return;
    throw py::value_error("convert_dataset: " + listed(lacking, "; ") +
                          "; map a variable with columns={'KEYWORD': NAME}" +
                          (position ? " (method='ies80' has no use for the position)" : ""));
}

// ---- Gaps, packing and quality flags -----------------------------------------------------------------

// The values of attribute name of attrs as a list (a number or an array).
py::list valuesOf(py::handle attrs, const char* name) {
    return py::module_::import("numpy").attr("ravel")(attrs[name]).attr("tolist")();
}

// The numbers of input where they are measurements. xarray's decoding has
// made the fill values NaN already; those it left (_FillValue and
// missing_value still attributes: opened with mask_and_scale=False) and
// values outside valid_min, valid_max or valid_range become NaN too. Packed
// numbers not unpacked are refused: as they stand they would read as
// plausible and wrong.
void maskGaps(Input& input) {
    py::object array = input.value;
    const py::object attrs = array.attr("attrs"), encoding = array.attr("encoding");
    const py::object dtype = array.attr("dtype");
    if (!isNumberKind(dtype.attr("kind").cast<std::string>()[0]))
        throw py::value_error(input.whose + " holds " + textOf(dtype) + ", not numbers");
    for (const char* packing : {"scale_factor", "add_offset"})
        if (attrs.contains(packing))
            throw py::value_error(input.whose + ": packed numbers (" + packing +
                                  ") not unpacked; open the dataset with mask_and_scale=True");
    py::object kept = py::none();
    auto keep = [&](const py::object& where) { kept = kept.is_none() ? where : kept.attr("__and__")(where); };
    py::list gaps;
    for (const char* name : {"_FillValue", "missing_value"})
        if (attrs.contains(name)) gaps.attr("extend")(valuesOf(attrs, name));
    if (!gaps.empty()) keep(array.attr("isin")(gaps).attr("__invert__")());
    // A valid range is written in the packed numbers: unpacked as the values were.
    const double scale = encoding.attr("get")("scale_factor", 1.0).cast<double>();
    const double offset = encoding.attr("get")("add_offset", 0.0).cast<double>();
    std::optional<double> lowest, highest;
    if (attrs.contains("valid_range")) {
        const py::list range = valuesOf(attrs, "valid_range");
        if (range.size() == 2) lowest = range[0].cast<double>(), highest = range[1].cast<double>();
    }
    if (attrs.contains("valid_min")) lowest = valuesOf(attrs, "valid_min")[0].cast<double>();
    if (attrs.contains("valid_max")) highest = valuesOf(attrs, "valid_max")[0].cast<double>();
    if (lowest) keep(array.attr("__ge__")(*lowest * scale + offset));
    if (highest) keep(array.attr("__le__")(*highest * scale + offset));
    if (!kept.is_none()) input.value = array.attr("where")(kept);
}

// A variable of quality flags as xarray holds it: numbers, or characters
// (bytes or str) of one each.
struct Flags {
    py::object array;
    std::string name;
    bool characters;
    py::list declared;  // its flag_values, as its elements hold them

    // A flag of qc as the array holds it; None when it can be none.
    py::object valueOf(const std::string& text) const {
        if (characters) {
            if (text.size() != 1) return py::none();
            return array.attr("dtype").attr("kind").cast<std::string>() == "S" ? py::object(py::bytes(text))
                                                                               : py::object(py::str(text));
        }
        double value = 0;
        return readDecimal(text, value) == nullptr ? py::object(py::float_(value)) : py::object(py::none());
    }
};

std::optional<Flags> flagsNamed(py::handle dataset, const std::string& name) {
    if (!dataset.attr("variables").contains(name)) return std::nullopt;
    const py::object array = dataset[py::str(name)];
    const py::object attrs = array.attr("attrs");
    if (!attrs.contains("flag_values")) return std::nullopt;
    const std::string kind = array.attr("dtype").attr("kind").cast<std::string>();
    Flags flags{array, name, kind == "S" || kind == "U", py::list()};
    if (!flags.characters) {
        flags.declared = valuesOf(attrs, "flag_values");
        return flags;
    }
    // xarray joins a char variable's last dimension into strings unless told not to.
    if (array.attr("dtype").attr("itemsize").cast<int>() != (kind == "S" ? 1 : 4))
        throw py::value_error("qc: variable " + quoted(name) +
                              " holds strings where flags are characters (xarray joined them): open the dataset "
                              "with concat_characters=False");
    py::object values = attrs["flag_values"];
    if (py::isinstance<py::bytes>(values)) values = values.attr("decode")("latin-1");
    for (const char c : textOf(values))
        if (c != ' ' && c != '\0') flags.declared.append(flags.valueOf(std::string(1, c)));
    return flags;
}

std::string declaredText(const Flags& flags) {
    std::string text;
    for (const py::handle value : flags.declared)
        (text += text.empty() ? "" : " ") +=
            py::isinstance<py::bytes>(value) ? value.cast<std::string>() : textOf(value);
    return text;
}

// qc=: each variable read masked where a variable of quality flags it
// declares (CF's ancillary_variables naming one with flag_values) holds none
// of the flags kept, so that those samples have no results.
void keepFlagged(py::handle dataset, const std::vector<std::string>& qc, std::vector<Input>& inputs) {
    std::vector<bool> declaredSomewhere(qc.size(), false);
    std::optional<Flags> first;
    for (Input& input : inputs) {
        if (input.variable.empty()) continue;
        const py::object ancillary = input.value.attr("attrs").attr("get")("ancillary_variables", "");
        for (const py::handle name : py::str(ancillary).attr("split")()) {
            const std::optional<Flags> flags = flagsNamed(dataset, textOf(name));
            if (!flags) continue;
            if (!first) first = flags;
            py::list kept;
            for (std::size_t k = 0; k < qc.size(); ++k) {
                const py::object value = flags->valueOf(qc[k]);
                if (value.is_none()) continue;
                kept.append(value);
                declaredSomewhere[k] = declaredSomewhere[k] || flags->declared.contains(value);
            }
            input.value = input.value.attr("where")(flags->array.attr("isin")(kept));
        }
    }
    if (!first)
        throw py::value_error(
            "qc: none of the variables read declares quality flags (ancillary_variables naming a variable with "
            "flag_values)");
    for (std::size_t k = 0; k < qc.size(); ++k)
        if (!declaredSomewhere[k])
            throw py::value_error("qc: " + quoted(qc[k]) + " is none of the flags of variable " + quoted(first->name) +
                                  ": " + declaredText(*first));
}

// The unit of an input's numbers: its units attribute, else the one the
// convention of its name implies (the archives' CNDC in S/m); none: the
// user's, as fahrenheit= and conductivity_unit= say.
std::optional<QuantityUnit> unitOf(const Input& input) {
    if (!isDataArray(input.value)) return std::nullopt;
    if (auto unit = unitAttributeOf(*input.info, input.value, input.whose)) return unit;
    if (input.reading && input.reading->convention && input.reading->convention->unit)
        return readOwnUnit(*input.info, input.reading->convention->unit, input.whose);
    return std::nullopt;
}

// ---- The results -------------------------------------------------------------------------------------

// The flags of the inputs brought to a bound as a netCDF file holds them:
// one bit per input, NaN where a sample has no results (the fill value of a
// short in a file).
py::object clampedBits(py::handle flags, py::handle pressure) {
    const py::module_ numpy = py::module_::import("numpy");
    py::object bits = numpy.attr("zeros_like")(pressure);
    for (const auto& [keyword, flag] : py::reinterpret_borrow<py::dict>(flags)) {
        const Quantity quantity = *inputFromKeyword(keyword.cast<std::string>());
        bits = bits.attr("__add__")(flag.attr("__mul__")(QuantitySet{quantity}.bits()));
    }
    return numpy.attr("where")(numpy.attr("isnan")(pressure), py::float_(NAN), bits);
}

py::dict flagAttributes(const Options& options) {
    py::list masks;
    std::string meanings;
    for (const QuantityInfo& info : kQuantities) {
        if (!info.input) continue;
        masks.append(QuantitySet{info.quantity}.bits());
        (meanings += meanings.empty() ? "" : " ") += info.name;
    }
    return py::dict("long_name"_a = kClampedLongName,
                    "flag_masks"_a = py::module_::import("numpy").attr("array")(masks, "dtype"_a = "int16"),
                    "flag_meanings"_a = meanings, "method"_a = infoOf(options.method).label);
}

// What a netCDF file gains from thalwen-convert unless asked otherwise:
// Practical Salinity when converted from another input, Absolute Salinity
// and the quantities derived on request, those the method has, and the
// flags of the inputs brought to a bound.
std::vector<Field> defaultOutputs(Method method, const std::vector<Input>& inputs) {
    std::vector<Field> fields;
    if (std::none_of(inputs.begin(), inputs.end(),
                     [](const Input& input) { return input.info->quantity == Quantity::PracticalSalinity; }))
        fields.push_back({Field::Kind::Sample, Quantity::PracticalSalinity});
    if (usedBy(Quantity::AbsoluteSalinity, method)) fields.push_back({Field::Kind::Sample, Quantity::AbsoluteSalinity});
    for (const DerivedInfo& info : kDerivedQuantities)
        if (!info.teos10Only || method != Method::Ies80) fields.push_back({Field::Kind::Derived, {}, info.quantity});
    fields.push_back({Field::Kind::Clamped});
    return fields;
}

// A result's variable name, as thalwen-convert names it in a file.
const char* nameOf(const Field& field) {
    if (field.kind == Field::Kind::Clamped) return kClampedName;
    return field.kind == Field::Kind::Sample ? infoOf(field.quantity).name : infoOf(field.derived).name;
}

// name, or with the first suffix that makes it a name the dataset and the
// results before it do not have yet.
std::string freeName(py::handle dataset, const std::vector<std::string>& before, const std::string& name) {
    auto taken = [&](const std::string& candidate) {
        return dataset.attr("variables").contains(candidate) ||
               std::find(before.begin(), before.end(), candidate) != before.end();
    };
    std::string free = name;
    for (int suffix = 1; taken(free); ++suffix) free = name + "_" + std::to_string(suffix);
    return free;
}

// The unit of a result's numbers, as a units attribute writes it.
std::string unitsOf(const Field& field, const Options& options) {
    const bool temperature =
        field.kind == Field::Kind::Sample ? infoOf(field.quantity).temperature : infoOf(field.derived).temperature;
    if (temperature && options.fahrenheit) return kFahrenheit.ascii;
    if (field.kind == Field::Kind::Sample && field.quantity == Quantity::Conductivity)
        return options.conductivityUnit->ascii;
    return field.kind == Field::Kind::Sample ? infoOf(field.quantity).engineUnit : infoOf(field.derived).engineUnit;
}

// "20 degC", or the variable that gives it: the reference temperature each
// result says it was converted at.
std::string referenceTemperatureText(const std::vector<Input>& inputs, const Options& options) {
    double value = valueOf(defaultSample(options.fahrenheit), Quantity::ReferenceTemperature);
    for (const Input& input : inputs) {
        if (input.info->quantity != Quantity::ReferenceTemperature) continue;
        if (isDataArray(input.value)) return input.whose;
        value = input.value.cast<double>();
    }
    std::string text;
    appendShortest(text, value);
    return text + " " + (options.fahrenheit ? kFahrenheit.ascii : "degC");
}

py::dict attributesOf(const Field& field, const Options& options, const std::string& reference) {
    const CfAttributes cf =
        field.kind == Field::Kind::Sample ? cfAttributesOf(field.quantity) : cfAttributesOf(field.derived);
    py::dict attributes;
    if (cf.standardName) attributes["standard_name"] = cf.standardName;
    attributes["long_name"] = cf.longName;
    attributes["units"] = unitsOf(field, options);
    attributes["method"] = infoOf(options.method).label;
    attributes["reference_temperature"] = reference;
    return attributes;
}

// The global history attribute with a line of its own, as CF asks: a UTC
// time stamp and the call.
std::string historyOf(py::handle dataset, const std::string& call) {
    const py::module_ datetime = py::module_::import("datetime");
    const std::string stamp = datetime.attr("datetime")
                                  .attr("now")(datetime.attr("timezone").attr("utc"))
                                  .attr("strftime")("%Y-%m-%dT%H:%M:%SZ:")
                                  .cast<std::string>();
    const py::object history = dataset.attr("attrs").attr("get")("history", "");
    std::string text = textOf(history);
    if (!text.empty() && text.back() != '\n') text += '\n';
    return text + stamp + " " + call;
}

}  // namespace

py::object convertDataset(const py::args& args, const py::kwargs& kwargs) {
    const py::module_ xarray = py::module_::import("xarray");
    if (args.size() != 1 || !py::isinstance(args[0], xarray.attr("Dataset")))
        throw py::type_error("convert_dataset() takes one xarray Dataset and keyword arguments");
    const py::handle dataset = args[0];
    Options options = readOptions(kwargs, dataset);

    std::vector<Input> inputs = readVariables(dataset, options);
    for (const Input& given : options.keywords) {
        for (const Input& input : inputs)
            if (input.info == given.info)
                throw py::value_error(given.whose + "=: " + input.whose + " gives " + given.whose +
                                      " already; a keyword gives only what the dataset lacks");
        inputs.push_back(given);
    }
    checkOneSalinity(inputs);
    requireMeasurements(inputs, options.method);
    for (Input& input : inputs)
        if (isDataArray(input.value)) maskGaps(input);
    if (options.qc) keepFlagged(dataset, *options.qc, inputs);

    // The fullest first: the results' dimensions follow the order they appear in.
    std::stable_sort(inputs.begin(), inputs.end(), [](const Input& a, const Input& b) {
        auto rank = [](const Input& input) {
            return isDataArray(input.value) ? input.value.attr("ndim").cast<int>() : -1;
        };
        return rank(a) > rank(b);
    });
    py::dict constants = options.passedOn;
    InputUnits units;
    std::vector<std::string> keywords;
    py::list arrays;
    bool lazy = false;
    for (const Input& input : inputs) {
        if (!isDataArray(input.value)) {
            constants[input.info->keyword] = input.value;
            continue;
        }
        if (const std::optional<QuantityUnit> unit = unitOf(input)) units[input.info->quantity] = *unit;
        keywords.emplace_back(input.info->keyword);
        arrays.append(input.value);
        lazy = lazy || !input.value.attr("chunks").is_none();
    }
    if (arrays.empty())
        throw py::value_error("convert_dataset: no variable of the dataset is read; for numbers alone, use convert()");
    // dask runs the chunks side by side already.
    if (lazy && !constants.contains("jobs")) constants["jobs"] = 1;
    const std::vector<Field> fields = options.outputs ? *options.outputs : defaultOutputs(options.method, inputs);
    // The flags need to know the samples without results: those without a pressure.
    std::vector<Field> asked = fields;
    const auto isPressure = [](const Field& field) {
        return field.kind == Field::Kind::Sample && field.quantity == Quantity::Pressure;
    };
    const auto clamped = std::find_if(fields.begin(), fields.end(),
                                      [](const Field& field) { return field.kind == Field::Kind::Clamped; });
    if (clamped != fields.end() && std::none_of(fields.begin(), fields.end(), isPressure))
        asked.push_back({Field::Kind::Sample, Quantity::Pressure});
    py::list outputs;
    for (const Field& field : asked) outputs.append(field.keyword());
    constants["outputs"] = outputs;
    const std::size_t flagsAt = static_cast<std::size_t>(clamped - fields.begin());
    const std::size_t pressureAt =
        static_cast<std::size_t>(std::find_if(asked.begin(), asked.end(), isPressure) - asked.begin());

    const py::cpp_function convertBlocks([=, n = fields.size()](const py::args& blocks) -> py::object {
        py::kwargs given;
        for (const auto& [key, value] : constants) given[key] = value;
        for (std::size_t k = 0; k < keywords.size(); ++k) given[py::str(keywords[k])] = blocks[k];
        const py::tuple results = convertKeywords(given, units);
        py::tuple wanted(n);
        for (std::size_t k = 0; k < n; ++k)
            wanted[k] = k == flagsAt ? clampedBits(results[flagsAt], results[pressureAt]) : results[k];
        return n == 1 ? py::object(wanted[0]) : py::object(wanted);
    });
    py::list dtypes, coreDims;
    for (std::size_t k = 0; k < fields.size(); ++k) {
        dtypes.append(py::module_::import("numpy").attr("float64"));
        coreDims.append(py::list());
    }
    py::object results = xarray.attr("apply_ufunc")(convertBlocks, *arrays, "dask"_a = "parallelized",
                                                    "output_dtypes"_a = dtypes, "output_core_dims"_a = coreDims);
    if (fields.size() == 1) results = py::make_tuple(results);

    py::object converted = dataset.attr("copy")("deep"_a = false);
    const std::string reference = referenceTemperatureText(inputs, options);
    std::vector<std::string> names;
    for (std::size_t k = 0; k < fields.size(); ++k) {
        names.push_back(freeName(dataset, names, nameOf(fields[k])));
        py::object result = results[py::int_(k)];
        const bool flags = k == flagsAt;
        result.attr("attrs") = flags ? flagAttributes(options) : attributesOf(fields[k], options, reference);
        result.attr("encoding") = flags ? py::dict("dtype"_a = "int16", "_FillValue"_a = NC_FILL_SHORT)
                                        : py::dict("_FillValue"_a = NC_FILL_DOUBLE);
        converted[py::str(names.back())] = result;
    }
    const py::dict attributes = dataset.attr("attrs").attr("copy")();
    attributes["history"] = historyOf(dataset, options.call);
    converted.attr("attrs") = attributes;
    return converted;
}

std::string convertDatasetDoc() {
    std::string names;
    for (const FileName& known : kFileNames)
        if (known.read && known.naming == Naming::ProfileArchive && !known.adjusted)
            names += std::string(names.empty() ? "" : ", ") + known.text;
    const SampleArrays defaults;  // convert()'s
    return "convert_dataset(ds, *, outputs=None, method='" + std::string(infoOf(defaults.method).name) +
           "', source=None, columns=None, missing=None, qc=None, conductivity_unit='" +
           defaults.conductivityUnit->name + "', fahrenheit=False, jobs=None, **inputs)\n--\n" + R"(

Converts the samples of an xarray Dataset as thalwen-convert converts a
netCDF file, and returns a new Dataset: ds's variables and the results as
new variables. ds itself is left as it was.

The variables read are those of columns=, else those named as thalwen-convert
reads them: by their CF standard_name first, then by our names and the
profile archives' ()" +
           names + R"() in any case,
an _ADJUSTED variable in place of the raw one beside it. They are paired by
dimension name (a variable that lacks a dimension serves every index of it)
through xarray.apply_ufunc; dask-backed variables stay lazy, each chunk
converted as a dask task.

A variable's units attribute says the unit of its numbers (an archive's
TEMP, CNDC without one: degC, S/m); without either, the unit fahrenheit and
conductivity_unit say. Its fill values are missing measurements: those
xarray's decoding made NaN, and those left in its _FillValue and
missing_value attributes; so are values outside its valid_min, valid_max or
valid_range, and numbers equal to one of missing. Packed numbers
(scale_factor, add_offset) not unpacked are refused. A sample missing a
measurement, or holding a value no sample can have, has NaN results.

Parameters
----------
ds : xarray.Dataset
outputs : str or sequence of str, optional
    The results added, as convert() names them. Default, as thalwen-convert
    adds to a netCDF file: salinity when converted from another input,
    absolute_salinity and the quantities derived on request, those the
    method has, and clamped.
method : str, optional
    As convert() takes it.
source : str, optional
    The salinity-related input to convert from (salinity, density,
    conductivity or specific_gravity) when variables give several.
columns : dict, optional
    The variable that gives an input, by the input's keyword:
    columns={'temperature': 'TEMP_PRIMARY'}.
missing : float or sequence of floats, optional
    Numbers that mark missing measurements, as convert() takes them.
qc : flag or sequence of flags, optional
    Convert only the samples whose quality flags are among these (numbers,
    or single characters for flags held as characters), as the variables
    read declare their flags: CF's ancillary_variables naming a variable
    with flag_values (open a profile archive with concat_characters=False).
conductivity_unit, fahrenheit, jobs
    As convert() takes them: the unit of inputs without one, and of the
    results.
**inputs
    A keyword of convert() (latitude=-35.2, reference_temperature=15) gives
    what no variable of ds gives: a number, or an xarray DataArray paired by
    dimension name.

Returns
-------
xarray.Dataset
    ds's variables and attributes, and one variable a result, named as
    thalwen-convert names it in a netCDF file (absoluteSalinity, sigma0, with
    _1 appended to a name ds has already), with its standard_name where CF
    has one, long_name, units, method and reference_temperature attributes;
    NaN where there is no result (written as the fill value of netCDF by
    to_netcdf). clamped holds the inputs brought to a bound as flags, one
    bit per input (its flag_masks and flag_meanings), written as a short. The global history attribute gains a line: the UTC time and
    the call.

Raises
------
TypeError, ValueError
    Naming the argument or the variable: a measurement that neither a
    variable nor a keyword gives, two variables giving one input or two
    salinity-related ones without source, a keyword for an input a
    variable gives, a variable of no numbers, a units attribute that is no
    unit of its quantity, qc flags no variable declares, and whatever
    convert() refuses.
)";
}

}  // namespace thalwen
