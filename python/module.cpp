// The Python module thalwen: convert() over numbers and numpy arrays. It reads
// and checks the arguments, has convertArrays convert every sample with the
// GIL released, and returns the results as a named tuple.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <functional>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "number_text.h"
#include "parallel.h"
#include "quantities.h"
#include "sample_arrays.h"
#include "version.h"

namespace py = pybind11;
using namespace py::literals;

namespace thalwen {

namespace {

// The keywords that say how, not what.
const char* const kOptionKeywords[] = {"method", "conductivity_unit", "fahrenheit", "jobs"};

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The result type, made once when the module is imported; the module holds it.
py::handle conversionType;

struct GivenInput {
    const QuantityInfo* info;
    py::object value;   // as given
    py::array numbers;  // float64
};

std::string reprOf(py::handle value) { return py::repr(value).cast<std::string>(); }

std::string methodNames() {
    std::string names;
    for (const MethodInfo& info : kMethods) names += std::string(names.empty() ? "'" : ", '") + info.name + "'";
    return names;
}

std::string conductivityUnitNames() {
    std::string names;
    for (const ConductivityUnit& unit : kConductivityUnits) {
        names += std::string(names.empty() ? "'" : ", '") + unit.name + "'";
        if (std::string(unit.ascii) != unit.name) names += std::string(" (or '") + unit.ascii + "')";
    }
    return names;
}

Method readMethod(py::handle value) {
    if (py::isinstance<py::str>(value))
        if (auto method = methodFromName(value.cast<std::string>())) return *method;
    throw py::value_error("method: " + reprOf(value) + " is not one of " + methodNames());
}

const ConductivityUnit* readConductivityUnit(py::handle value) {
    if (py::isinstance<py::str>(value))
        if (const ConductivityUnit* unit = conductivityUnitNamed(value.cast<std::string>())) return unit;
    throw py::value_error("conductivity_unit: " + reprOf(value) + " is not one of " + conductivityUnitNames());
}

bool readFahrenheit(py::handle value) {
    // Only a truth value: a string such as "no" would be true.
    if (PyBool_Check(value.ptr()) || py::isinstance(value, py::module_::import("numpy").attr("bool_")))
        return value.cast<bool>();
    throw py::type_error("fahrenheit: expected True or False, got " + reprOf(value));
}

unsigned readJobs(py::handle value) {
    if (value.is_none()) return coresAvailable();
    const py::object whole = py::reinterpret_steal<py::object>(PyNumber_Index(value.ptr()));
    if (!whole || PyBool_Check(value.ptr())) {
        PyErr_Clear();
        throw py::type_error("jobs: expected a whole number, got " + reprOf(value));
    }
    const long jobs = PyLong_AsLong(whole.ptr());
    if (PyErr_Occurred() || jobs < 1 || jobs > long{kMaxJobs}) {
        PyErr_Clear();
        throw py::value_error("jobs: " + reprOf(value) + " is not a whole number from 1 to " +
                              std::to_string(kMaxJobs));
    }
    return static_cast<unsigned>(jobs);
}

bool isNumberKind(char kind) { return kind == 'i' || kind == 'u' || kind == 'f'; }

// The numbers of one input as float64, NaN where a measurement is missing:
// pandas' nullable numbers hold pd.NA there, numpy's masked arrays a mask.
// Anything but real numbers is refused: numpy would read a string of digits,
// a truth value or the real part of a complex number as a number.
py::array readNumbers(const QuantityInfo& info, py::handle value) {
    const py::module_ numpy = py::module_::import("numpy");
    py::object data = py::reinterpret_borrow<py::object>(value);
    const py::object dtype = py::getattr(value, "dtype", py::none());
    if (!dtype.is_none() && !py::isinstance(dtype, numpy.attr("dtype")) && py::hasattr(value, "to_numpy") &&
        isNumberKind(py::getattr(dtype, "kind", py::str("")).cast<std::string>().c_str()[0]))
        data = value.attr("to_numpy")("dtype"_a = "float64", "na_value"_a = kNaN);
    py::array array;
    try {
        array = numpy.attr("asarray")(data);
    } catch (py::error_already_set& error) {
        py::raise_from(error, PyExc_TypeError, (std::string(info.keyword) + ": not an array of numbers").c_str());
        throw py::error_already_set();
    }
    if (!isNumberKind(array.dtype().kind()))
        throw py::type_error(
            std::string(info.keyword) + ": expected numbers, got " +
            (array.ndim() == 0 ? reprOf(value) : "an array of dtype " + py::str(array.dtype()).cast<std::string>()));
    py::object numbers = array.attr("astype")("float64", "copy"_a = false);
    if (py::isinstance(value, numpy.attr("ma").attr("MaskedArray")))
        numbers = numpy.attr("where")(numpy.attr("ma").attr("getmaskarray")(value), kNaN, numbers);
    return numbers;
}

// Told by the package that defines the type: attributes alone mislead, as
// pandas and xarray give their labels as attributes too.
bool isFrom(py::handle value, const char* package, const char* attribute) {
    const std::string module = py::str(py::type::handle_of(value).attr("__module__"));
    return module.rfind(package, 0) == 0 && py::hasattr(value, attribute);
}
bool isPandas(py::handle value) { return isFrom(value, "pandas", "index"); }
bool isXarray(py::handle value) { return isFrom(value, "xarray", "dims"); }

bool labelledAlike(py::handle first, py::handle other) {
    if (!isXarray(first)) return first.attr("index").attr("equals")(other.attr("index")).cast<bool>();
    // numpy aligns the axes from the last: they must be the same dimensions.
    const auto firstDims = first.attr("dims").cast<py::tuple>(), otherDims = other.attr("dims").cast<py::tuple>();
    for (std::size_t k = 1; k <= std::min(firstDims.size(), otherDims.size()); ++k)
        if (!firstDims[firstDims.size() - k].equal(otherDims[otherDims.size() - k])) return false;
    try {
        py::module_::import("xarray").attr("align")(first, other, "join"_a = "exact", "copy"_a = false);
    } catch (py::error_already_set& error) {
        if (!error.matches(PyExc_ValueError)) throw;
        return false;
    }
    return true;
}

// Labelled inputs are paired by position, like any array: right only when
// they are labelled alike (xarray.apply_ufunc pairs them by label).
void checkLabels(const std::vector<GivenInput>& inputs) {
    for (auto is : {isPandas, isXarray}) {
        const GivenInput* first = nullptr;
        for (const GivenInput& input : inputs) {
            if (!is(input.value)) continue;
            if (!first) {
                first = &input;
            } else if (!labelledAlike(first->value, input.value)) {
                throw py::value_error(std::string(first->info->keyword) + " and " + input.info->keyword + ": " +
                                      (is == isPandas ? "indexes" : "dimensions or coordinates") +
                                      " differ, and numbers are paired by position; align them first" +
                                      (is == isPandas ? "" : " or convert through xarray.apply_ufunc"));
            }
        }
    }
}

std::string shapeText(const py::array& array) { return py::str(array.attr("shape")).cast<std::string>(); }

// numpy's rule: axes aligned from the last, a size of 1 stretched to the others'.
std::vector<std::ptrdiff_t> broadcastShape(const std::vector<GivenInput>& inputs) {
    py::ssize_t rank = 0;
    for (const GivenInput& input : inputs) rank = std::max(rank, input.numbers.ndim());
    std::vector<std::ptrdiff_t> shape(static_cast<std::size_t>(rank), 1);
    std::vector<const GivenInput*> setBy(shape.size(), nullptr);
    for (const GivenInput& input : inputs) {
        for (py::ssize_t axis = 0; axis < input.numbers.ndim(); ++axis) {
            const auto at = static_cast<std::size_t>(rank - input.numbers.ndim() + axis);
            const py::ssize_t size = input.numbers.shape(axis);
            if (size == 1 || size == shape[at]) continue;
            if (shape[at] != 1)
                throw py::value_error(std::string(setBy[at]->info->keyword) + " of shape " +
                                      shapeText(setBy[at]->numbers) + " and " + input.info->keyword + " of shape " +
                                      shapeText(input.numbers) + " do not broadcast together");
            shape[at] = size;
            setBy[at] = &input;
        }
    }
    return shape;
}

InputArray inputArray(const GivenInput& input, const std::vector<std::ptrdiff_t>& shape) {
    const auto rank = static_cast<py::ssize_t>(shape.size());
    std::vector<std::ptrdiff_t> strides(shape.size(), 0);
    for (py::ssize_t axis = 0; axis < input.numbers.ndim(); ++axis)
        if (input.numbers.shape(axis) != 1)
            strides[static_cast<std::size_t>(rank - input.numbers.ndim() + axis)] = input.numbers.strides(axis);
    return {input.info->quantity, static_cast<const char*>(input.numbers.data()), strides};
}

std::string keywordList() {
    std::string names;
    for (const QuantityInfo& info : kQuantities)
        if (info.input) names += std::string(info.keyword) + ", ";
    for (const char* option : kOptionKeywords) names += std::string(option) + ", ";
    return names.substr(0, names.size() - 2);
}

// Ctrl-C in a long conversion: Python runs its signal handlers, which raise
// KeyboardInterrupt, only when asked with the GIL held, and only on the main
// thread: another thread has none to run.
void checkSignals() {
    py::gil_scoped_acquire gil;
    if (PyErr_CheckSignals() != 0) throw py::error_already_set();
}

bool onMainThread() {
    const py::module_ threading = py::module_::import("threading");
    return threading.attr("current_thread")().is(threading.attr("main_thread")());
}

py::object convertPython(const py::args& args, const py::kwargs& kwargs) {
    if (!args.empty()) throw py::type_error("convert() takes keyword arguments only: " + keywordList());
    SampleArrays arrays;  // its defaults are convert()'s
    py::object jobs = py::none();
    std::vector<GivenInput> inputs;
    QuantitySet given;
    const QuantityInfo* source = nullptr;
    for (const auto& [key, value] : kwargs) {
        const std::string name = key.cast<std::string>();
        if (value.is_none()) continue;  // as if not given
        if (name == "method") {
            arrays.method = readMethod(value);
        } else if (name == "conductivity_unit") {
            arrays.conductivityUnit = readConductivityUnit(value);
        } else if (name == "fahrenheit") {
            arrays.fahrenheit = readFahrenheit(value);
        } else if (name == "jobs") {
            jobs = py::reinterpret_borrow<py::object>(value);
        } else if (const std::optional<Quantity> quantity = inputFromKeyword(name)) {
            const QuantityInfo& info = infoOf(*quantity);
            if (isSecondSalinityInput(given, info.quantity))
                throw py::value_error(std::string(source->keyword) + " and " + name + ": " + kOneSalinityInput);
            if (info.salinityRelated) source = &info;
            given.add(info.quantity);
            inputs.push_back({&info, py::reinterpret_borrow<py::object>(value), readNumbers(info, value)});
        } else {
            throw py::type_error("convert() got an unexpected keyword argument '" + name + "'; the keywords are " +
                                 keywordList());
        }
    }
    const unsigned threads = readJobs(jobs);
    checkLabels(inputs);

    arrays.shape = broadcastShape(inputs);
    for (const GivenInput& input : inputs) arrays.inputs.push_back(inputArray(input, arrays.shape));
    const std::vector<py::ssize_t> shape(arrays.shape.begin(), arrays.shape.end());
    std::vector<py::array_t<double>> results;
    std::vector<std::pair<const char*, py::array_t<bool>>> clamped;
    for (const QuantityInfo& info : kQuantities) {
        const auto q = static_cast<std::size_t>(info.quantity);
        arrays.results[q] = results.emplace_back(shape).mutable_data();
        if (info.input) arrays.clamped[q] = clamped.emplace_back(info.keyword, shape).second.mutable_data();
    }
    const std::function<void()> checkpoint = onMainThread() ? checkSignals : std::function<void()>{};
    {
        py::gil_scoped_release release;
        convertArrays(arrays, threads, checkpoint);
    }

    // Scalars in, scalars out, as numpy's own functions do.
    const bool scalar = shape.empty();
    py::list fields;
    for (const py::array_t<double>& result : results)
        fields.append(scalar ? py::object(py::float_(*result.data())) : py::object(result));
    py::dict flags;
    for (const auto& [name, flag] : clamped)
        flags[name] = scalar ? py::object(py::bool_(*flag.data())) : py::object(flag);
    fields.append(flags);
    return conversionType(*fields);
}

// ---- What help() shows ---------------------------------------------------------------------------

// "In-situ temperature": a description that begins a sentence of help().
std::string capitalised(std::string text) {
    if (!text.empty() && text[0] >= 'a' && text[0] <= 'z') text[0] = static_cast<char>(text[0] - 'a' + 'A');
    return text;
}

std::string unitText(const QuantityInfo& info) {
    std::string unit = info.unit;
    if (info.quantity == Quantity::Conductivity) unit += ", or as conductivity_unit says";
    if (info.temperature) unit += std::string(", or ") + kFahrenheit.name + " with fahrenheit=True";
    return unit.empty() ? "" : " [" + unit + "]";
}

std::string defaultText(Quantity quantity) {
    const double celsius = valueOf(kDefaultSample, quantity);
    if (!isPresent(celsius)) return "";
    std::string text = "; ";
    appendShortest(text, celsius);
    if (infoOf(quantity).temperature) {
        text += std::string(" ") + infoOf(quantity).unit + " (";
        appendShortest(text, valueOf(defaultSample(true), quantity));
        text += std::string(" ") + kFahrenheit.name + ")";
    }
    return text + " when not given";
}

std::string convertDoc() {
    const SampleArrays defaults;
    std::string signature = "convert(*";
    for (const QuantityInfo& info : kQuantities)
        if (info.input) signature += std::string(", ") + info.keyword + "=None";
    signature += ", method='" + std::string(infoOf(defaults.method).name) + "', conductivity_unit='" +
                 defaults.conductivityUnit->name + "', fahrenheit=False, jobs=None)\n--\n\n";
    std::string defaultSalinity;
    appendShortest(defaultSalinity, kDefaultSalinity);

    std::string inputs;
    for (const QuantityInfo& info : kQuantities) {
        if (!info.input) continue;
        inputs += std::string(info.keyword) + " : array_like, optional\n    " + capitalised(info.description) +
                  unitText(info) + defaultText(info.quantity) + ".\n";
    }
    std::string results;
    for (const QuantityInfo& info : kQuantities) results += std::string("    ") + info.keyword + unitText(info) + "\n";

    return signature + R"(Converts seawater samples as thalwen-convert does: from the sea pressure,
the position, the in-situ temperature and at most one of salinity, density,
conductivity and specific_gravity (with none, Practical Salinity )" +
           defaultSalinity + R"(), derives
the others and Absolute Salinity.

Every quantity is a number or an array-like of numbers (numpy array, list,
pandas Series, xarray DataArray); they broadcast together by numpy's rules.
A NaN is a missing measurement, and so is pandas' NA or a masked element of a
numpy masked array: the results of that sample are all NaN, nothing is
invented. (IES-80 has no use for the position: a missing one does not stop
it.) Inputs outside the range a method accepts are brought to its bound; the
result tells which.

Parameters
----------
)" + inputs +
           "method : {" + methodNames() + R"(}, optional
    TEOS-10 with the polynomial density, with the full Gibbs function
    (default), or IES-80 (which has no Absolute Salinity).
conductivity_unit : {)" +
           conductivityUnitNames() + R"(}, optional
    The unit of the conductivity, given and returned; default )" +
           defaults.conductivityUnit->name + R"(.
fahrenheit : bool, optional
    Temperatures given and returned in °F; default False (°C).
jobs : int, optional
    Threads converting the samples; default one per core this process may
    use. The GIL is released meanwhile; Ctrl-C stops them (KeyboardInterrupt).
    Under a dask cluster, which runs chunks side by side already, jobs=1 is
    the better choice.

Returns
-------
Conversion
    A named tuple of the ten quantities as used and derived, in the units of
    the inputs, each a float64 array of the broadcast shape (a float when
    every input is a scalar), NaN where absent (Absolute Salinity under
    IES-80) or missing:
)" + results +
           R"(    and clamped, a dict from the name of each input to a boolean of the same
    shape: True where the input was brought to a bound of its range, or was
    a salinity-related input replaced by the water at a bound of Practical
    Salinity.

