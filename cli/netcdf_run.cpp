#include "netcdf_run.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <fstream>
#include <limits>
#include <map>
#include <mutex>
#include <optional>

#include "batch_rows.h"
#include "convert_slabs.h"
#include "file_names.h"
#include "messages.h"
#include "netcdf_flags.h"
#include "number_text.h"
#include "output.h"
#include "parallel.h"

namespace thalwen {

namespace {

constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();

// ---- The file as a batch reads it ------------------------------------------------------------------

// The root group's variables as a batch reads columns, in their order.
std::vector<InputColumn> columnsOf(const Group& root) {
    std::vector<InputColumn> columns;
    for (const Variable& variable : root.variables)
        columns.push_back({variable.name, variable.name, textOf(variable.attributes, "units"),
                           textOf(variable.attributes, "standard_name"),
                           isNumber(variable.type) ? nullptr : typeName(variable.type)});
    return columns;
}

// A variable read.
struct VariableRead {
    std::size_t column;           // among the batch's columns: the root group's variables
    bool everyDimension = false;  // it spans every paired dimension
};

// What is read of the file and written into its copy. The reader's inputs
// are the variables read, then those of their flags.
struct Plan {
    std::vector<VariableRead> reads;
    std::vector<QualityFlags> flags;
    std::vector<Output> outputs;
};

// ---- The results written -----------------------------------------------------------------------

// name, or with the first suffix that makes it a name the file and the
// results before it do not have yet.
std::string freeName(const Group& root, const std::vector<NewVariable>& before, const std::string& name) {
    auto taken = [&](const std::string& candidate) {
        return findVariable(root, candidate) != nullptr ||
               std::any_of(before.begin(), before.end(), [&](const NewVariable& v) { return v.name == candidate; });
    };
    std::string free = name;
    for (int suffix = 1; taken(free); ++suffix) free = name + "_" + std::to_string(suffix);
    return free;
}

// "20 degC", or the variable that gives it: the reference temperature each
// result says it was converted at.
std::string referenceTemperatureText(const BatchSetup& setup) {
    const BatchColumns& columns = setup.columns;
    for (std::size_t i = 0; i < columns.roles.size(); ++i)
        if (columns.roles[i].use == ColumnUse::Quantity && columns.roles[i].quantity == Quantity::ReferenceTemperature)
            return columnAt(columns, i);
    std::string text;
    appendShortest(text, setup.defaults.referenceTemperature);
    const bool fahrenheit = setup.userUnits.fahrenheit.contains(Quantity::ReferenceTemperature);
    return text + " " + (fahrenheit ? kFahrenheit.ascii : "degC");
}

// The variables the copy gains: the results, then the inputs each sample had
// brought to their bounds, as flags of one bit per quantity.
std::vector<NewVariable> newVariables(const Plan& plan, const BatchSetup& setup, const Group& root,
                                      const std::vector<std::string>& dimensions, const Storage& storage) {
    std::vector<NewVariable> variables;
    const std::string method = infoOf(setup.method).label;
    const std::string reference = referenceTemperatureText(setup);
    for (const Output& output : plan.outputs) {
        const CfAttributes cf = cfAttributesOf(output);
        NewVariable variable{freeName(root, variables, outputName(output)), dimensions, {}, storage};
        if (cf.standardName) variable.attributes.push_back(textAttribute("standard_name", cf.standardName));
        variable.attributes.push_back(textAttribute("long_name", cf.longName));
        variable.attributes.push_back(textAttribute("units", unitSpelling(output, setup.style)));
        variable.attributes.push_back(numberAttribute("_FillValue", defaultFill(ValueType::Double)));
        variable.attributes.push_back(textAttribute("method", method));
        variable.attributes.push_back(textAttribute("reference_temperature", reference));
        variables.push_back(std::move(variable));
    }
    std::vector<double> masks;
    std::string meanings;
    for (const QuantityInfo& info : kQuantities) {
        if (!info.input) continue;
        masks.push_back(QuantitySet{info.quantity}.bits());
        (meanings += meanings.empty() ? "" : " ") += info.name;
    }
    NewVariable clamped{freeName(root, variables, kClampedName), dimensions, {}, storage, ValueType::Short};
    clamped.attributes = {textAttribute("long_name", kClampedLongName),
                          Attribute{"_FillValue", ValueType::Short, {}, {defaultFill(ValueType::Short)}},
                          Attribute{"flag_masks", ValueType::Short, {}, masks},
                          textAttribute("flag_meanings", meanings), textAttribute("method", method)};
    variables.push_back(std::move(clamped));
    return variables;
}

// ---- The samples converted -----------------------------------------------------------------------

// Why samples have no results: a gap in a variable read that nothing fills,
// a value no sample can have, or no salinity-related value at all.
struct Reason {
    enum Kind { Unfilled, Impossible, NoSalinity };
    std::size_t column;  // kNone for NoSalinity
    Kind kind;
    Gap gap = Gap::None;
    auto operator<=>(const Reason&) const = default;
};

// How many samples one reason left without results, and the first of them:
// its place among the paired samples (row-major) and its value in the file.
struct Tally {
    std::size_t count = 0;
    std::size_t first = kNone;
    double value = 0;
    const char* why = nullptr;
};

struct Outcome {
    RowCounts counts;
    std::map<Reason, Tally> reasons;

