// The Python module thalwen: convert() over numbers and numpy arrays. It reads
// and checks the arguments, has convertArrays convert every sample with the
// GIL released, and returns the results as a named tuple.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "conversion.h"
#include "dataset.h"
#include "number_text.h"
#include "parallel.h"
#include "quantities.h"
#include "quantity_unit.h"
#include "sample_arrays.h"
#include "unit_reading.h"
#include "version.h"

namespace py = pybind11;
using namespace py::literals;

namespace thalwen {

QuantityUnit readOwnUnit(const QuantityInfo& info, const std::string& text, const std::string& whose) {
    const QuantityUnitReading read = readQuantityUnit(info, text, info.keyword);
    const std::string where = whose + " (its units attribute): ";
    if (read.status == UnitStatus::NoDatabase) throw std::runtime_error(where + read.message);
    if (read.status != UnitStatus::Read) throw py::value_error(where + read.message);
    return read.unit;
}

std::optional<QuantityUnit> unitAttributeOf(const QuantityInfo& info, py::handle array, const std::string& whose) {
    const py::object units = array.attr("attrs").attr("get")("units");
    if (units.is_none()) return std::nullopt;
    if (!py::isinstance<py::str>(units))
        throw py::value_error(whose + " (its units attribute): expected a unit text, got " +
                              py::repr(units).cast<std::string>());
    return readOwnUnit(info, units.cast<std::string>(), whose);
}

std::string listed(const std::vector<std::string>& items, const char* last) {
    std::string text;
    for (std::size_t k = 0; k < items.size(); ++k)
        (text += k == 0 ? "" : k + 1 == items.size() ? last : ", ") += items[k];
    return text;
}

namespace {

// The keywords that say how, not what.
const char* const kOptionKeywords[] = {"method", "conductivity_unit", "fahrenheit", "missing", "outputs", "out",
                                       "jobs"};

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The warning category, made once when the module is imported, and the
// result types, each made the first time its fields are asked for (the
// default's on import), by their fields; the module holds them.
py::handle impossibleValueWarning;
py::handle resultTypes;

// The unit an input's own units attribute gives its numbers: after map, the
// engine's unit or, when the attribute names one of the user's units (°F,
// S/m, µS/cm), that unit, converted as exactly as a plain input in it.
struct GivenInput {
    const QuantityInfo* info;
    py::object value;   // as given
    py::dtype dtype;    // of its numbers as given
    py::array numbers;  // float64
    std::optional<QuantityUnit> unit;
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

}  // namespace

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

namespace {

// The numbers of one input as float64, NaN where a measurement is missing:
// pandas' nullable numbers hold pd.NA there, numpy's masked arrays a mask.
// Anything but real numbers is refused: numpy would read a string of digits,
// a truth value or the real part of a complex number as a number.
void readNumbers(GivenInput& input) {
    const QuantityInfo& info = *input.info;
    const py::handle value = input.value;
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
    input.dtype = array.dtype();
    py::object numbers = array.attr("astype")("float64", "copy"_a = false);
    if (py::isinstance(value, numpy.attr("ma").attr("MaskedArray")))
        numbers = numpy.attr("where")(numpy.attr("ma").attr("getmaskarray")(value), kNaN, numbers);
    input.numbers = numbers;
}

}  // namespace

// missing=: a number or a sequence of numbers.
std::vector<double> readMissing(py::handle value) {
    py::array array;
    try {
        array = py::module_::import("numpy").attr("asarray")(value);
    } catch (py::error_already_set& error) {
        py::raise_from(error, PyExc_TypeError, "missing: not a number or a sequence of numbers");
        throw py::error_already_set();
    }
    if (!isNumberKind(array.dtype().kind()) || array.ndim() > 1)
        throw py::type_error("missing: expected a number or a sequence of numbers, got " + reprOf(value));
    std::vector<double> numbers;
    for (const py::handle number : array.attr("astype")("float64").attr("ravel")())
        numbers.push_back(number.cast<double>());
    return numbers;
}

namespace {

// The missing values as an input of dtype holds them: numpy compares a
// float32 array with 9.96921e36 in float32, and so does missing=. A value
// beyond that float's range is kept, as no number of the input equals it.
std::vector<double> missingIn(const py::dtype& dtype, const std::vector<double>& missing) {
    if (dtype.kind() != 'f' || dtype.itemsize() >= 8) return missing;
    const double largest = py::module_::import("numpy").attr("finfo")(dtype).attr("max").cast<double>();
    std::vector<double> held;
    for (const double value : missing)
        held.push_back(std::fabs(value) <= largest ? dtype.attr("type")(value).cast<double>() : value);
    return held;
}

// Told by the package that defines the type: attributes alone mislead, as
// pandas and xarray give their labels as attributes too.
bool isFrom(py::handle value, const char* package, const char* attribute) {
    const std::string module = py::str(py::type::handle_of(value).attr("__module__"));
    return module.rfind(package, 0) == 0 && py::hasattr(value, attribute);
}
bool isPandas(py::handle value) { return isFrom(value, "pandas", "index"); }
bool isXarray(py::handle value) { return isFrom(value, "xarray", "dims"); }

// The unit of an xarray input's units attribute, as netCDF files and CF write
// it; none for any other input.
std::optional<QuantityUnit> ownUnitOf(const QuantityInfo& info, py::handle value) {
    if (!isXarray(value)) return std::nullopt;
    return unitAttributeOf(info, value, info.keyword);
}

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

InputArray inputArray(const GivenInput& input, const std::vector<std::ptrdiff_t>& shape,
                      const std::vector<double>& missing) {
    const auto rank = static_cast<py::ssize_t>(shape.size());
    std::vector<std::ptrdiff_t> strides(shape.size(), 0);
    for (py::ssize_t axis = 0; axis < input.numbers.ndim(); ++axis)
        if (input.numbers.shape(axis) != 1)
            strides[static_cast<std::size_t>(rank - input.numbers.ndim() + axis)] = input.numbers.strides(axis);
    const UnitMap map = input.unit ? input.unit->map : UnitMap{};
    return {input.info->quantity,
            static_cast<const char*>(input.numbers.data()),
            strides,
            missingIn(input.dtype, missing),
            map.scale,
            map.offset};
}

// The units of the inputs' numbers: the user's, but where an input's own
// units attribute says otherwise.
UserUnits givenUnits(const SampleArrays& arrays, const std::vector<GivenInput>& inputs) {
    UserUnits units = userUnits(arrays.fahrenheit, *arrays.conductivityUnit);
    for (const GivenInput& input : inputs) {
        if (!input.unit) continue;
        const Quantity quantity = input.info->quantity;
        if (quantity == Quantity::Conductivity)
            units.conductivity = input.unit->conductivity ? input.unit->conductivity : &kMilliSiemensPerCentimetre;
        if (input.unit->fahrenheit)
            units.fahrenheit.add(quantity);
        else
            units.fahrenheit.remove(quantity);
    }
    return units;
}

std::string salinityKeywords() {
    std::vector<std::string> keywords;
    for (const QuantityInfo& info : kQuantities)
        if (info.salinityRelated) keywords.emplace_back(info.keyword);
    return listed(keywords, " or ");
}

// The measurements every method needs, besides a salinity-related one; the
// TEOS-10 methods need the position too. The reference temperature has its
// default, a convention rather than a measurement.
// Nothing is invented: the measurements a method needs are given, or the
// call is refused naming every one that is not.
void requireMeasurements(QuantitySet given, Method method) {
    std::vector<std::string> lacking;
    bool position = false;
    for (const QuantityInfo& info : kQuantities) {
        const bool needed = mustBeGiven(info.quantity, method);
        if (!needed || given.contains(info.quantity)) continue;
        lacking.emplace_back(info.keyword);
        position = position || info.teos10Only;
    }
    if (!anySalinityRelated(given)) lacking.push_back("one of " + salinityKeywords());
    if (lacking.empty()) return;
    throw py::type_error("convert() missing required keyword argument" + std::string(lacking.size() > 1 ? "s" : "") +
                         ": " + listed(lacking) +
                         (position ? std::string("; TEOS-10 needs the position (method='") +
                                         infoOf(Method::Ies80).name + "' has no use for it)"
                                   : ""));
}

// The one warning of a call that met values no sample can have.
void warnImpossible(const ImpossibleValues& impossible) {
    if (impossible.samples == 0) return;
    std::vector<std::string> inputs;
    for (const QuantityInfo& info : kQuantities) {
        std::vector<std::string> reasons;
        if (impossible.below.contains(info.quantity)) reasons.emplace_back(info.band.below);
        if (impossible.above.contains(info.quantity)) reasons.emplace_back(info.band.above);
        if (!reasons.empty()) inputs.push_back(std::string(info.keyword) + " (" + listed(reasons, " or ") + ")");
    }
    const std::string message = std::to_string(impossible.samples) +
                                (impossible.samples == 1 ? " sample" : " samples") +
                                " with a value no sample can have: " + listed(inputs) +
                                (impossible.samples == 1 ? "; its results are NaN" : "; their results are NaN") +
                                ". If such values mark missing measurements (fill values), give them as missing=.";
    if (PyErr_WarnEx(impossibleValueWarning.ptr(), message.c_str(), 1) != 0) throw py::error_already_set();
}

std::string keywordList() {
    std::string names;
    for (const QuantityInfo& info : kQuantities)
        if (info.input) names += std::string(info.keyword) + ", ";
    for (const char* option : kOptionKeywords) names += std::string(option) + ", ";
    return names.substr(0, names.size() - 2);
}

// ---- The results asked for ------------------------------------------------------------------------

// The ten quantities and their flags: what convert() returned before
// outputs= and still returns without it.
std::vector<Field> defaultFields() {
    std::vector<Field> fields;
    for (const QuantityInfo& info : kQuantities) fields.push_back({Field::Kind::Sample, info.quantity});
    fields.push_back({Field::Kind::Clamped});
    return fields;
}

std::vector<Field> everyField() {
    std::vector<Field> fields = defaultFields();
    for (const DerivedInfo& info : kDerivedQuantities)
        fields.insert(fields.end() - 1, {Field::Kind::Derived, {}, info.quantity});
    return fields;
}

std::string fieldNames() {
    std::vector<std::string> names;
    for (const Field& field : everyField()) names.emplace_back(field.keyword());
    return listed(names, ", ");
}

// A name the command line gives a result ("soundSpeed"), said in Python's
// spelling: " (in Python 'sound_speed')".
std::string pythonSpelling(const std::string& name) {
    for (const QuantityInfo& info : kQuantities)
        if (name == info.name && name != info.keyword) return std::string(" (in Python '") + info.keyword + "')";
    for (const DerivedInfo& info : kDerivedQuantities)
        if (name == info.name && name != info.keyword) return std::string(" (in Python '") + info.keyword + "')";
    return "";
}

}  // namespace

// outputs=: a name or a sequence of names, each once.
std::vector<Field> readOutputs(py::handle value) {
    std::vector<py::handle> names;
    if (py::isinstance<py::str>(value)) {
        names.push_back(value);
    } else if (py::isinstance<py::iterable>(value) && !py::isinstance<py::bytes>(value)) {
        for (const py::handle name : value) names.push_back(name);
    } else {
        throw py::type_error("outputs: expected a name or a sequence of names, got " + reprOf(value));
    }
    if (names.empty()) throw py::value_error("outputs: no result named; the names are " + fieldNames());
    std::vector<Field> fields;
    for (const py::handle name : names) {
        if (!py::isinstance<py::str>(name)) throw py::type_error("outputs: expected names, got " + reprOf(name));
        const std::string text = name.cast<std::string>();
        const std::vector<Field> every = everyField();
        const auto named =
            std::find_if(every.begin(), every.end(), [&](const Field& f) { return text == f.keyword(); });
        if (named == every.end())
            throw py::value_error("outputs: " + reprOf(name) + pythonSpelling(text) + " is not one of " + fieldNames());
        if (std::any_of(fields.begin(), fields.end(), [&](const Field& f) { return text == f.keyword(); }))
            throw py::value_error("outputs: " + reprOf(name) + " is named twice");
        fields.push_back(*named);
    }
    return fields;
}

namespace {

// The named tuple of fields, made once for each choice of them.
py::object resultType(const std::vector<Field>& fields) {
    py::list names;
    for (const Field& field : fields) names.append(field.keyword());
    const py::tuple key(names);
    const py::dict types = py::reinterpret_borrow<py::dict>(resultTypes);
    if (!types.contains(key)) {
        const py::object type =
            py::module_::import("collections").attr("namedtuple")("Conversion", names, "module"_a = "thalwen");
        type.attr("__doc__") = "The result of thalwen.convert: the results asked for with outputs=.";
        types[key] = type;
    }
    return types[key];
}

std::string shapeText(const std::vector<py::ssize_t>& shape) {
    py::tuple sizes(shape.size());
    for (std::size_t axis = 0; axis < shape.size(); ++axis) sizes[axis] = py::int_(shape[axis]);
    return py::str(sizes).cast<std::string>();
}

// One array of out=, checked to be room the results can be written into as
// they are made: numbers of the dtype wanted, of the result's shape, C-contiguous,
// writeable. where names it in messages: "out[1] (density)".
py::array readRoom(py::handle value, const std::string& where, const py::dtype& wanted,
                   const std::vector<py::ssize_t>& shape) {
    if (!py::isinstance<py::array>(value))
        throw py::type_error(where + ": expected a numpy array, got " + reprOf(py::type::handle_of(value)));
    const auto array = py::reinterpret_borrow<py::array>(value);
    const std::vector<py::ssize_t> its(array.shape(), array.shape() + array.ndim());
    std::string wrong;
    if (!array.dtype().equal(wanted))
        wrong = "has dtype " + py::str(array.dtype()).cast<std::string>() + ", not " +
                py::str(static_cast<py::handle>(wanted)).cast<std::string>();
    else if (its != shape)
        wrong = "has shape " + shapeText(its) + ", not the result's " + shapeText(shape);
    else if (!(array.flags() & py::array::c_style))
        wrong = "is not C-contiguous";
    else if (!array.writeable())
        wrong = "is read-only";
    if (!wrong.empty()) throw py::value_error(where + ": the array " + wrong);
    return array;
}

bool sameElements(const py::array& a, const py::array& b) {
    return a.data() == b.data() && a.ndim() == b.ndim() && std::equal(a.shape(), a.shape() + a.ndim(), b.shape()) &&
           std::equal(a.strides(), a.strides() + a.ndim(), b.strides());
}

// The room given in out=, where named: each array takes its results as its
// samples are converted, so one that overlaps an input would be read after
// it was written, and two that overlap would take each other's numbers. An
// input given again as out (the very same elements) is read before it is
// written.
struct Room {
    std::string where;
    py::array array;
};

void checkOverlaps(const std::vector<Room>& rooms, const std::vector<GivenInput>& inputs) {
    const py::object mayShare = py::module_::import("numpy").attr("may_share_memory");
    for (std::size_t k = 0; k < rooms.size(); ++k) {
        for (const GivenInput& input : inputs)
            if (mayShare(rooms[k].array, input.numbers).cast<bool>() && !sameElements(rooms[k].array, input.numbers))
                throw py::value_error(rooms[k].where + ": the array overlaps the input " + input.info->keyword +
                                      "; give it memory of its own");
        for (std::size_t other = 0; other < k; ++other)
            if (mayShare(rooms[k].array, rooms[other].array).cast<bool>())
                throw py::value_error(rooms[other].where + " and " + rooms[k].where + ": the arrays overlap");
    }
}

// out=: None, an array for the one result asked for, or a sequence with an
// entry for each field, None where thalwen is to make it. The entry of
// clamped is a dict from an input's keyword to its flags.
std::vector<py::object> readOut(py::handle value, const std::vector<Field>& fields) {
    std::vector<py::object> out(fields.size(), py::none());
    if (value.is_none()) return out;
    if (py::isinstance<py::array>(value) || py::isinstance<py::dict>(value)) {
        if (fields.size() != 1)
            throw py::value_error("out: one array for " + std::to_string(fields.size()) +
                                  " results; give a tuple with an entry for each (None where thalwen is to make it)");
        out[0] = py::reinterpret_borrow<py::object>(value);
        return out;
    }
    if (!py::isinstance<py::sequence>(value) || py::isinstance<py::str>(value))
        throw py::type_error("out: expected an array or a tuple of arrays, got " + reprOf(value));
    const auto entries = py::reinterpret_borrow<py::sequence>(value);
    if (entries.size() != fields.size())
        throw py::value_error("out: " + std::to_string(entries.size()) +
                              (entries.size() == 1 ? " entry for " : " entries for ") + std::to_string(fields.size()) +
                              " results (" +
                              [&] {
            std::vector<std::string> names;
            for (const Field& field : fields) names.emplace_back(field.keyword());
            return listed(names, ", ");
        }() + ")");
    for (std::size_t k = 0; k < fields.size(); ++k) out[k] = entries[k];
    return out;
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

// The room of each field, made or taken from out=, told to arrays; the
// fields' values in their order. The flags are those of every input for
// the default fields, else of the inputs given: the others are never
// brought to a bound.
py::list makeRoom(const std::vector<Field>& fields, const std::vector<py::object>& out, bool single, bool everyInput,
                  const std::vector<py::ssize_t>& shape, QuantitySet given, const std::vector<GivenInput>& inputs,
                  SampleArrays& arrays) {
    const py::dtype float64 = py::dtype::of<double>(), boolean = py::dtype::of<bool>();
    std::vector<Room> rooms;
    py::list values;
    for (std::size_t k = 0; k < fields.size(); ++k) {
        const Field& field = fields[k];
        const std::string where =
            std::string(single ? "out" : "out[" + std::to_string(k) + "]") + " (" + field.keyword() + ")";
        if (field.kind != Field::Kind::Clamped) {
            const bool made = out[k].is_none();
            const py::array array = made ? py::array_t<double>(shape) : readRoom(out[k], where, float64, shape);
            if (!made) rooms.push_back({where, array});
            double*& room = field.kind == Field::Kind::Sample ? arrays.results[static_cast<std::size_t>(field.quantity)]
                                                              : arrays.derived[static_cast<std::size_t>(field.derived)];
            room = static_cast<double*>(const_cast<void*>(array.data()));
            values.append(array);
            continue;
        }
        if (!out[k].is_none() && !py::isinstance<py::dict>(out[k]))
            throw py::type_error(where + ": expected a dict from an input's keyword to a boolean array, got " +
                                 reprOf(out[k]));
        const py::dict taken = out[k].is_none() ? py::dict() : py::reinterpret_borrow<py::dict>(out[k]);
        py::dict flags;
        for (const QuantityInfo& info : kQuantities) {
            if (!info.input || (!everyInput && !given.contains(info.quantity))) continue;
            const bool made = !taken.contains(info.keyword);
            const std::string its = where + "['" + info.keyword + "']";
            const py::array array =
                made ? py::array_t<bool>(shape) : readRoom(taken[info.keyword], its, boolean, shape);
            if (!made) rooms.push_back({its, array});
            arrays.clamped[static_cast<std::size_t>(info.quantity)] =
                static_cast<bool*>(const_cast<void*>(array.data()));
            flags[info.keyword] = array;
        }
        for (const auto& [key, value] : taken)
            if (!flags.contains(key)) throw py::value_error(where + ": " + reprOf(key) + " is not an input given");
        values.append(flags);
    }
    checkOverlaps(rooms, inputs);
    return values;
}

// Scalars in, scalars out, as numpy's own functions do; but room the caller
// gave is returned as given.
py::object scalarOf(py::handle value, const std::vector<py::object>& out, std::size_t k) {
    if (!out[k].is_none()) return py::reinterpret_borrow<py::object>(value);
    if (py::isinstance<py::dict>(value)) {
        py::dict flags;
        for (const auto& [name, flag] : py::reinterpret_borrow<py::dict>(value))
            flags[name] = py::bool_(*static_cast<const bool*>(py::reinterpret_borrow<py::array>(flag).data()));
        return flags;
    }
    return py::float_(*static_cast<const double*>(py::reinterpret_borrow<py::array>(value).data()));
}

}  // namespace

py::object convertKeywords(const py::kwargs& kwargs, const InputUnits& units) {
    SampleArrays arrays;  // its defaults are convert()'s
    py::object jobs = py::none(), outputs = py::none(), outValue = py::none();
    std::vector<double> missing;
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
        } else if (name == "missing") {
            missing = readMissing(value);
        } else if (name == "outputs") {
            outputs = py::reinterpret_borrow<py::object>(value);
        } else if (name == "out") {
            outValue = py::reinterpret_borrow<py::object>(value);
        } else if (name == "jobs") {
            jobs = py::reinterpret_borrow<py::object>(value);
        } else if (const std::optional<Quantity> quantity = inputFromKeyword(name)) {
            const QuantityInfo& info = infoOf(*quantity);
            if (isSecondSalinityInput(given, info.quantity))
                throw py::value_error(std::string(source->keyword) + " and " + name + ": " + kOneSalinityInput);
            if (info.salinityRelated) source = &info;
            given.add(info.quantity);
            const auto known = units.find(info.quantity);
            inputs.push_back({&info,
                              py::reinterpret_borrow<py::object>(value),
                              {},
                              {},
                              known != units.end() ? known->second : ownUnitOf(info, value)});
            readNumbers(inputs.back());
        } else {
            throw py::type_error("convert() got an unexpected keyword argument '" + name + "'; the keywords are " +
                                 keywordList());
        }
    }
    requireMeasurements(given, arrays.method);
    const std::vector<Field> fields = outputs.is_none() ? defaultFields() : readOutputs(outputs);
    const std::vector<py::object> out = readOut(outValue, fields);
    const unsigned threads = readJobs(jobs);
    checkLabels(inputs);

