#include "columns.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "file_names.h"
#include "messages.h"
#include "number_text.h"
#include "quantity_unit.h"

namespace thalwen {

namespace {

constexpr ColumnRole kMethodColumn = {ColumnUse::Method};

// What a column's name gives, and how its name said so.
struct NameMatch {
    ColumnRole role;
    NameReading reading{};
};

const char* nameOf(const ColumnRole& role) {
    return role.use == ColumnUse::Quantity ? infoOf(role.quantity).name : "method";
}

ColumnRole quantityColumn(Quantity quantity) { return {ColumnUse::Quantity, quantity}; }

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Edits (insertions, deletions, replacements) from a to b, case aside.
std::size_t editDistance(std::string_view a, std::string_view b) {
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (lower(a[i - 1]) != lower(b[j - 1]))});
            diagonal = above;
        }
    }
    return row[b.size()];
}

// name but for its case, or misspelt: a letter off, two in longer names.
bool closeTo(std::string_view text, std::string_view name) {
    const std::size_t allowed = name.size() >= 8 ? 2 : name.size() >= 4 ? 1 : 0;
    return editDistance(text, name) <= allowed;
}

// What a column gives without --column: the method (a CSV column), or what
// the vocabulary's rule of names reads in its standard name or its name.
NameMatch readByName(const InputColumn& column, ColumnKind kind) {
    if (kind == ColumnKind::CsvColumn && sameName(column.bare, "method")) return {kMethodColumn};
    if (const std::optional<NameReading> reading = readName(column.bare, column.standardName))
        return {quantityColumn(reading->quantity), *reading};
    return {};
}

// "header: " before what is wrong with a CSV header; a netCDF file's
// variables need no such word.
std::string headerWord(const BatchColumns& columns) { return columns.kind == ColumnKind::CsvColumn ? "header: " : ""; }

// Reads unit as that of a column of quantity into reading and units; fails
// with why it is none of quantity's. Our own spellings of the user's units
// (°F, S/m, µS/cm) and UDUNITS-2's exact equivalents of them convert as the
// options' values do; any other unit by its map.
Failure readColumnUnit(Quantity quantity, std::string_view unit, ColumnReading& reading, UserUnits& units) {
    const QuantityUnitReading read = readQuantityUnit(infoOf(quantity), unit, infoOf(quantity).name);
    if (read.status != UnitStatus::Read) return Failure(read.message);
    takeUnitOf(
        quantity,
        userUnits(read.unit.fahrenheit, read.unit.conductivity ? *read.unit.conductivity : kMilliSiemensPerCentimetre),
        units);
    reading.map = read.unit.map;
    return {};
}

// The names of the result columns, in their order, without units.
bool resultsStartAt(const std::vector<InputColumn>& headers, std::size_t first) {
    if (headers.size() - first < kEarlierResultColumns) return false;
    if (headers[first].bare != "method" || headers[first + 1 + kQuantityCount].bare != kClampedName) return false;
    for (int i = 0; i < kQuantityCount; ++i)
        if (headers[first + 1 + i].bare != kQuantities[i].name) return false;
    return true;
}

// A note for a carried column whose name is close to one we read, for a
// quantity no column gives.
std::optional<Suggestion> suggestion(const BatchColumns& columns, std::size_t index, const InputColumn& header) {
    // One salinity-related column is read at most: beside it, another is carried on purpose.
    auto unread = [&](const ColumnRole& role) {
        if (role.use == ColumnUse::Method) return !columns.method;
        const QuantityInfo& info = infoOf(role.quantity);
        return info.input && !columns.quantities.contains(role.quantity) &&
               !(info.salinityRelated && anySalinityRelated(columns.quantities));
    };
    ColumnRole match;
    auto consider = [&](std::string_view name, const ColumnRole& role) {
        if (match.use == ColumnUse::Carried && closeTo(header.bare, name) && unread(role)) match = role;
    };
    if (header.holds) return std::nullopt;
    if (columns.kind == ColumnKind::CsvColumn) consider("method", kMethodColumn);
    for (const QuantityInfo& info : kQuantities) consider(info.name, quantityColumn(info.quantity));
    for (const FileName& known : kFileNames) consider(known.text, quantityColumn(known.quantity));
    if (match.use == ColumnUse::Carried) return std::nullopt;
    const char* name = nameOf(match);
    std::string note = columnAt(columns, index) + " is carried; ";
    if (match.use == ColumnUse::Quantity && !header.unit.empty()) {
        ColumnReading reading;
        UserUnits units;
        if (Failure failure = readColumnUnit(match.quantity, header.unit, reading, units))
            return Suggestion{match, note + "it looks like " + name + ", but " + failure.message()};
    }
    // The name without its unit maps the column as well, and pastes more easily.
    return Suggestion{
        match, note + "to read it as " + name + ", give --column " + shellWord(std::string(name) + "=" + header.bare)};
}