Raises
------
TypeError, ValueError
    Naming the argument: a keyword that is not one of the above, data that
    are not numbers, shapes that do not broadcast, two salinity-related
    inputs, an unknown method or unit, a wrong jobs or fahrenheit.
)";
}

}  // namespace

}  // namespace thalwen

PYBIND11_MODULE(thalwen, module) {
    using namespace thalwen;
    py::options options;
    options.disable_function_signatures();  // convertDoc writes its own, which inspect reads
    module.doc() =
        "Thalwen: the properties of seawater by TEOS-10 or IES-80, converted from any one of Practical\n"
        "Salinity, in-situ density, conductivity and specific gravity; see help(thalwen.convert).";
    module.attr("__version__") = THALWEN_VERSION;
    module.attr("gsw_version") = THALWEN_GSW_VERSION;

    py::list fields;
    for (const QuantityInfo& info : kQuantities) fields.append(info.keyword);
    fields.append("clamped");
    const py::object conversion =
        py::module_::import("collections").attr("namedtuple")("Conversion", fields, "module"_a = "thalwen");
    conversion.attr("__doc__") = "The result of thalwen.convert: the ten quantities and clamped.";
    module.attr("Conversion") = conversion;
    conversionType = conversion;

    module.def("convert", &convertPython, convertDoc().c_str());
}
