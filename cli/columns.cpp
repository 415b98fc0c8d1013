#include "columns.h"

#include <algorithm>
#include <optional>

#include "messages.h"
#include "number_text.h"

namespace thalwen {

namespace {

// Units a header may write besides the engine's own (quantities.h) and the
// temperature and conductivity units of user_conversion.h.
struct UnitSpelling {
    Quantity quantity;
    const char* unit;
};

constexpr UnitSpelling kUnitSpellings[] = {
    {Quantity::Pressure, "decibar"},       {Quantity::Longitude, "degrees_east"},
    {Quantity::Latitude, "degrees_north"}, {Quantity::PracticalSalinity, "PSU"},
    {Quantity::PracticalSalinity, "psu"},  {Quantity::PracticalSalinity, "PSS-78"},
    {Quantity::Density, "kg/m3"},          {Quantity::Density, "kg/m^3"},
};

constexpr const char* kClamped = "clamped";  // the last result column

constexpr ColumnRole kMethodColumn = {ColumnUse::Method};

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

// What a column named name, written exactly so, gives without --column: our
// own names and the conventions above; Carried for any other.
ColumnRole readByName(std::string_view name) {
    if (name == "method") return kMethodColumn;
    if (auto quantity = quantityFromName(name); quantity && infoOf(*quantity).input) return quantityColumn(*quantity);
    for (const FileName& known : kFileNames)
        if (known.read && name == known.text) return quantityColumn(known.quantity);
    return {};
}

// The units a header may give quantity in, for messages.
std::string unitsOf(Quantity quantity) {
    std::vector<std::string> units;
    const QuantityInfo& info = infoOf(quantity);
    if (info.temperature) {
        for (const TemperatureUnit& unit : kTemperatureUnitsUtf8) units.insert(units.end(), {unit.name, unit.ascii});
    } else if (quantity == Quantity::Conductivity) {
        for (const ConductivityUnit& unit : kConductivityUnits) {
            units.emplace_back(unit.name);
            if (std::string_view(unit.ascii) != unit.name) units.emplace_back(unit.ascii);
        }
    } else if (*info.unit) {
        units.emplace_back(info.unit);
    }
    for (const UnitSpelling& spelling : kUnitSpellings)
        if (spelling.quantity == quantity) units.emplace_back(spelling.unit);
    if (units.empty()) return std::string(info.name) + " has no unit";
    return std::string(info.name) + " is read in " + choices(units, [](const std::string& unit) { return unit; });
}

// units with unit taken as that of a column of quantity, or none when it is
// none a header may give quantity in.
std::optional<UserUnits> withUnit(Quantity quantity, std::string_view unit, UserUnits units) {
    const QuantityInfo& info = infoOf(quantity);
    if (info.temperature) {
        const TemperatureUnit* temperature = temperatureUnitNamed(unit);
        if (!temperature) return std::nullopt;
        takeUnitOf(quantity, userUnits(temperature->fahrenheit), units);
        return units;
    }
    if (quantity == Quantity::Conductivity) {
        const ConductivityUnit* conductivity = conductivityUnitNamed(unit);
        if (!conductivity) return std::nullopt;
        takeUnitOf(quantity, userUnits(false, *conductivity), units);
        return units;
    }
    if (*info.unit && unit == info.unit) return units;
    for (const UnitSpelling& spelling : kUnitSpellings)
        if (spelling.quantity == quantity && unit == spelling.unit) return units;
    return std::nullopt;
}

// The names of the result columns, in their order, without units.
bool resultsStartAt(const std::vector<HeaderName>& headers, std::size_t first) {
    if (headers.size() - first < 2 + kQuantityCount) return false;
    if (headers[first].name != "method" || headers[first + 1 + kQuantityCount].name != kClamped) return false;
    for (int i = 0; i < kQuantityCount; ++i)
        if (headers[first + 1 + i].name != kQuantities[i].name) return false;
    return true;
}

// A note for a carried column whose name is close to one we read, for a
// quantity no column gives.
std::optional<std::string> suggestion(const BatchColumns& columns, std::size_t index, const HeaderName& header) {
    auto unread = [&](const ColumnRole& role) {
        return role.use == ColumnUse::Method
                   ? !columns.method
                   : !columns.quantities.contains(role.quantity) && infoOf(role.quantity).input;
    };
    ColumnRole match;
    auto consider = [&](std::string_view name, const ColumnRole& role) {
        if (match.use == ColumnUse::Carried && closeTo(header.name, name) && unread(role)) match = role;
    };
    consider("method", kMethodColumn);
    for (const QuantityInfo& info : kQuantities) consider(info.name, quantityColumn(info.quantity));
    for (const FileName& known : kFileNames) consider(known.text, quantityColumn(known.quantity));
    if (match.use == ColumnUse::Carried) return std::nullopt;
    const char* name = nameOf(match);
    std::string note = columnAt(columns, index) + " is carried; ";
    if (match.use == ColumnUse::Quantity && !header.unit.empty() && !withUnit(match.quantity, header.unit, {}))
        return note + "it looks like " + name + ", but " + unitsOf(match.quantity) + ", not " +
               std::string(header.unit);
    // The name without its unit maps the column as well, and pastes more easily.
    return note + "to read it as " + name + ", give --column " +
           shellWord(std::string(name) + "=" + std::string(header.name));
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

Failure mapColumns(const std::vector<ColumnMapping>& mappings, const std::vector<HeaderName>& headers,
                   BatchColumns& columns) {
    for (const ColumnMapping& mapping : mappings) {
        const std::string option = "--column " + std::string(mappedName(mapping)) + "=" + mapping.header;
        std::size_t found = columns.names.size(), count = 0;
        for (std::size_t i = 0; i < columns.names.size(); ++i)
            if (columns.names[i] == mapping.header || headers[i].name == mapping.header) {
                found = i;
                ++count;
            }
        if (count == 0) return Failure(option + ": the header has no column " + quoted(mapping.header));
        if (count > 1) return Failure(option + ": the header has more than one column " + quoted(mapping.header));
        if (columns.roles[found].use != ColumnUse::Carried)
            return Failure(option + ": column " + quoted(mapping.header) + " is mapped twice");
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

// Each quantity not mapped read from the one column that names it.
Failure readByNames(const std::vector<HeaderName>& headers, BatchColumns& columns) {
    std::vector<std::size_t> first(kQuantityCount + 1, columns.names.size());  // by quantity, the method last
    for (std::size_t i = 0; i < columns.names.size(); ++i) {
        if (columns.roles[i].use != ColumnUse::Carried) continue;
        const ColumnRole read = readByName(headers[i].name);
        if (read.use == ColumnUse::Carried || given(columns, read)) continue;
        std::size_t& earlier = first[read.use == ColumnUse::Method ? kQuantityCount : static_cast<int>(read.quantity)];
        if (earlier < columns.names.size())
            return Failure("header: columns " + std::to_string(earlier + 1) + " " + quoted(columns.names[earlier]) +
                           " and " + std::to_string(i + 1) + " " + quoted(columns.names[i]) + " both give " +
                           nameOf(read) + "; give the one to read with --column " + nameOf(read) + "=HEADER");
        earlier = i;
    }
    for (int q = 0; q <= kQuantityCount; ++q)
        if (first[q] < columns.names.size())
            give(columns, first[q], q < kQuantityCount ? quantityColumn(static_cast<Quantity>(q)) : kMethodColumn);
    return {};
}

// The units the header writes for the columns read.
Failure takeUnits(const std::vector<HeaderName>& headers, BatchColumns& columns) {
    for (std::size_t i = 0; i < columns.names.size(); ++i) {
        const ColumnRole& role = columns.roles[i];
        const std::string_view unit = headers[i].unit;
        if (role.use == ColumnUse::Carried || unit.empty()) continue;
        if (role.use == ColumnUse::Method)
            return Failure("header: " + describeColumn(columns, i) + ": a method has no unit, not " + quoted(unit));
        const std::optional<UserUnits> units = withUnit(role.quantity, unit, columns.units);
        if (!units)
            return Failure("header: " + describeColumn(columns, i) + ": unit " + quoted(unit) + " cannot be read; " +
                           unitsOf(role.quantity));
        columns.units = *units;
    }
    return {};
}

}  // namespace

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
                   const UserUnits& userUnits, BatchColumns& columns) {
    columns = BatchColumns{};
    columns.units = userUnits;
    for (const Cell& cell : cells) columns.names.emplace_back(trimBlanks(cellText(cell)));
    columns.roles.assign(cells.size(), ColumnRole{});
    std::vector<HeaderName> headers;
    for (const std::string& name : columns.names) headers.push_back(splitUnit(name));

    // What the user mapped comes first; the header's names serve the rest.
    if (Failure failure = mapColumns(mappings, headers, columns)) return failure;
    columns.results = columns.names.size();
    for (std::size_t i = headers.size(); i-- > 0;)
        if (resultsStartAt(headers, i)) {
            columns.results = i;
            break;
        }
    if (columns.results < columns.names.size())
        readResults(columns);
    else if (Failure failure = readByNames(headers, columns))
        return failure;

    // An earlier conversion's results give every input: nothing to suggest.
    for (std::size_t i = 0; i < columns.names.size() && columns.results == columns.names.size(); ++i) {
        if (columns.roles[i].use != ColumnUse::Carried) continue;
        if (auto note = suggestion(columns, i, headers[i])) columns.suggestions.push_back(std::move(*note));
    }
    if (columns.quantities.empty() && !columns.method)
        return Failure("header: no column to convert in " + quoted(line) +
                       "; name them as --help lists or map them with --column QUANTITY=HEADER");
    return takeUnits(headers, columns);
}

}  // namespace thalwen