// Gives column index the role, and the batch its quantity or method.
void give(BatchColumns& columns, std::size_t index, const ColumnRole& role) {
    columns.roles[index] = role;
    if (role.use == ColumnUse::Quantity)
        columns.quantities.add(role.quantity);
    else
        columns.method = true;
}

bool given(const BatchColumns& columns, const ColumnRole& role) {
    return role.use == ColumnUse::Quantity ? columns.quantities.contains(role.quantity) : columns.method;
}

Failure mapColumns(const std::vector<ColumnMapping>& mappings, const std::vector<InputColumn>& headers,
                   BatchColumns& columns) {
    const bool csv = columns.kind == ColumnKind::CsvColumn;
    for (const ColumnMapping& mapping : mappings) {
        const std::string option = "--column " + std::string(mappedName(mapping)) + "=" + mapping.header;
        std::size_t found = columns.names.size(), count = 0;
        for (std::size_t i = 0; i < columns.names.size(); ++i)
            if (columns.names[i] == mapping.header || headers[i].bare == mapping.header) {
                found = i;
                ++count;
            }
        if (count == 0)
            return Failure(option + (csv ? ": the header has no column " : ": the file has no variable ") +
                           quoted(mapping.header));
        if (count > 1) return Failure(option + ": the header has more than one column " + quoted(mapping.header));
        if (columns.roles[found].use != ColumnUse::Carried)
            return Failure(option + ": " + wordsOf(columns.kind).column + " " + quoted(mapping.header) +
                           " is mapped twice");
        if (!csv && !mapping.quantity) return Failure(option + ": a netCDF file gives no method: give --method");
        give(columns, found, mapping.quantity ? quantityColumn(*mapping.quantity) : kMethodColumn);
    }
    return {};
}

// The results of an earlier conversion (our own output), from columns.results:
// the sample it used is read, Practical Salinity its source; what was derived
// from it is carried, and so are the columns around it.
void readResults(BatchColumns& columns) {
    for (int i = 0; i < kQuantityCount; ++i) {
        const QuantityInfo& info = kQuantities[i];
        const bool derived = !info.input || (info.salinityRelated && info.quantity != Quantity::PracticalSalinity);
        if (!derived && !given(columns, quantityColumn(info.quantity)))
            give(columns, columns.results + 1 + i, quantityColumn(info.quantity));
    }
}

// "columns 1 'PRES' and 2 'pressure'", "variables 'PRES' and 'pres'".
std::string both(const BatchColumns& columns, std::size_t first, std::size_t second) {
    if (columns.kind == ColumnKind::NetcdfVariable)
        return "variables " + quoted(columns.names[first]) + " and " + quoted(columns.names[second]);
    return "columns " + std::to_string(first + 1) + " " + quoted(columns.names[first]) + " and " +
           std::to_string(second + 1) + " " + quoted(columns.names[second]);
}

// Each quantity not mapped read from the one column that names it. Beside
// the raw values of an archive, its adjusted ones are read and the raw ones
// carried; beside a column found by name, the one found by its standard
// name. The notes say which.
Failure readByNames(const std::vector<InputColumn>& headers, BatchColumns& columns) {
    const std::size_t none = columns.names.size();
    std::vector<std::size_t> first(kQuantityCount + 1, none);  // by quantity, the method last
    std::vector<NameMatch> matches(none);
    for (std::size_t i = 0; i < none; ++i) {
        if (columns.roles[i].use != ColumnUse::Carried) continue;
        matches[i] = readByName(headers[i], columns.kind);
        const ColumnRole& read = matches[i].role;
        if (read.use == ColumnUse::Carried || given(columns, read)) continue;
        std::size_t& earlier = first[read.use == ColumnUse::Method ? kQuantityCount : static_cast<int>(read.quantity)];
        if (earlier == none) {
            earlier = i;
            continue;
        }
        const NameReading& reading = matches[i].reading;
        const bool wins = preferred(reading, matches[earlier].reading);
        if (!wins && !preferred(matches[earlier].reading, reading))
            return Failure(headerWord(columns) + both(columns, earlier, i) + " both give " + nameOf(read) +
                           "; give the one to read with --column " + nameOf(read) + "=" + wordsOf(columns.kind).mapped);
        const std::size_t carried = wins ? earlier : i;
        if (wins) earlier = i;
        const NameReading& kept = matches[earlier].reading;
        columns.notes.push_back(columnAt(columns, carried) + " is carried: " + columnAt(columns, earlier) +
                                (kept.adjusted ? std::string(" gives the adjusted ") + nameOf(read)
                                               : " has the standard name " + headers[earlier].standardName));
    }
    for (int q = 0; q <= kQuantityCount; ++q) {
        const std::size_t i = first[q];
        if (i == none) continue;
        give(columns, i, q < kQuantityCount ? quantityColumn(static_cast<Quantity>(q)) : kMethodColumn);
        columns.readings[i].convention = matches[i].reading.convention;
    }
    return {};
}

