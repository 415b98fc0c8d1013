#include "batch_rows.h"

#include <algorithm>
#include <cstring>

#include "messages.h"
#include "number_text.h"
#include "output.h"
#include "reader.h"
#include "user_conversion.h"

namespace thalwen {

namespace {

// Whether every cell of a row is empty. Most rows have a value in their first
// cell: the line alone tells, without looking at the cells.
bool nothingGiven(std::string_view line, const CellRow& cells, const Dialect& dialect) {
    for (char c : line)
        if (c != dialect.separator && c != ' ' && c != '\t' && c != '"') return false;
    return std::all_of(cells.begin(), cells.end(), [](const Cell& cell) { return trimBlanks(cell.text).empty(); });
}

void report(std::string& errors, long lineNumber, const std::string& reason) {
    ((errors += "line ") += std::to_string(lineNumber) + ": ") += reason;
    errors += '\n';
}

void appendSeparators(std::string& out, std::size_t count, const Dialect& dialect) {
    out.append(count, dialect.separator);
}

// "12 °C", "1025 kg/m³", "35": a value as the user gives it.
std::string valueText(Quantity quantity, double value, const UserUnits& units) {
    std::string text;
    appendShortest(text, value);
    if (const char* unit = unitName(quantity, units); *unit) (text += ' ') += unit;
    return text;
}

// The unit a column is read in, as the notes say it.
std::string unitText(Quantity quantity, const UserUnits& units) {
    const char* unit = unitName(quantity, units);
    return *unit ? std::string(" in ") + unit : std::string();
}

// ", the profile archives' unit": where the unit of column index comes from,
// when its convention gives it another than the user's.
std::string unitOrigin(const BatchColumns& columns, std::size_t index, const UserUnits& userUnits) {
    const Quantity quantity = columns.roles[index].quantity;
    const ColumnReading& reading = columns.readings[index];
    if (reading.unitOrigin != UnitOrigin::Convention ||
        std::string_view(unitName(quantity, columns.units)) == unitName(quantity, userUnits))
        return "";
    return reading.convention->naming == Naming::ProfileArchive ? ", the profile archives' unit" : ", the CF unit";
}

// "--salinity, --density, --conductivity or --specific-gravity".
std::string salinityOptions() {
    std::vector<const char*> names;
    for (const QuantityInfo& info : kQuantities)
        if (info.salinityRelated) names.push_back(info.option);
    return choices(names, [](const char* option) { return option; });
}

// "1 row", "2 samples".
std::string rows(std::size_t count, ColumnKind kind = ColumnKind::CsvColumn) {
    return std::to_string(count) + " " + wordsOf(kind).row + (count == 1 ? "" : "s");
}

// The report of a row with a value no sample can have: a fill value, most
// likely, or a unit mistaken. Options were held to the bands before any row.
Failure impossibleCell(const CellRow& cells, const BatchColumns& columns, const UserConversion& conversion) {
    if (const std::optional<std::size_t> i = impossibleColumn(columns, conversion)) {
        const std::string_view text = trimBlanks(cells[*i].text);
        return Failure(valueError(describeColumn(columns, *i), text,
                                  std::string("is ") + conversion.whyImpossible +
                                      ": no measurement; if it marks a gap, give --missing " + std::string(text)));
    }
    return Failure(std::string("a value no sample can have: ") + conversion.whyImpossible);
}

// A cell that says no value was measured.
bool marksMissing(std::string_view cell) {
    auto is = [&](std::string_view word) {
        return cell.size() == word.size() && std::equal(cell.begin(), cell.end(), word.begin(), [](char a, char b) {
                   return (a >= 'A' && a <= 'Z' ? a - 'A' + 'a' : a) == b;
               });
    };
    return cell.empty() || is("nan") || is("na") || is("n/a");
}

// What a batch lacks: a line for each quantity that neither a column nor an
// option gives, and the note of each column that looks like it.
std::string lacking(const Arguments& arguments, const BatchColumns& columns) {
    const QuantitySet given = arguments.values.given;
    const bool teos10 = arguments.method != Method::Ies80 || columns.method;
    std::string lines;
    auto lack = [&](QuantitySet quantities, const std::string& what, const std::string& options) {
        if ((columns.quantities.bits() | given.bits()) & quantities.bits()) return;
        lines += "thalwen-convert: nothing gives " + what + ": no " + wordsOf(columns.kind).column +
                 " is read as it, and " + options + "\n";
        for (const Suggestion& suggestion : columns.suggestions)
            if (suggestion.role.use == ColumnUse::Quantity && quantities.contains(suggestion.role.quantity))
                lines += "thalwen-convert: " + suggestion.note + "\n";
    };
    for (const QuantityInfo& info : kQuantities) {
        const bool needed = mustBeGiven(info.quantity, teos10 ? Method::Teos10Exact : Method::Ies80);
        if (needed)
            lack({info.quantity}, std::string(info.name) + (info.teos10Only ? " (TEOS-10 needs the position)" : ""),
                 std::string(info.option) + " is not given");
    }
    lack(kSalinityInputs, "a salinity-related input (" + salinityNames() + ")",
         "none of " + salinityOptions() + " is given");
    return lines;
}

// The options given that no sample can have: the first, said.
Failure impossibleOption(const Arguments& arguments) {
    const UserUnits units = userUnitsOf(arguments);
    const UserConversion conversion = convertSample(arguments.method, requestedSample(arguments), units, units);
    for (const QuantityInfo& info : kQuantities)
        if (arguments.values.given.contains(info.quantity) && conversion.impossible.contains(info.quantity)) {
            std::string text;
            appendShortest(text, valueOf(conversion.given, info.quantity));
            return Failure(
                "thalwen-convert: " +
                valueError(info.option, text,
                           std::string("is ") + outsideBand(info.quantity, valueOf(conversion.result, info.quantity))));
        }
    return {};
}

}  // namespace

Failure makeBatchSetup(const Arguments& arguments, const Dialect& dialect, BatchColumns columns, BatchSetup& setup) {
    if (const std::string lines = lacking(arguments, columns); !lines.empty())
        return Failure(lines.substr(0, lines.size() - 1));
    setup = {};
    setup.dialect = dialect;
    setup.method = arguments.method;
    setup.defaults = requestedSample(arguments);
    setup.userUnits = userUnitsOf(arguments);
    setup.style = arguments.style;
    setup.filled = arguments.values.given;
    setup.missing = arguments.missing;
    setup.derived = derivedIn(arguments.style.outputs);
    setup.resultCells = resultCellsOf(arguments.style);
    for (std::size_t i = 0; i < columns.roles.size(); ++i) {
        const ColumnRole& role = columns.roles[i];
        const UnitMap& map = columns.readings[i].map;
        if (role.use != ColumnUse::Carried)
            setup.readCells.push_back(
                {i, role.use == ColumnUse::Method, role.quantity, map.scale != 1 || map.offset != 0, map});
    }
    for (const QuantityInfo& info : kQuantities)
        if (info.input && !usedBy(info.quantity, arguments.method) && !columns.method &&
            !columns.quantities.contains(info.quantity) && !arguments.values.given.contains(info.quantity))
            setup.unknown.add(info.quantity);

    std::string salinityColumns;  // for the report of a row without any salinity-related value
    std::size_t count = 0;
    for (std::size_t i = 0; i < columns.roles.size(); ++i) {
        const ColumnRole& role = columns.roles[i];
        if (role.use != ColumnUse::Quantity || !infoOf(role.quantity).salinityRelated) continue;
        ((salinityColumns += count++ ? ", " : "") += describeColumn(columns, i));
    }
    if (count > 0) {
        // The file gives the salinity-related input: an option of them only
        // fills the rows that give none.
        for (const QuantityInfo& info : kQuantities)
            if (info.salinityRelated && arguments.values.given.contains(info.quantity)) {
                setup.salinityFill = info.quantity;
                setup.salinityFillValue = valueOf(setup.defaults, info.quantity);
            }
        for (const QuantityInfo& info : kQuantities)
            if (info.salinityRelated) valueOf(setup.defaults, info.quantity) = kNoValue;
        setup.noSalinity = "no salinity-related value: " + salinityColumns + (count > 1 ? " hold" : " holds") +
                           " none (" + salinityOptions() + " would fill such " + wordsOf(columns.kind).row + "s)";
    }
    setup.columns = std::move(columns);
    return impossibleOption(arguments);
}

std::optional<std::size_t> impossibleColumn(const BatchColumns& columns, const UserConversion& conversion) {
    for (const QuantityInfo& info : kQuantities) {
        if (!conversion.impossible.contains(info.quantity)) continue;
        for (std::size_t i = 0; i < columns.roles.size(); ++i)
            if (columns.roles[i].use == ColumnUse::Quantity && columns.roles[i].quantity == info.quantity) return i;
        break;
    }
    return std::nullopt;
}

void startRow(const BatchSetup& setup, RowInput& row) {
    row.method = setup.method;
    row.units = setup.columns.units;
    row.values = {setup.defaults, {}, 0};
}

void takeValue(const BatchSetup& setup, std::size_t index, double value, RowInput& row) {
    const Quantity quantity = setup.columns.roles[index].quantity;
    if (const UnitMap& map = setup.columns.readings[index].map; map.scale != 1 || map.offset != 0)
        value = value * map.scale + map.offset;
    // A batch reads one salinity-related column at most: no second one to refuse.
    if (infoOf(quantity).salinityRelated) value = asGivenValue(value);
    valueOf(row.values.sample, quantity) = value;
    row.values.given.add(quantity);
}

bool takeMissing(const BatchSetup& setup, std::size_t index, RowInput& row) {
    const Quantity quantity = setup.columns.roles[index].quantity;
    if (infoOf(quantity).salinityRelated) return true;
    if (!setup.filled.contains(quantity)) return false;
    takeUnitOf(quantity, setup.userUnits, row.units);
    return true;
}

bool finishRow(const BatchSetup& setup, RowInput& row) {
    if (!anySalinityRelated(setup.columns.quantities) || hasSalinityInput(row.values)) return true;
    if (!setup.salinityFill) return false;
    const Quantity fill = *setup.salinityFill;
    valueOf(row.values.sample, fill) = setup.salinityFillValue;
    takeUnitOf(fill, setup.userUnits, row.units);
    return true;
}

UserConversion convertRow(const BatchSetup& setup, const RowInput& row) {
    UserConversion conversion = convertSample(row.method, row.values.sample, row.units, setup.userUnits, setup.derived);
    for (const QuantityInfo& info : kQuantities)
        if (!setup.unknown.empty() && setup.unknown.contains(info.quantity)) {
            valueOf(conversion.result, info.quantity) = kNoValue;
            conversion.clamped.remove(info.quantity);
        }
    return conversion;
}

Failure readRow(std::span<const Cell> cells, const BatchSetup& setup, RowInput& row) {
    const BatchColumns& columns = setup.columns;
    startRow(setup, row);
    auto place = [&](std::size_t index) { return describeColumn(columns, index); };
    for (const BatchSetup::ReadCell& read : setup.readCells) {
        const std::size_t i = read.column;
        const std::string_view cell = cells[i].text;
        if (read.method) {
            const std::string_view name = trimBlanks(cell);
            if (name.empty()) continue;
            auto method = methodFromName(name);
            if (!method) return Failure(valueError(place(i), name, "is no method: " + methodChoices()));
            row.method = *method;
            continue;
        }
        // Most cells are plain decimals, read at once; the rest are looked at
        // again only when they are no number or one of the fill values.
        double number = 0;
        const char* unreadable = readDecimalPadded(cell, number);
        if (unreadable || (!setup.missing.empty() &&
                           std::find(setup.missing.begin(), setup.missing.end(), number) != setup.missing.end())) {
            const std::string_view text = trimBlanks(cell);
            if (unreadable && !marksMissing(text))
                return Failure(valueError(place(i), text, whatIsWrong(text, unreadable)));
            if (!takeMissing(setup, i, row))
                return Failure(place(i) + ": " + (text.empty() ? std::string("empty") : quoted(text)) +
                               ", a missing measurement (" + infoOf(read.quantity).option + " would fill " +
                               (text.empty() ? "empty" : "missing") + " cells)");
            continue;
        }
        if (read.mapped) number = number * read.map.scale + read.map.offset;
        if (Failure failure = giveValue(row.values, read.quantity, number, cell, i, place)) return failure;
    }
    if (!finishRow(setup, row)) return Failure(setup.noSalinity);
    return {};
}

std::vector<std::string> headerNotes(const BatchSetup& setup) {
    const BatchColumns& columns = setup.columns;
    std::string read, carried, everyRow, emptyCells;
    auto add = [](std::string& list, const std::string& item) { (list += list.empty() ? "" : ", ") += item; };
    // "density 1025 kg/m³ (--density)": a value the options give, and the option.
    auto optionValue = [&](Quantity quantity, double value) {
        return std::string(infoOf(quantity).name) + " " + valueText(quantity, value, setup.userUnits) + " (" +
               infoOf(quantity).option + ")";
    };
    const std::string method = std::string("method ") + infoOf(setup.method).name + " (--method)";
    for (std::size_t i = 0; i < columns.roles.size(); ++i) {
        const ColumnRole& role = columns.roles[i];
        const std::string column = columnAt(columns, i);
        if (role.use == ColumnUse::Carried) {
            add(carried, column);
        } else if (role.use == ColumnUse::Method) {
            add(read, column + " as method");
            add(emptyCells, column + " take " + method);
        } else {
            const ColumnReading& reading = columns.readings[i];
            const bool mapped = reading.map.scale != 1 || reading.map.offset != 0;
            add(read, column + " as " + infoOf(role.quantity).name +
                          (mapped ? " in " + reading.unit : unitText(role.quantity, columns.units)) +
                          unitOrigin(columns, i, setup.userUnits));
            if (setup.filled.contains(role.quantity) && !infoOf(role.quantity).salinityRelated)
                add(emptyCells, column + " take " + optionValue(role.quantity, valueOf(setup.defaults, role.quantity)));
        }
    }
    if (setup.salinityFill)
        add(emptyCells,
            "rows without a salinity-related value take " + optionValue(*setup.salinityFill, setup.salinityFillValue));
    for (const QuantityInfo& info : kQuantities)
        if (info.input && !info.salinityRelated && !columns.quantities.contains(info.quantity) &&
            !setup.unknown.contains(info.quantity))
            add(everyRow, optionValue(info.quantity, valueOf(setup.defaults, info.quantity)));
    for (const QuantityInfo& info : kQuantities)
        if (info.salinityRelated && !anySalinityRelated(columns.quantities) &&
            isPresent(valueOf(setup.defaults, info.quantity)))
            add(everyRow, optionValue(info.quantity, valueOf(setup.defaults, info.quantity)));
    if (!columns.method) add(everyRow, method);

    std::vector<std::string> notes;
    if (columns.results < columns.names.size())
        notes.push_back("columns " + std::to_string(columns.results + 1) + " to " +
                        std::to_string(columns.results + kEarlierResultColumns) +
                        " are the results of an earlier conversion: the sample it used is read, its "
                        "practicalSalinity the source; what it derived is carried");
    notes.push_back("read: " + read);
    // A netCDF file's other variables are copied, as they all are.
    const bool csv = columns.kind == ColumnKind::CsvColumn;
    if (!carried.empty() && csv) notes.push_back("carried: " + carried);
    const KindWords& words = wordsOf(columns.kind);
    if (!everyRow.empty()) notes.push_back("for every " + std::string(words.row) + ": " + everyRow);
    if (!emptyCells.empty()) notes.push_back(words.missing + (": " + emptyCells));
    notes.insert(notes.end(), columns.notes.begin(), columns.notes.end());
    if (!setup.unknown.empty())
        notes.push_back("no position: " + std::string(infoOf(setup.method).label) +
                        " has no use for it, and the results show none");
    for (const Suggestion& suggestion : columns.suggestions) notes.push_back(suggestion.note);
    return notes;
}

std::string encodingNote(Encoding encoding) {
    switch (encoding) {
    case Encoding::Utf8:
        break;
    case Encoding::Latin1:
        return "the input is not UTF-8: read as Latin-1 (ISO 8859-1), written in UTF-8";
    case Encoding::Utf16LittleEndian:
    case Encoding::Utf16BigEndian:
        return std::string("the input is UTF-16 (") + (encoding == Encoding::Utf16LittleEndian ? "little" : "big") +
               "-endian): written in UTF-8";
    }
    return "";
}

std::string outputHeader(std::string_view byteOrderMark, std::string_view comments,
                         const std::vector<Cell>& headerCells, const BatchSetup& setup) {
    std::string header(byteOrderMark);
    header += comments;
    for (const Cell& cell : headerCells) {
        appendCell(header, cell, setup.dialect);
        header += setup.dialect.separator;
    }
    appendResultNames(header, setup.style, setup.dialect, setup.columns.names);
    return header += setup.dialect.lineEnd;
}

RowCounts& RowCounts::operator+=(const RowCounts& other) {
    converted += other.converted;
    clamped += other.clamped;
    failed += other.failed;
    empty += other.empty;
    rejected += other.rejected;
    return *this;
}

std::string summaryOf(const RowCounts& counts, ColumnKind kind) {
    std::string summary = rows(counts.converted, kind) + " converted";
    if (counts.clamped > 0) summary += " (" + std::to_string(counts.clamped) + " with inputs brought to their bounds)";
    summary += ", " + rows(counts.failed, kind) + " without results";
    if (counts.failed > 0) summary += " (reported above)";
    if (counts.empty > 0)
        summary += ", " + rows(counts.empty, kind) +
                   (kind == ColumnKind::CsvColumn ? " of empty cells left empty" : " where nothing was measured");
    if (counts.rejected > 0) summary += ", " + rows(counts.rejected, kind) + " rejected by their quality flags";
    return summary;
}

void convertRecord(std::string_view line, long lineNumber, bool mayHoldQuote, const BatchSetup& setup, CellRow& cells,
                   ConvertedRows& rows) {
    const Dialect& dialect = setup.dialect;
    std::string& out = rows.output;
    const std::size_t columnCount = setup.columns.roles.size();
    // A blank line is no row: kept, so that the output's lines stay those of
    // the input. (In a tab-separated file, tabs are cells, not blanks.)
    if (line.find_first_not_of(dialect.separator == '\t' ? " \r" : " \t\r") == std::string_view::npos) {
        out += dialect.lineEnd;
        return;
    }
    Failure error;
    if (const char* reason = splitCells(line, dialect, cells)) {
        // The line, whole, in one cell: nothing lost, and the output stays
        // well-formed however the line was broken.
        appendCell(out, Cell{line, false}, dialect);
        appendSeparators(out, columnCount - 1, dialect);
        error = Failure("column " + std::to_string(cells.size() + 1) + ": " + reason + ": " + quoted(line));
    } else {
        // A line with no quote or carriage return in it needs none added: its
        // cells as the output writes them are the line itself.
        if (!dialect.oneColumn && !mayHoldQuote && !std::memchr(line.data(), '\r', line.size())) {
            out += line;
        } else {
            for (std::size_t i = 0; i < cells.size(); ++i) {
                if (i > 0) out += dialect.separator;
                appendCell(out, cells[i], dialect);
            }
        }
        if (cells.size() < columnCount) appendSeparators(out, columnCount - cells.size(), dialect);
        RowInput row;
        if (nothingGiven(line, cells, dialect)) {
            // Nothing given, as in the empty rows a spreadsheet writes: no
            // sample to convert, and nothing wrong either.
            ++rows.counts.empty;
            appendSeparators(out, resultColumns(setup.style), dialect);
            out += dialect.lineEnd;
            return;
        }
        if (cells.size() < columnCount) {
            error = Failure(std::to_string(cells.size()) + " cells where the header has " +
                            std::to_string(columnCount) + ": none for " + describeColumn(setup.columns, cells.size()));
        } else if (cells.size() > columnCount) {
            error = Failure(std::to_string(cells.size()) + " cells where the header has " +
                            std::to_string(columnCount) + ": column " + std::to_string(columnCount + 1) + " holds " +
                            quoted(cells[columnCount].text) + " and has no header");
        } else if (error = readRow(cells, setup, row); !error) {
            const UserConversion conversion = convertRow(setup, row);
            if (conversion.impossible.empty()) {
                out += dialect.separator;
                appendCsvResults(out, conversion, setup.resultCells, setup.style.full, dialect);
                out += dialect.lineEnd;
                ++rows.counts.converted;
                if (!conversion.clamped.empty()) ++rows.counts.clamped;
                return;
            }
            error = impossibleCell(cells, setup.columns, conversion);
        }
    }
    appendSeparators(out, resultColumns(setup.style), dialect);
    out += dialect.lineEnd;
    report(rows.errors, lineNumber, error.message());
    ++rows.counts.failed;
}

void skipOverlongLine(long line, const BatchSetup& setup, ConvertedRows& rows) {
    appendSeparators(rows.output, setup.columns.roles.size() - 1 + resultColumns(setup.style), setup.dialect);
    rows.output += setup.dialect.lineEnd;
    report(rows.errors, line, "longer than " + std::to_string(kMaxLineLength) + " characters; written as an empty row");
    ++rows.counts.failed;
}

}  // namespace thalwen
