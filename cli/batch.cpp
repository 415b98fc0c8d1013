#include "batch.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

#include "number_text.h"
#include "output.h"
#include "quantity_options.h"
#include "user_conversion.h"

namespace thalwen {

namespace {

constexpr std::size_t kChunkBytes = 1 << 18;

// A longer piece of a row is shortened in messages.
constexpr std::size_t kQuotedLimit = 60;

// One input line as read: its text in Chunk::input, or too long to hold.
struct LineSpan {
    std::size_t offset = 0;
    std::size_t size = 0;
    bool tooLong = false;
};

struct Chunk {
    long firstLine = 0;  // number of the chunk's first line
    std::string input;
    std::vector<LineSpan> lines;
    std::string output;
    std::string errors;  // the reports of its bad rows, in line order
    bool badRows = false;
};

// What every row of one batch shares.
struct BatchSetup {
    Dialect dialect;
    BatchColumns columns;
    Method defaultMethod;
    Sample defaults;
    Style style;
    std::size_t chunkRows = kBatchChunkRows;
};

std::string quotedExcerpt(std::string_view text) {
    if (text.size() <= kQuotedLimit) return quoted(text);
    return quoted(text.substr(0, kQuotedLimit)) + "...";
}

// "column 3 'sal00' (practicalSalinity)": where the user looks, and what we took it for.
std::string describeColumn(const BatchColumns& columns, std::size_t index) {
    std::string text = "column " + std::to_string(index + 1) + " " + quoted(columns.names[index]);
    const ColumnRole& role = columns.roles[index];
    const char* ours = role.use == ColumnUse::Method     ? "method"
                       : role.use == ColumnUse::Quantity ? infoOf(role.quantity).name
                                                         : nullptr;
    if (ours && columns.names[index] != ours) (text += " (") += std::string(ours) + ")";
    return text;
}

bool sameIgnoringCase(std::string_view a, std::string_view b) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [&](char x, char y) { return lower(x) == lower(y); });
}

bool fail(std::string& error, std::string reason) {
    error = std::move(reason);
    return false;
}

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

// One line of the input, converted into out. Returns false for a bad row.
bool convertLine(std::string_view line, long lineNumber, const BatchSetup& setup, std::vector<Cell>& cells,
                 std::string& out, std::string& errors) {
    const Dialect& dialect = setup.dialect;
    const std::size_t columnCount = setup.columns.roles.size();
    // A blank line is no row: kept, so that the output's lines stay those of
    // the input. (In a tab-separated file, tabs are cells, not blanks.)
    if (line.find_first_not_of(dialect.separator == '\t' ? " \r" : " \t\r") == std::string_view::npos) {
        out += dialect.lineEnd;
        return true;
    }
    std::string error;
    bool converted = false;
    if (const char* reason = splitCells(line, dialect, cells)) {
        // The line, whole, in one cell: nothing lost, and the output stays
        // well-formed however the line was broken.
        appendCell(out, Cell{line, false}, dialect);
        appendSeparators(out, columnCount - 1, dialect);
        error = "column " + std::to_string(cells.size() + 1) + ": " + reason + ": " + quotedExcerpt(line);
    } else {
        // A line with no quote or carriage return in it needs none added: its
        // cells as the output writes them are the line itself.
        if (!dialect.oneColumn && !std::memchr(line.data(), '"', line.size()) &&
            !std::memchr(line.data(), '\r', line.size())) {
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
            converted = true;
            appendSeparators(out, kResultColumns, dialect);
        } else if (cells.size() < columnCount) {
            error = std::to_string(cells.size()) + " cells where the header has " + std::to_string(columnCount) +
                    ": none for " + describeColumn(setup.columns, cells.size());
        } else if (cells.size() > columnCount) {
            error = std::to_string(cells.size()) + " cells where the header has " + std::to_string(columnCount) +
                    ": column " + std::to_string(columnCount + 1) + " holds " + quotedExcerpt(cells[columnCount].text) +
                    " and has no header";
        } else if (readRow(cells, setup.columns, setup.defaultMethod, setup.defaults, row, error)) {
            out += dialect.separator;
            appendCsvResults(
                out, convertSample(row.method, row.sample, setup.style.fahrenheit, *setup.style.conductivityUnit),
                setup.style, dialect);
            converted = true;
        }
    }
    if (!converted) {
        appendSeparators(out, kResultColumns, dialect);
        report(errors, lineNumber, error);
    }
    out += dialect.lineEnd;
    return converted;
}