// Of several salinity-related columns, the one of source is read; the others
// are carried, which the notes say. Without source, several are refused: a
// row would be converted from whichever it happens to fill.
Failure chooseSource(std::optional<Quantity> source, BatchColumns& columns) {
    std::vector<std::size_t> salinity;
    for (std::size_t i = 0; i < columns.roles.size(); ++i)
        if (columns.roles[i].use == ColumnUse::Quantity && infoOf(columns.roles[i].quantity).salinityRelated)
            salinity.push_back(i);
    if (source) {
        for (std::size_t i : salinity) {
            const Quantity quantity = columns.roles[i].quantity;
            if (quantity == *source) continue;
            columns.notes.push_back(describeColumn(columns, i) + " is carried: --source " + infoOf(*source).name);
            columns.roles[i] = {};
            columns.quantities.remove(quantity);
        }
        return {};
    }
    if (salinity.size() < 2) return {};
    std::string which, sources;
    for (std::size_t k = 0; k < salinity.size(); ++k) {
        const char* separator = k == 0 ? "" : k + 1 == salinity.size() ? " and " : ", ";
        (which += separator) += describeColumn(columns, salinity[k]);
        ((sources += k == 0                     ? ""
                     : k + 1 == salinity.size() ? " or "
                                                : ", ") += "--source ") +=
            infoOf(columns.roles[salinity[k]].quantity).name;
    }
    return Failure(headerWord(columns) + which +
                   " each give a salinity-related input; choose the one to convert from with " + sources);
}

// The units of the columns read: as the header writes them, else as their
// convention implies, else the user's.
Failure takeUnits(const std::vector<InputColumn>& headers, BatchColumns& columns) {
    for (std::size_t i = 0; i < columns.names.size(); ++i) {
        const ColumnRole& role = columns.roles[i];
        ColumnReading& reading = columns.readings[i];
        std::string_view unit = headers[i].unit;
        if (role.use == ColumnUse::Carried) continue;
        if (!unit.empty()) {
            reading.unitOrigin = UnitOrigin::Header;
        } else if (reading.convention && reading.convention->unit) {
            unit = reading.convention->unit;
            reading.unitOrigin = UnitOrigin::Convention;
        } else {
            continue;
        }
        if (role.use == ColumnUse::Method)
            return Failure("header: " + describeColumn(columns, i) + ": a method has no unit, not " + quoted(unit));
        reading.unit = unit;
        if (Failure failure = readColumnUnit(role.quantity, unit, reading, columns.units))
            return Failure(headerWord(columns) + describeColumn(columns, i) + ": " + failure.message());
    }
    return {};
}

// Every column kept, none read yet.
void startColumns(const std::vector<InputColumn>& inputs, ColumnKind kind, const UserUnits& userUnits,
                  BatchColumns& columns) {
    columns = BatchColumns{};
    columns.kind = kind;
    columns.units = userUnits;
    for (const InputColumn& input : inputs) columns.names.push_back(input.name);
    columns.roles.assign(inputs.size(), ColumnRole{});
    columns.readings.assign(inputs.size(), ColumnReading{});
    columns.results = inputs.size();
}

// Once each quantity has its column: the salinity-related one chosen, the
// suggestions made, and the units read; fails when nothing is read or a
// column read holds no numbers.
Failure finishColumns(std::string_view line, const std::vector<InputColumn>& inputs, std::optional<Quantity> source,
                      BatchColumns& columns) {
    if (Failure failure = chooseSource(source, columns)) return failure;
    // An earlier conversion's results give every input: nothing to suggest.
    for (std::size_t i = 0; i < columns.names.size() && columns.results == columns.names.size(); ++i) {
        if (columns.roles[i].use != ColumnUse::Carried) continue;
        if (auto note = suggestion(columns, i, inputs[i])) columns.suggestions.push_back(std::move(*note));
    }
    if (columns.quantities.empty() && !columns.method) {
        if (columns.kind == ColumnKind::NetcdfVariable)
            return Failure(
                "no variable to convert: name them as --help lists, give them a CF standard_name, or "
                "map them with --column QUANTITY=VARIABLE");
        return Failure("header: no column to convert in " + quoted(line) +
                       "; name them as --help lists or map them with --column QUANTITY=HEADER");
    }
    for (std::size_t i = 0; i < inputs.size(); ++i)
        if (columns.roles[i].use != ColumnUse::Carried && inputs[i].holds)
            return Failure(describeColumn(columns, i) + " holds " + inputs[i].holds + ", not numbers");
    return takeUnits(inputs, columns);
}

}  // namespace

