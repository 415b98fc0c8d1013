#include "batch.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

#include "exit_status.h"
#include "number_text.h"
#include "output.h"
#include "user_conversion.h"

namespace thalwen {

namespace {

constexpr std::size_t kChunkBytes = 1 << 18;

// One record of the input as read: its text in Chunk::input, or too long to hold.
struct LineSpan {
    std::size_t offset = 0;
    std::size_t size = 0;
    long line = 0;  // the file's number of its first line
    bool tooLong = false;
    bool quoted = false;  // it may hold a quote
};

// What became of the rows, for the summary at the end.
struct RowCounts {
    std::size_t converted = 0;
    std::size_t clamped = 0;  // of those converted, the rows with inputs brought to their bounds
    std::size_t failed = 0;   // rows without results, each reported
    std::size_t empty = 0;    // rows of empty cells, left empty

    RowCounts& operator+=(const RowCounts& other) {
        converted += other.converted;
        clamped += other.clamped;
        failed += other.failed;
        empty += other.empty;
        return *this;
    }
};

struct Chunk {
    std::string input;
    std::vector<LineSpan> lines;
    std::string output;
    std::string errors;  // the reports of its bad rows, in line order
    RowCounts counts;
};

// Whether every cell of a row is empty. Most rows have a value in their first
// cell: the line alone tells, without looking at the cells.
bool nothingGiven(std::string_view line, const std::vector<Cell>& cells, const Dialect& dialect) {
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

// "--salinity, --density, --conductivity or --specific-gravity".
std::string salinityOptions() {
    std::vector<const char*> options;
    for (const QuantityInfo& info : kQuantities)
        if (info.salinityRelated) options.push_back(optionOf(info.quantity));
    return choices(options, [](const char* option) { return option; });
}

// "1 row", "2 rows".
std::string rows(std::size_t count) { return std::to_string(count) + (count == 1 ? " row" : " rows"); }

// One record of the input, converted into chunk's output, its report into
// its errors and its outcome into its counts.
void convertLine(std::string_view line, const LineSpan& span, const BatchSetup& setup, std::vector<Cell>& cells,
                 Chunk& chunk) {
    const Dialect& dialect = setup.dialect;
    std::string& out = chunk.output;
    const std::size_t columnCount = setup.columns.roles.size();
    // A blank line is no row: kept, so that the output's lines stay those of
    // the input. (In a tab-separated file, tabs are cells, not blanks.)
    if (line.find_first_not_of(dialect.separator == '\t' ? " \r" : " \t\r") == std::string_view::npos) {
        out += dialect.lineEnd;
        return;
    }
    std::string error;
    if (const char* reason = splitCells(line, dialect, cells)) {
        // The line, whole, in one cell: nothing lost, and the output stays
        // well-formed however the line was broken.
        appendCell(out, Cell{line, false}, dialect);
        appendSeparators(out, columnCount - 1, dialect);
        error = "column " + std::to_string(cells.size() + 1) + ": " + reason + ": " + quoted(line);
    } else {
        // A line with no quote or carriage return in it needs none added: its
        // cells as the output writes them are the line itself.
        if (!dialect.oneColumn && !span.quoted && !std::memchr(line.data(), '\r', line.size())) {
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
            ++chunk.counts.empty;
            appendSeparators(out, kResultColumns, dialect);
            out += dialect.lineEnd;
            return;
        }
        if (cells.size() < columnCount) {
            error = std::to_string(cells.size()) + " cells where the header has " + std::to_string(columnCount) +
                    ": none for " + describeColumn(setup.columns, cells.size());
        } else if (cells.size() > columnCount) {
            error = std::to_string(cells.size()) + " cells where the header has " + std::to_string(columnCount) +
                    ": column " + std::to_string(columnCount + 1) + " holds " + quoted(cells[columnCount].text) +
                    " and has no header";
        } else if (error = readRow(cells, setup, row); error.empty()) {
            out += dialect.separator;
            const UserConversion conversion = convertSample(row.method, row.values.sample, row.units, setup.userUnits);
            appendCsvResults(out, conversion, setup.style, dialect);
            out += dialect.lineEnd;
            ++chunk.counts.converted;
            if (!conversion.clamped.empty()) ++chunk.counts.clamped;
            return;
        }
    }
    appendSeparators(out, kResultColumns, dialect);
    out += dialect.lineEnd;
    report(chunk.errors, span.line, error);
    ++chunk.counts.failed;
}

void convertChunk(Chunk& chunk, const BatchSetup& setup, std::vector<Cell>& cells) {
    chunk.output.clear();
    chunk.errors.clear();
    chunk.counts = {};
    for (const LineSpan& span : chunk.lines) {
        if (span.tooLong) {
            appendSeparators(chunk.output, setup.columns.roles.size() - 1 + kResultColumns, setup.dialect);
            chunk.output += setup.dialect.lineEnd;
            report(chunk.errors, span.line,
                   "longer than " + std::to_string(kMaxLineLength) + " characters; written as an empty row");
            ++chunk.counts.failed;
            continue;
        }
        convertLine(std::string_view(chunk.input.data() + span.offset, span.size), span, setup, cells, chunk);
    }
}

// Fills chunk with the next records of reader. Returns false when there are none.
bool readChunk(LineReader& reader, std::string_view separators, std::size_t rows, Chunk& chunk) {
    chunk.input.clear();
    chunk.lines.clear();
    std::string_view line;
    while (chunk.lines.size() < rows && chunk.input.size() < kChunkBytes) {
        const LineStatus status = nextRecord(reader, line, separators);
        if (status == LineStatus::End) break;
        if (status == LineStatus::TooLong) {
            chunk.lines.push_back({chunk.input.size(), 0, reader.recordLine, true, false});
            continue;
        }
        chunk.lines.push_back({chunk.input.size(), line.size(), reader.recordLine, false, reader.quoted});
        chunk.input += line;
    }
    return !chunk.lines.empty();
}

int readFailed(std::FILE* err, const LineReader& reader) {
    std::fprintf(err, "thalwen-convert: reading the batch input failed: %s", std::strerror(reader.error));
    if (reader.lineNumber > 0) std::fprintf(err, " (after line %ld)", reader.lineNumber);
    std::fputc('\n', err);
    return kExitBadInput;
}

struct BatchOutcome {
    RowCounts counts;
    int writeError = 0;  // errno of the failed write of the output, or 0
};

// Writes text to out, or records why it could not be written.
void writeOut(std::string_view text, std::FILE* out, BatchOutcome& outcome, bool flush = false) {
    if (outcome.writeError == 0) outcome.writeError = writeText(text, out, flush);
}

void writeChunk(const Chunk& chunk, std::FILE* out, std::FILE* err, BatchOutcome& outcome) {
    writeOut(chunk.output, out, outcome);
    std::fwrite(chunk.errors.data(), 1, chunk.errors.size(), err);
    outcome.counts += chunk.counts;
}

void convertInThisThread(LineReader& reader, const BatchSetup& setup, std::size_t chunkRows, std::FILE* out,
                         std::FILE* err, BatchOutcome& outcome) {
    Chunk chunk;
    std::vector<Cell> cells;
    while (outcome.writeError == 0 && readChunk(reader, separatorsOf(setup.dialect), chunkRows, chunk)) {
        convertChunk(chunk, setup, cells);
        writeChunk(chunk, out, err, outcome);
    }
}

// This thread reads chunks into a ring and writes them out in their order;
// the workers convert them in between. The ring bounds the memory: reading
// waits while every slot holds a chunk not yet written.
void convertInWorkers(LineReader& reader, const BatchSetup& setup, std::size_t chunkRows, unsigned jobs, std::FILE* out,
                      std::FILE* err, BatchOutcome& outcome) {
    const std::size_t capacity = 2 * std::size_t{jobs};  // one converting and one waiting per worker
    std::vector<Chunk> ring(capacity);
    std::vector<char> converted(capacity, false);
    std::mutex mutex;
    std::condition_variable readIn, convertedOne;
    std::size_t readCount = 0, takenCount = 0,
                writtenCount = 0;  // chunks so far; only this thread counts reads and writes
    bool inputDone = false;

    auto work = [&] {
        std::vector<Cell> cells;
        std::unique_lock lock(mutex);
        for (;;) {
            readIn.wait(lock, [&] { return takenCount < readCount || inputDone; });
            if (takenCount == readCount) return;
            const std::size_t slot = takenCount++ % capacity;
            lock.unlock();
            convertChunk(ring[slot], setup, cells);
            lock.lock();
            converted[slot] = true;
            convertedOne.notify_one();
        }
    };
    // Writes the oldest chunk not yet written; waits for it when asked to.
    auto writeOldest = [&](bool wait) {
        const std::size_t slot = writtenCount % capacity;
        {
            std::unique_lock lock(mutex);
            if (wait) convertedOne.wait(lock, [&] { return converted[slot] != 0; });
            if (!converted[slot]) return false;
            converted[slot] = false;
        }
        writeChunk(ring[slot], out, err, outcome);
        ++writtenCount;
        return true;
    };

    std::vector<std::thread> workers;
    for (unsigned i = 0; i < jobs; ++i) workers.emplace_back(work);
    while (outcome.writeError == 0) {
        if (readCount - writtenCount == capacity) writeOldest(true);
        while (writtenCount < readCount && writeOldest(false)) continue;
        if (!readChunk(reader, separatorsOf(setup.dialect), chunkRows, ring[readCount % capacity])) break;
        {
            std::lock_guard lock(mutex);
            ++readCount;
        }
        readIn.notify_one();
    }
    {
        std::lock_guard lock(mutex);
        inputDone = true;
    }
    readIn.notify_all();
    while (writtenCount < readCount) writeOldest(true);
    for (std::thread& worker : workers) worker.join();
}

}  // namespace

BatchSetup makeBatchSetup(const Arguments& arguments, const Dialect& dialect, BatchColumns columns) {
    BatchSetup setup;
    setup.dialect = dialect;
    setup.method = arguments.method;
    setup.defaults = requestedSample(arguments);
    setup.userUnits = userUnitsOf(arguments);
    setup.style = arguments.style;
    setup.filled = arguments.values.given;

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
        setup.noSalinity = "no salinity-related value: " + salinityColumns + (count > 1 ? " are" : " is") + " empty (" +
                           salinityOptions() + " would fill such rows)";
    }
    setup.columns = std::move(columns);
    return setup;
}

std::string readRow(const std::vector<Cell>& cells, const BatchSetup& setup, RowInput& row) {
    const BatchColumns& columns = setup.columns;
    row.method = setup.method;
    row.units = columns.units;
    SampleValues& values = row.values;
    values = {setup.defaults, {}, 0};
    auto place = [&](std::size_t index) { return describeColumn(columns, index); };
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const ColumnRole& role = columns.roles[i];
        if (role.use == ColumnUse::Carried) continue;
        // Trimmed only where it starts with a blank: the number reader trims
        // the rest, and a batch reads millions of cells.
        std::string_view cell = cells[i].text;
        if (cell.empty() || cell.front() == ' ' || cell.front() == '\t') cell = trimBlanks(cell);
        if (role.use == ColumnUse::Method) {
            cell = trimBlanks(cell);
            if (cell.empty()) continue;
            auto method = methodFromName(cell);
            if (!method) return valueError(place(i), cell, "is no method: " + methodChoices());
            row.method = *method;
            continue;
        }
        if (cell.empty()) {
            if (infoOf(role.quantity).salinityRelated) continue;
            if (!setup.filled.contains(role.quantity))
                return place(i) + ": empty, a missing measurement (" + optionOf(role.quantity) +
                       " would fill empty cells)";
            takeUnitOf(role.quantity, setup.userUnits, row.units);
            continue;
        }
        if (std::string error = readValue(values, role.quantity, cell, i, place); !error.empty()) return error;
    }
    if (anySalinityRelated(columns.quantities) && !hasSalinityInput(values)) {
        if (!setup.salinityFill) return setup.noSalinity;
        const Quantity fill = *setup.salinityFill;
        valueOf(values.sample, fill) = setup.salinityFillValue;
        takeUnitOf(fill, setup.userUnits, row.units);
    }
    return "";
}