void convertChunk(Chunk& chunk, const BatchSetup& setup, std::vector<Cell>& cells) {
    chunk.output.clear();
    chunk.errors.clear();
    chunk.badRows = false;
    for (std::size_t i = 0; i < chunk.lines.size(); ++i) {
        const LineSpan& span = chunk.lines[i];
        const long lineNumber = chunk.firstLine + static_cast<long>(i);
        if (span.tooLong) {
            appendSeparators(chunk.output, setup.columns.roles.size() - 1 + kResultColumns, setup.dialect);
            chunk.output += setup.dialect.lineEnd;
            report(chunk.errors, lineNumber,
                   "longer than " + std::to_string(kMaxLineLength) + " characters; written as an empty row");
            chunk.badRows = true;
            continue;
        }
        std::string_view line(chunk.input.data() + span.offset, span.size);
        if (!convertLine(line, lineNumber, setup, cells, chunk.output, chunk.errors)) chunk.badRows = true;
    }
}

// Fills chunk with the next lines of reader. Returns false when there are none.
bool readChunk(LineReader& reader, std::size_t rows, Chunk& chunk) {
    chunk.input.clear();
    chunk.lines.clear();
    chunk.firstLine = reader.lineNumber + 1;
    std::string_view line;
    while (chunk.lines.size() < rows && chunk.input.size() < kChunkBytes) {
        const LineStatus status = nextLine(reader, line);
        if (status == LineStatus::End) break;
        if (status == LineStatus::TooLong) {
            chunk.lines.push_back({chunk.input.size(), 0, true});
            continue;
        }
        chunk.lines.push_back({chunk.input.size(), line.size(), false});
        chunk.input += line;
    }
    return !chunk.lines.empty();
}

int readFailed(std::FILE* err, const LineReader& reader) {
    std::fprintf(err, "thalwen-convert: reading the batch input failed: %s", std::strerror(reader.error));
    if (reader.lineNumber > 0) std::fprintf(err, " (after line %ld)", reader.lineNumber);
    std::fputc('\n', err);
    return 2;
}

bool write(const std::string& text, std::FILE* file) {
    return std::fwrite(text.data(), 1, text.size(), file) == text.size();
}

struct BatchOutcome {
    bool badRows = false;
    bool writeFailed = false;
};

void writeChunk(const Chunk& chunk, std::FILE* out, std::FILE* err, BatchOutcome& outcome) {
    if (!outcome.writeFailed && !write(chunk.output, out)) outcome.writeFailed = true;
    write(chunk.errors, err);
    outcome.badRows = outcome.badRows || chunk.badRows;
}

void convertInThisThread(LineReader& reader, const BatchSetup& setup, std::FILE* out, std::FILE* err,
                         BatchOutcome& outcome) {
    Chunk chunk;
    std::vector<Cell> cells;
    while (!outcome.writeFailed && readChunk(reader, setup.chunkRows, chunk)) {
        convertChunk(chunk, setup, cells);
        writeChunk(chunk, out, err, outcome);
    }
}