const KindWords& wordsOf(ColumnKind kind) {
    static constexpr KindWords kCsv{"column", "row", "HEADER", "empty cells"};
    static constexpr KindWords kNetcdf{"variable", "sample", "VARIABLE", "missing values"};
    return kind == ColumnKind::CsvColumn ? kCsv : kNetcdf;
}

const char* mappedName(const ColumnMapping& mapping) {
    return mapping.quantity ? infoOf(*mapping.quantity).name : "method";
}

std::string conventionalNames() {
    std::string archives, cf;
    for (const FileName& known : kFileNames) {
        if (!known.read) continue;
        std::string& list = known.naming == Naming::ProfileArchive ? archives : cf;
        (list += list.empty() ? "" : ", ") += known.text;
    }
    return "the profile archives' " + archives + "; the CF standard names " + cf;
}

HeaderName splitUnit(std::string_view header) {
    header = trimBlanks(header);
    if (header.empty() || (header.back() != ']' && header.back() != ')')) return {header, {}};
    const std::size_t open = header.find_last_of(header.back() == ']' ? '[' : '(');
    if (open == std::string_view::npos) return {header, {}};
    const std::string_view name = trimBlanks(header.substr(0, open));
    if (name.empty()) return {header, {}};
    return {name, trimBlanks(header.substr(open + 1, header.size() - open - 2))};
}

void takeUnitOf(Quantity quantity, const UserUnits& from, UserUnits& units) {
    if (quantity == Quantity::Conductivity) units.conductivity = from.conductivity;
    if (!infoOf(quantity).temperature) return;
    if (from.fahrenheit.contains(quantity))
        units.fahrenheit.add(quantity);
    else
        units.fahrenheit.remove(quantity);
}

std::string columnAt(const BatchColumns& columns, std::size_t index) {
    if (columns.kind == ColumnKind::NetcdfVariable) return "variable " + quoted(columns.names[index]);
    return "column " + std::to_string(index + 1) + " " + quoted(columns.names[index]);
}

std::string describeColumn(const BatchColumns& columns, std::size_t index) {
    std::string text = columnAt(columns, index);
    const ColumnRole& role = columns.roles[index];
    const char* ours = role.use == ColumnUse::Method     ? "method"
                       : role.use == ColumnUse::Quantity ? infoOf(role.quantity).name
                                                         : nullptr;
    if (ours && columns.names[index] != ours) (text += " (") += std::string(ours) + ")";
    return text;
}

Failure readHeader(std::string_view line, const std::vector<Cell>& cells, const std::vector<ColumnMapping>& mappings,
                   std::optional<Quantity> source, const UserUnits& userUnits, BatchColumns& columns) {
    std::vector<InputColumn> headers;
    for (const Cell& cell : cells) {
        std::string name(trimBlanks(cellText(cell)));
        const HeaderName split = splitUnit(name);
        headers.push_back({name, std::string(split.name), std::string(split.unit), {}, nullptr});
    }
    startColumns(headers, ColumnKind::CsvColumn, userUnits, columns);

    // What the user mapped comes first; the header's names serve the rest.
    if (Failure failure = mapColumns(mappings, headers, columns)) return failure;
    for (std::size_t i = headers.size(); i-- > 0;)
        if (resultsStartAt(headers, i)) {
            columns.results = i;
            break;
        }
    if (columns.results < columns.names.size())
        readResults(columns);
    else if (Failure failure = readByNames(headers, columns))
        return failure;
    return finishColumns(line, headers, source, columns);
}

Failure readVariables(const std::vector<InputColumn>& variables, const std::vector<ColumnMapping>& mappings,
                      std::optional<Quantity> source, const UserUnits& userUnits, BatchColumns& columns) {
    startColumns(variables, ColumnKind::NetcdfVariable, userUnits, columns);
    if (Failure failure = mapColumns(mappings, variables, columns)) return failure;
    if (Failure failure = readByNames(variables, columns)) return failure;
    return finishColumns({}, variables, source, columns);
}

}  // namespace thalwen