std::vector<std::string> headerNotes(const BatchSetup& setup) {
    const BatchColumns& columns = setup.columns;
    std::string read, carried, everyRow, emptyCells;
    auto add = [](std::string& list, const std::string& item) { (list += list.empty() ? "" : ", ") += item; };
    // "density 1025 kg/m³ (--density)": a value the options give, and the option.
    auto optionValue = [&](Quantity quantity, double value) {
        return std::string(infoOf(quantity).name) + " " + valueText(quantity, value, setup.userUnits) + " (" +
               optionOf(quantity) + ")";
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
            add(read, column + " as " + infoOf(role.quantity).name + unitText(role.quantity, columns.units));
            if (setup.filled.contains(role.quantity) && !infoOf(role.quantity).salinityRelated)
                add(emptyCells, column + " take " + optionValue(role.quantity, valueOf(setup.defaults, role.quantity)));
        }
    }
    if (setup.salinityFill)
        add(emptyCells,
            "rows without a salinity-related value take " + optionValue(*setup.salinityFill, setup.salinityFillValue));
    for (const QuantityInfo& info : kQuantities)
        if (info.input && !info.salinityRelated && !columns.quantities.contains(info.quantity))
            add(everyRow, optionValue(info.quantity, valueOf(setup.defaults, info.quantity)));
    if (!anySalinityRelated(columns.quantities)) {
        std::string salinity;
        for (const QuantityInfo& info : kQuantities)
            if (info.salinityRelated && isPresent(valueOf(setup.defaults, info.quantity)))
                salinity = optionValue(info.quantity, valueOf(setup.defaults, info.quantity));
        if (salinity.empty()) {
            salinity = std::string(infoOf(Quantity::PracticalSalinity).name) + " ";
            appendShortest(salinity, kDefaultSalinity);
            salinity += " (" + salinityOptions() + ")";
        }
        add(everyRow, salinity);
    }
    if (!columns.method) add(everyRow, method);

    std::vector<std::string> notes;
    if (columns.results < columns.names.size())
        notes.push_back("columns " + std::to_string(columns.results + 1) + " to " +
                        std::to_string(columns.results + kResultColumns) +
                        " are the results of an earlier conversion: the sample it used is read, its "
                        "practicalSalinity the source; what it derived is carried");
    notes.push_back("read: " + read);
    if (!carried.empty()) notes.push_back("carried: " + carried);
    if (!everyRow.empty()) notes.push_back("for every row: " + everyRow);
    if (!emptyCells.empty()) notes.push_back("empty cells: " + emptyCells);
    notes.insert(notes.end(), columns.suggestions.begin(), columns.suggestions.end());
    return notes;
}