// This thread reads chunks into a ring and writes them out in their order;
// the workers convert them in between. The ring bounds the memory: reading
// waits while every slot holds a chunk not yet written.
void convertInWorkers(LineReader& reader, const BatchSetup& setup, unsigned jobs, std::FILE* out, std::FILE* err,
                      BatchOutcome& outcome) {
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
    while (!outcome.writeFailed) {
        if (readCount - writtenCount == capacity) writeOldest(true);
        while (writtenCount < readCount && writeOldest(false)) continue;
        if (!readChunk(reader, setup.chunkRows, ring[readCount % capacity])) break;
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

std::string readHeader(std::string_view line, const Dialect& dialect, const std::vector<ColumnMapping>& mappings,
                       BatchColumns& columns) {
    std::vector<Cell> cells;
    if (const char* reason = splitCells(line, dialect, cells)) return std::string("header: ") + reason;
    columns.names.clear();
    for (const Cell& cell : cells) columns.names.emplace_back(trimBlanks(cellText(cell)));
    columns.roles.assign(cells.size(), ColumnRole{});

    auto columnNamed = [&](std::string_view name) {
        std::size_t found = columns.names.size();
        for (std::size_t i = 0; i < columns.names.size(); ++i)
            if (columns.names[i] == name) {
                if (found != columns.names.size()) return columns.names.size() + 1;  // more than one
                found = i;
            }
        return found;
    };
    // What the user mapped comes first; our own names serve the rest, and a
    // column named like a mapped quantity is only carried.
    QuantitySet mapped, named;
    bool methodMapped = false, methodNamed = false;
    for (const ColumnMapping& mapping : mappings) {
        const std::string option = "--column " + std::string(mappedName(mapping)) + "=" + mapping.header;
        const std::size_t index = columnNamed(mapping.header);
        if (index == columns.names.size()) return option + ": the header has no column " + quoted(mapping.header);
        if (index > columns.names.size())
            return option + ": the header has more than one column " + quoted(mapping.header);
        if (columns.roles[index].use != ColumnUse::Carried)
            return option + ": column " + quoted(mapping.header) + " is mapped twice";
        if (mapping.quantity) {
            columns.roles[index] = {ColumnUse::Quantity, *mapping.quantity};
            mapped.add(*mapping.quantity);
        } else {
            columns.roles[index] = {ColumnUse::Method};
            methodMapped = true;
        }
    }
    bool anyUsed = !mappings.empty();
    for (std::size_t i = 0; i < columns.names.size(); ++i) {
        if (columns.roles[i].use != ColumnUse::Carried) continue;
        const std::string& name = columns.names[i];
        const std::optional<Quantity> quantity = quantityNamed(name);
        const bool isMethod = name == "method";
        if (isMethod ? methodMapped : !quantity || !infoOf(*quantity).input || mapped.contains(*quantity)) continue;
        if (isMethod ? methodNamed : named.contains(*quantity))
            return "header: column " + quoted(name) + " appears twice";
        if (isMethod) {
            columns.roles[i] = {ColumnUse::Method};
            methodNamed = true;
        } else {
            columns.roles[i] = {ColumnUse::Quantity, *quantity};
            named.add(*quantity);
        }
        anyUsed = true;
    }
    if (!anyUsed)
        return "header: no column to convert in " + quotedExcerpt(line) +
               "; name them as --help lists or map them with --column QUANTITY=HEADER";

    // "Temperature" for temperature: carried, the default would be used
    // unnoticed in its place.
    columns.notes.clear();
    for (std::size_t i = 0; i < columns.names.size(); ++i) {
        const std::string& name = columns.names[i];
        if (columns.roles[i].use != ColumnUse::Carried) continue;
        for (const QuantityInfo& info : kQuantities)
            if (info.input && !mapped.contains(info.quantity) && !named.contains(info.quantity) &&
                sameIgnoringCase(name, info.name) && name != info.name)
                columns.notes.push_back(describeColumn(columns, i) + " is carried, not read as " + info.name +
                                        "; to read it, give --column " + info.name + "=" + name);
        if (!methodMapped && !methodNamed && sameIgnoringCase(name, "method") && name != "method")
            columns.notes.push_back(describeColumn(columns, i) +
                                    " is carried, not read as method; to read it, give --column method=" + name);
    }
    return "";
}

bool readRow(const std::vector<Cell>& cells, const BatchColumns& columns, Method defaultMethod, const Sample& defaults,
             RowInput& row, std::string& error) {
    row.method = defaultMethod;
    row.sample = defaults;
    std::size_t source = cells.size();  // the column of the salinity-related input, once seen
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const ColumnRole& role = columns.roles[i];
        if (role.use == ColumnUse::Carried) continue;
        const std::string_view cell = trimBlanks(cells[i].text);
        if (cell.empty()) continue;
        if (role.use == ColumnUse::Method) {
            auto method = methodFromName(cell);
            if (!method)
                return fail(error, describeColumn(columns, i) + ": unknown method " + quotedExcerpt(cell) +
                                       " (exact, polynomial or ies80)");
            row.method = *method;
            continue;
        }
        const QuantityInfo& info = infoOf(role.quantity);
        double value = 0;
        if (const char* reason = readDecimal(cell, value))
            return fail(error, describeColumn(columns, i) + ": " + quotedExcerpt(cell) + " is " + reason);
        if (info.salinityRelated) {
            if (source != cells.size())
                return fail(error, describeColumn(columns, i) + ": " + quotedExcerpt(cell) + " given with " +
                                       quotedExcerpt(trimBlanks(cells[source].text)) + " in " +
                                       describeColumn(columns, source) + "; give at most one salinity-related input");
            source = i;
            value = asGivenValue(value);
        }
        valueOf(row.sample, role.quantity) = value;
    }
    return true;
}

int runBatch(std::FILE* in, std::FILE* out, std::FILE* err, const Arguments& arguments, std::size_t chunkRows) {
    LineReader reader = makeLineReader(in);
    std::string_view line;
    LineStatus status = nextLine(reader, line);
    if (reader.failed) return readFailed(err, reader);
    if (status == LineStatus::End) {
        std::fprintf(err, "thalwen-convert: the batch input is empty; it needs a header line\n");
        return 2;
    }
    if (status == LineStatus::TooLong) {
        std::fprintf(err, "line 1: header: longer than %zu characters\n", kMaxLineLength);
        return 2;
    }
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";  // written by some editors and spreadsheets
    const bool byteOrderMark = line.substr(0, 3) == kByteOrderMark;
    if (byteOrderMark) line.remove_prefix(3);

    BatchSetup setup;
    setup.dialect = detectDialect(line);
    setup.defaultMethod = arguments.method;
    setup.defaults = requestedSample(arguments);
    setup.style = arguments.style;
    setup.chunkRows = std::max<std::size_t>(1, chunkRows);
    setup.dialect.lineEnd = reader.carriageReturn ? "\r\n" : "\n";
    if (std::string headerError = readHeader(line, setup.dialect, arguments.columnMappings, setup.columns);
        !headerError.empty()) {
        std::fprintf(err, "line 1: %s\n", headerError.c_str());
        return 2;
    }
    for (const std::string& note : setup.columns.notes) std::fprintf(err, "thalwen-convert: %s\n", note.c_str());

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
    outcome.writeFailed = !write(header, out);
    const unsigned jobs = arguments.jobs > 0 ? arguments.jobs : std::max(1u, std::thread::hardware_concurrency());
    if (jobs == 1)
        convertInThisThread(reader, setup, out, err, outcome);
    else
        convertInWorkers(reader, setup, jobs, out, err, outcome);
    if (std::fflush(out) != 0) outcome.writeFailed = true;

    if (reader.failed) return readFailed(err, reader);
    if (outcome.writeFailed) {
        std::fprintf(err, "thalwen-convert: writing the output failed\n");
        return 1;
    }
    return outcome.badRows ? 1 : 0;
}

}  // namespace thalwen