    void add(const Reason& reason, std::size_t sample, double value = 0, const char* why = nullptr) {
        ++counts.failed;
        Tally& tally = reasons[reason];
        ++tally.count;
        if (sample < tally.first) tally = {tally.count, sample, value, why};
    }

    void merge(const Outcome& other) {
        counts += other.counts;
        for (const auto& [reason, tally] : other.reasons) {
            Tally& mine = reasons[reason];
            const std::size_t count = mine.count + tally.count;
            if (tally.first < mine.first) mine = tally;
            mine.count = count;
        }
    }
};

// The place among the paired samples of the index-th sample of box.
std::size_t sampleAt(const Box& box, const Shape& shape, std::size_t index) {
    std::size_t place = 0, stride = 1;
    for (std::size_t d = shape.size(); d-- > 0;) {
        place += (box.start[d] + index % box.count[d]) * stride;
        index /= box.count[d];
        stride *= shape[d];
    }
    return place;
}

// Converts the samples of slab into its outputs, the last the clamped inputs.
class SlabConverter {
public:
    SlabConverter(const Plan& plan, const BatchSetup& setup, Shape shape)
        : plan_(plan), setup_(setup), shape_(std::move(shape)) {}

    void convert(Slab& slab, Outcome& outcome) const {
        RowInput row;
        for (std::size_t i = 0; i < slab.size(); ++i) {
            if (nothingMeasured(slab, i)) {
                ++outcome.counts.empty;
            } else if (!flagsKept(slab, i)) {
                ++outcome.counts.rejected;
            } else if (const std::optional<Reason> reason = readSample(slab, i, row)) {
                outcome.add(*reason, sampleAt(slab.box, shape_, i));
            } else {
                convertRead(slab, i, row, outcome);
            }
        }
    }

private:
    // A sample where every variable read over all its dimensions holds a
    // gap: the fill beyond a profile's last level, nothing to report.
    bool nothingMeasured(const Slab& slab, std::size_t i) const {
        bool any = false;
        for (std::size_t k = 0; k < plan_.reads.size(); ++k) {
            if (!plan_.reads[k].everyDimension) continue;
            if (slab.inputs[k].gaps[i] == Gap::None) return false;
            any = true;
        }
        return any;
    }

    bool flagsKept(const Slab& slab, std::size_t i) const {
        for (std::size_t f = 0; f < plan_.flags.size(); ++f) {
            const Column& flags = slab.inputs[plan_.reads.size() + f];
            const std::vector<double>& kept = plan_.flags[f].kept;
            if (flags.gaps[i] != Gap::None || std::find(kept.begin(), kept.end(), flags.values[i]) == kept.end())
                return false;
        }
        return true;
    }

    std::optional<Reason> readSample(const Slab& slab, std::size_t i, RowInput& row) const {
        startRow(setup_, row);
        for (std::size_t k = 0; k < plan_.reads.size(); ++k) {
            const Column& input = slab.inputs[k];
            const std::size_t column = plan_.reads[k].column;
            if (input.gaps[i] == Gap::None)
                takeValue(setup_, column, input.values[i], row);
            else if (!takeMissing(setup_, column, row))
                return Reason{column, Reason::Unfilled, input.gaps[i]};
        }
        if (!finishRow(setup_, row)) return Reason{kNone, Reason::NoSalinity};
        return std::nullopt;
    }