    arrays.shape = broadcastShape(inputs);
    for (const GivenInput& input : inputs) arrays.inputs.push_back(inputArray(input, arrays.shape, missing));
    arrays.givenUnits = givenUnits(arrays, inputs);
    const std::vector<py::ssize_t> shape(arrays.shape.begin(), arrays.shape.end());
    const bool single = py::isinstance<py::array>(outValue) || py::isinstance<py::dict>(outValue);
    const py::list values = makeRoom(fields, out, single, outputs.is_none(), shape, given, inputs, arrays);
    const std::function<void()> checkpoint = onMainThread() ? checkSignals : std::function<void()>{};
    ImpossibleValues impossible;
    {
        py::gil_scoped_release release;
        impossible = convertArrays(arrays, threads, checkpoint);
    }
    warnImpossible(impossible);

    if (!shape.empty()) return resultType(fields)(*values);
    py::list scalars;
    for (std::size_t k = 0; k < fields.size(); ++k) scalars.append(scalarOf(values[k], out, k));
    return resultType(fields)(*scalars);
}

namespace {

py::object convertPython(const py::args& args, const py::kwargs& kwargs) {
    if (!args.empty()) throw py::type_error("convert() takes keyword arguments only: " + keywordList());
    return convertKeywords(kwargs);
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

// The default of the one input that has one, a convention: "; 20 °C (68 °F)
// when not given".
std::string defaultText(Quantity quantity) {
    const double celsius = valueOf(kDefaultSample, quantity);
    std::string text = "; ";
    appendShortest(text, celsius);
    text += std::string(" ") + infoOf(quantity).unit + " (";
    appendShortest(text, valueOf(defaultSample(true), quantity));
    return text + " " + kFahrenheit.name + ") when not given";
}

// The reference temperature alone, a convention rather than a measurement.
bool hasDefault(const QuantityInfo& info) { return info.convention; }

// Needed whatever the method: the pressure and the temperature.
bool isAlwaysNeeded(const QuantityInfo& info) {
    return mustBeGiven(info.quantity, Method::Ies80) && mustBeGiven(info.quantity, Method::Teos10Exact);
}

// The type of an input as help() says it, and whether it must be given.
std::string inputType(const QuantityInfo& info) {
    if (isAlwaysNeeded(info)) return "array_like";
    if (info.teos10Only) return "array_like, required by TEOS-10";
    if (info.salinityRelated) return "array_like, one of four";
    return "array_like, optional";
}

std::string convertDoc() {
    const SampleArrays defaults;
    std::string signature = "convert(*";
    for (const QuantityInfo& info : kQuantities)
        if (info.input) signature += std::string(", ") + info.keyword + (isAlwaysNeeded(info) ? "" : "=None");
    signature += ", method='" + std::string(infoOf(defaults.method).name) + "', conductivity_unit='" +
                 defaults.conductivityUnit->name +
                 "', fahrenheit=False, missing=None, outputs=None, out=None, jobs=None)\n--\n\n";

    std::string inputs;
    for (const QuantityInfo& info : kQuantities) {
        if (!info.input) continue;
        inputs += std::string(info.keyword) + " : " + inputType(info) + "\n    " + capitalised(info.description) +
                  unitText(info) + (hasDefault(info) ? defaultText(info.quantity) : "") + ".\n";
    }
    std::string results;
    for (const QuantityInfo& info : kQuantities) results += std::string("    ") + info.keyword + unitText(info) + "\n";
    std::string derived;
    for (const DerivedInfo& info : kDerivedQuantities)
        derived += std::string("    ") + info.keyword + " [" + info.unit +
                   (info.temperature ? std::string(", or ") + kFahrenheit.name + " with fahrenheit=True" : "") +
                   "]\n        " + capitalised(info.description) + ".\n";

    return signature + R"(Converts seawater samples as thalwen-convert does: from the sea pressure,
the position, the in-situ temperature and one salinity-related input
()" + salinityKeywords() +
           R"(), derives the others and
Absolute Salinity. Each of these measurements must be given (IES-80 has no
use for the position): nothing is invented. The reference temperature of a
specific gravity, a convention, has a default.

Every quantity is a number or an array-like of numbers (numpy array, list,
pandas Series, xarray DataArray); they broadcast together by numpy's rules.
A NaN is a missing measurement, and so are pandas' NA, a masked element of a
numpy masked array and a number equal to one of missing: every result of
that sample is NaN. (IES-80 has no use for the position: a missing one does
not stop it, and its results are NaN.) A value no sample can have, such as
a pressure below a vacuum or a negative salinity (a fill value or a unit
mistaken, most likely), gives NaN too, and one ImpossibleValueWarning a call
saying how many samples and which inputs. Inputs outside the range a method
accepts are brought to its bound; the result tells which.

The units attribute of an xarray DataArray (as netCDF files and CF write it:
'S m-1', 'mhos/m', 'decibar', 'degC', 'K', 'degrees_west'...) says the unit
of its numbers, whatever fahrenheit and conductivity_unit say of plain
inputs; one that is no unit of its quantity is a ValueError.

Parameters
----------
)" + inputs +
           "method : {" + methodNames() + R"(}, optional
    TEOS-10 with the polynomial density, with the full Gibbs function
    (default), or IES-80 (which has no Absolute Salinity).
conductivity_unit : {)" +
           conductivityUnitNames() + R"(}, optional
    The unit of the conductivity given (but for a units attribute) and
    returned; default )" +
           defaults.conductivityUnit->name + R"(.
fahrenheit : bool, optional
    Temperatures given (but for a units attribute) and returned in °F;
    default False (°C).
missing : float or sequence of floats, optional
    Numbers that mark missing measurements (fill values such as -999 or
    99999), compared with each input's numbers as given, before any unit.
outputs : str or sequence of str, optional
    The results to compute and return, in this order: any of the ten
    quantities below, those derived from them below, and clamped. Only these
    arrays are made, and the equations of no other result run. Default: the
    ten quantities and clamped. The derived ones:
)" + derived +
           R"(out : ndarray, or tuple of ndarray or None, optional
    Room for the results, as numpy's functions take it: an array for the one
    result asked for, or a tuple with an entry for each of outputs (None
    where thalwen is to make the array). Each array is C-contiguous,
    writeable, of the broadcast shape and float64 (bool for flags), and
    shares no memory with an input or another, but an input given again as
    the same array, converted in place. The entry of clamped is a dict from
    an input's keyword to its flags' array. The arrays given are returned.
jobs : int, optional
    Threads converting the samples; default one per core this process may
    use. The GIL is released meanwhile; Ctrl-C stops them (KeyboardInterrupt).
    Under a dask cluster, which runs chunks side by side already, jobs=1 is
    the better choice.

Returns
-------
Conversion
    A named tuple of the results of outputs, in their order; without it, of
    the ten quantities as used and derived and clamped:
)" + results +
           R"(    Each result is in the units fahrenheit and conductivity_unit say, a
    float64 array of the broadcast shape (a float when every input is a
    scalar and no out is given), NaN where absent (Absolute Salinity and
    Conservative Temperature under IES-80, a position IES-80 is not given)
    or missing. clamped is a dict from the name of each input (without
    outputs, every input; with it, those given) to a boolean of the same
    shape: True where the input was brought to a bound of its range, or was
    a salinity-related input replaced by the water at a bound of Practical
    Salinity.