int runBatch(std::FILE* in, std::FILE* out, std::FILE* err, const Arguments& arguments, std::size_t chunkRows) {
    LineReader reader = makeLineReader(in);
    std::string_view line;
    LineStatus status = nextRecord(reader, line, kAnySeparator);
    if (reader.failed) return readFailed(err, reader);
    if (status == LineStatus::End) {
        std::fprintf(err, "thalwen-convert: the batch input is empty; it needs a header line\n");
        return kExitBadInput;
    }
    if (status == LineStatus::TooLong) {
        std::fprintf(err, "line 1: header: longer than %zu characters\n", kMaxLineLength);
        return kExitBadInput;
    }
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";  // written by some editors and spreadsheets
    const bool byteOrderMark = line.substr(0, 3) == kByteOrderMark;
    if (byteOrderMark) line.remove_prefix(3);

    Dialect dialect = detectDialect(line);
    dialect.lineEnd = reader.carriageReturn ? "\r\n" : "\n";
    BatchColumns columns;
    if (std::string error = readHeader(line, dialect, arguments.columnMappings, userUnitsOf(arguments), columns);
        !error.empty()) {
        std::fprintf(err, "line 1: %s\n", error.c_str());
        for (const std::string& note : columns.suggestions) std::fprintf(err, "thalwen-convert: %s\n", note.c_str());
        return kExitBadInput;
    }
    const BatchSetup setup = makeBatchSetup(arguments, dialect, std::move(columns));
    if (!arguments.quiet)
        for (const std::string& note : headerNotes(setup)) std::fprintf(err, "thalwen-convert: %s\n", note.c_str());

    // The header as it was, then the names of the results.
    std::string header(byteOrderMark ? kByteOrderMark : "");
    std::vector<Cell> cells;
    splitCells(line, setup.dialect, cells);
    for (const Cell& cell : cells) {
        appendCell(header, cell, setup.dialect);
        header += setup.dialect.separator;
    }
    appendResultNames(header, setup.style, setup.dialect);
    header += setup.dialect.lineEnd;
    BatchOutcome outcome;
    writeOut(header, out, outcome);
    chunkRows = std::max<std::size_t>(1, chunkRows);
    const unsigned jobs = arguments.jobs > 0 ? arguments.jobs : std::max(1u, std::thread::hardware_concurrency());
    if (jobs == 1)
        convertInThisThread(reader, setup, chunkRows, out, err, outcome);
    else
        convertInWorkers(reader, setup, chunkRows, jobs, out, err, outcome);
    writeOut({}, out, outcome, true);
    if (outcome.writeError != 0) return outputFailed(err, outcome.writeError);
    if (reader.failed) return readFailed(err, reader);
    const RowCounts& counts = outcome.counts;
    if (!arguments.quiet) {
        std::string summary = rows(counts.converted) + " converted";
        if (counts.clamped > 0)
            summary += " (" + std::to_string(counts.clamped) + " with inputs brought to their bounds)";
        summary += ", " + rows(counts.failed) + " without results";
        if (counts.failed > 0) summary += " (reported above)";
        if (counts.empty > 0) summary += ", " + rows(counts.empty) + " of empty cells left empty";
        std::fprintf(err, "thalwen-convert: %s\n", summary.c_str());
    }
    return counts.failed > 0 ? kExitRowsWithoutResults : kExitSuccess;
}

}  // namespace thalwen