    void convertRead(Slab& slab, std::size_t i, const RowInput& row, Outcome& outcome) const {
        const UserConversion conversion = convertRow(setup_, row);
        if (!conversion.impossible.empty()) {
            const std::size_t column = impossibleColumn(setup_.columns, conversion).value_or(kNone);
            double value = 0;
            for (std::size_t k = 0; k < plan_.reads.size(); ++k)
                if (plan_.reads[k].column == column) value = slab.inputs[k].values[i];
            outcome.add({column, Reason::Impossible}, sampleAt(slab.box, shape_, i), value, conversion.whyImpossible);
            return;
        }
        for (std::size_t o = 0; o < plan_.outputs.size(); ++o)
            slab.outputs[o][i] = resultValue(conversion, plan_.outputs[o]);
        slab.outputs.back()[i] = conversion.clamped.bits();
        ++outcome.counts.converted;
        if (!conversion.clamped.empty()) ++outcome.counts.clamped;
    }

    const Plan& plan_;
    const BatchSetup& setup_;
    Shape shape_;
};

// ---- What standard error says ----------------------------------------------------------------------

// "N_PROF=3, N_LEVELS=10": where the place-th of the paired samples is.
std::string whereIs(const std::vector<Dimension>& dimensions, std::size_t place) {
    std::vector<std::size_t> index(dimensions.size());
    for (std::size_t d = dimensions.size(); d-- > 0;) {
        index[d] = place % std::max<std::size_t>(dimensions[d].length, 1);
        place /= std::max<std::size_t>(dimensions[d].length, 1);
    }
    std::string text;
    for (std::size_t d = 0; d < dimensions.size(); ++d)
        ((text += d ? ", " : "") += dimensions[d].name + "=") += std::to_string(index[d]);
    return text;
}

// A value as the file holds it: a float variable's as the shortest text of
// the float, which --missing reads back to the same float.
std::string valueText(const Variable& variable, double value) {
    if (variable.type != ValueType::Float) {
        std::string text;
        appendShortest(text, value);
        return text;
    }
    char text[32];
    return std::string(text, std::to_chars(text, text + sizeof text, static_cast<float>(value)).ptr);
}

// "12 samples, the first at N_PROF=3, N_LEVELS=10: variable 'TEMP' (temperature): fill value, ...".
std::string reasonLine(const Reason& reason, const Tally& tally, const BatchSetup& setup, const Group& root,
                       const std::vector<Dimension>& dimensions) {
    std::string line = std::to_string(tally.count) + (tally.count == 1 ? " sample" : " samples");
    if (!dimensions.empty()) line += (tally.count == 1 ? " at " : ", the first at ") + whereIs(dimensions, tally.first);
    line += ": ";
    if (reason.kind == Reason::NoSalinity) return line + setup.noSalinity;
    if (reason.column == kNone) return line + "a value no sample can have: " + tally.why;
    line += describeColumn(setup.columns, reason.column) + ": ";
    const Quantity quantity = setup.columns.roles[reason.column].quantity;
    if (reason.kind == Reason::Unfilled)
        return line + gapName(reason.gap) + ", a missing measurement (" + infoOf(quantity).option +
               " would fill missing values)";
    const std::string value = valueText(root.variables[reason.column], tally.value);
    return line + value + " is " + tally.why + ": no measurement; if it marks a gap, give --missing " + value;
}

// "samples: N_PROF 10000 × N_LEVELS 1000; variable 'LATITUDE' (N_PROF) serves every N_LEVELS".
std::string pairingNote(const Plan& plan, const BatchColumns& columns, const Group& root,
                        const std::vector<Dimension>& dimensions) {
    std::string note = "samples:";
    for (std::size_t d = 0; d < dimensions.size(); ++d)
        ((note += d ? " × " : " ") += dimensions[d].name + " ") += std::to_string(dimensions[d].length);
    if (dimensions.empty()) note += " one";
    for (const VariableRead& read : plan.reads) {
        if (read.everyDimension) continue;
        const Variable& variable = root.variables[read.column];
        std::string own, lacks;
        for (const Dimension& dimension : variable.dimensions) (own += own.empty() ? "" : ", ") += dimension.name;
        for (const Dimension& dimension : dimensions)
            if (std::none_of(variable.dimensions.begin(), variable.dimensions.end(),
                             [&](const Dimension& d) { return d.name == dimension.name; }))
                (lacks += lacks.empty() ? "" : ", ") += dimension.name;
        note += "; " + columnAt(columns, read.column) + " (" + (own.empty() ? "one value" : own) + ") serves every " +
                lacks;
    }
    return note;
}

// "adds: absoluteSalinity (g/kg), ..., clamped".
std::string resultsNote(const std::vector<NewVariable>& variables) {
    std::string note = "adds:";
    for (const NewVariable& variable : variables) {
        const Attribute* units = findAttribute(variable.attributes, "units");
        note += (&variable == &variables.front() ? " " : ", ") + variable.name;
        if (units) note += " (" + units->text + ")";
    }
    return note;
}

void say(std::FILE* err, const std::string& line) {
    // Standard error that cannot be written has nobody left to tell.
    std::fprintf(err, "thalwen-convert: %s\n", line.c_str());
}

// ---- The run ----------------------------------------------------------------------------------------

// The outputs a netCDF file gains; fails on one it cannot hold.
Failure outputsOf(const Arguments& arguments, const BatchColumns& columns, std::vector<Output>& outputs) {
    Quantity source = Quantity::PracticalSalinity;
    for (const ColumnRole& role : columns.roles)
        if (role.use == ColumnUse::Quantity && infoOf(role.quantity).salinityRelated) source = role.quantity;
    outputs = arguments.outputsGiven ? arguments.style.outputs : netcdfDefaultOutputs(arguments.method, source);
    for (const Output& output : outputs)
        if (output.kind == Output::Kind::Method)
            return Failure(
                "--outputs: 'method' is no variable of a netCDF file: each result says its method in "
                "its method attribute");
    return {};
}

// Everything decided before a value is read: what every sample shares, what
// is read and written, and the notes that say so.
struct Preparation {
    BatchSetup setup;
    Plan plan;
    std::vector<std::string> notes;
    std::vector<Suggestion> suggestions;  // of variables that look meant to be read, when refused
};

Failure prepare(const Arguments& arguments, const Group& root, Preparation& preparation) {
    BatchColumns columns;
    if (Failure failure = readVariables(columnsOf(root), arguments.columnMappings, arguments.source,
                                        userUnitsOf(arguments), columns)) {
        preparation.suggestions = columns.suggestions;
        return failure;
    }
    Plan& plan = preparation.plan;
    Arguments used = arguments;
    if (Failure failure = outputsOf(arguments, columns, plan.outputs)) return failure;
    used.style.outputs = plan.outputs;
    std::vector<std::size_t> read;
    for (std::size_t i = 0; i < columns.roles.size(); ++i)
        if (columns.roles[i].use == ColumnUse::Quantity) {
            plan.reads.push_back({i});
            read.push_back(i);
        }
    BatchSetup& setup = preparation.setup;
    if (Failure failure = makeBatchSetup(used, Dialect{}, std::move(columns), setup)) return failure;
    preparation.notes = headerNotes(setup);
    return readQualityFlags(arguments.qualityFlags, root, setup.columns, read, plan.flags, preparation.notes);
}

// The names of the variables the reader reads, in the order of its inputs,
// and those of them read as characters.
void readerInputs(const Plan& plan, const Group& root, std::vector<std::string>& names,
                  std::vector<std::string>& characters) {
    for (const VariableRead& read : plan.reads) names.push_back(root.variables[read.column].name);
    for (const QualityFlags& flags : plan.flags) {
        names.push_back(flags.variable->name);
        if (flags.variable->type == ValueType::Char) characters.push_back(flags.variable->name);
    }
}

// Those of the variables read that span every dimension they pair into;
// returns the one with the most dimensions, which lends its storage.
const Variable& spanDimensions(const Group& root, std::size_t paired, Plan& plan) {
    const Variable* most = &root.variables[plan.reads.front().column];
    for (VariableRead& read : plan.reads) {
        const Variable& variable = root.variables[read.column];
        read.everyDimension = variable.dimensions.size() == paired;
        if (variable.dimensions.size() > most->dimensions.size()) most = &variable;
    }
    return *most;
}

ExitStatus refuse(std::FILE* err, const std::string& path, const Failure& failure,
                  const std::vector<Suggestion>& suggestions = {}) {
    const std::string& message = failure.message();
    if (message.rfind("thalwen-convert: ", 0) == 0)
        std::fprintf(err, "%s\n", message.c_str());
    else
        say(err, path + ": " + message);
    for (const Suggestion& suggestion : suggestions) say(err, suggestion.note);
    return failure.status();
}

}  // namespace

bool isNetcdfFile(const std::string& path) {
    for (const char* suffix : {".nc", ".nc4", ".cdf"}) {
        const std::string_view name = path, end = suffix;
        if (name.size() > end.size() && sameName(name.substr(name.size() - end.size()), end)) return true;
    }
    std::ifstream file(path, std::ios::binary);
    char start[8] = {};
    if (!file.read(start, sizeof start)) return false;
    const std::string_view head(start, sizeof start);
    if (head.substr(0, 3) == "CDF" && (head[3] == 1 || head[3] == 2 || head[3] == 5)) return true;
    return head == std::string_view("\x89HDF\r\n\x1a\n", 8);
}

ExitStatus runNetcdf(const Arguments& arguments, const std::vector<std::string>& commandLine, std::FILE* err,
                     const std::atomic<bool>* stop) {
    const std::string& path = arguments.batchPath;
    if (arguments.outputPath.empty())
        return refuse(err, path,
                      Failure("a netCDF file is converted into a copy of it with the results: name it with "
                              "--output FILE (-o FILE)"));
    try {
        const InputFile input(path);
        const Group& root = input.description().root;
        Preparation preparation;
        if (Failure failure = prepare(arguments, root, preparation))
            return refuse(err, path, failure, preparation.suggestions);
        Plan& plan = preparation.plan;
        const BatchSetup& setup = preparation.setup;
        std::vector<std::string>& notes = preparation.notes;
        std::vector<std::string> names, characters;
        readerInputs(plan, root, names, characters);
        const unsigned jobs = arguments.jobs > 0 ? arguments.jobs : coresAvailable();
        SlabReader reader(input, names, slabValuesFor(jobs, names.size(), plan.outputs.size() + 1), characters);
        reader.addMissing(arguments.missing);
        const Variable& like = spanDimensions(root, reader.dimensions().size(), plan);
        const std::vector<NewVariable> variables =
            newVariables(plan, setup, root, reader.dimensionNames(), reader.storageLike(like));
        notes.push_back(pairingNote(plan, setup.columns, root, reader.dimensions()));
        notes.push_back(resultsNote(variables));
        if (!arguments.quiet)
            for (const std::string& note : notes) say(err, note);

        OutputFile output(input, arguments.outputPath, variables,
                          historyLine(std::chrono::system_clock::now(), commandLine), stop);
        Shape shape;
        for (const Dimension& dimension : reader.dimensions()) shape.push_back(dimension.length);
        const SlabConverter converter(plan, setup, shape);
        Outcome outcome;
        std::mutex mutex;
        convertSlabs(
            reader, output, jobs,
            [&](Slab& slab) {
            Outcome mine;
            converter.convert(slab, mine);
            const std::lock_guard lock(mutex);
            outcome.merge(mine);
            },
            stop);
        output.commit();
        for (const auto& [reason, tally] : outcome.reasons)
            say(err, path + ": " + reasonLine(reason, tally, setup, root, reader.dimensions()));
        if (!arguments.quiet) say(err, summaryOf(outcome.counts, ColumnKind::NetcdfVariable));
        return outcome.counts.failed > 0 ? kExitRowsWithoutResults : kExitSuccess;
    } catch (const NetcdfError& error) {
        say(err, error.what());
        return error.output ? kExitOutputFailed : kExitBadInput;
    }
}

}  // namespace thalwen