Raises
------
TypeError, ValueError
    Naming the argument: a measurement not given, a keyword that is not one
    of the above, data that are not numbers, shapes that do not broadcast,
    two salinity-related inputs, an unknown method or unit, a units
    attribute that is no unit of its quantity, a wrong jobs, fahrenheit or
    missing, a result outputs does not know or names twice, an array of out
    that does not fit.

Warns
-----
ImpossibleValueWarning
    When inputs hold values no sample can have.
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

    const py::dict types;
    module.attr("_result_types") = types;  // held by the module
    resultTypes = types;
    const py::object conversion = resultType(defaultFields());
    conversion.attr("__doc__") = "The result of thalwen.convert: the ten quantities and clamped.";
    module.attr("Conversion") = conversion;

    impossibleValueWarning = PyErr_NewExceptionWithDoc(
        "thalwen.ImpossibleValueWarning",
        "Warned by thalwen.convert once a call when inputs hold values no sample can have (a fill value, a\n"
        "unit mistaken): the results of those samples are NaN.",
        PyExc_UserWarning, nullptr);
    if (!impossibleValueWarning) throw py::error_already_set();
    module.attr("ImpossibleValueWarning") = impossibleValueWarning;

    module.def("convert", &convertPython, convertDoc().c_str());
    module.def("convert_dataset", &convertDataset, convertDatasetDoc().c_str());
}
