#include "batch.h"

#include <cstring>
#include <vector>

#include "fields.h"
#include "number_text.h"
#include "output.h"
#include "report.h"

namespace {

constexpr std::size_t kOutputChunk = 1 << 16;

void report(std::FILE* err, long lineNumber, const std::string& reason) {
    std::fprintf(err, "line %ld: %s\n", lineNumber, reason.c_str());
}

bool fail(std::string& error, std::string reason) {
    error = std::move(reason);
    return false;
}

// Rows are written straight into one fixed buffer, emptied whenever the next
// row might not fit.
struct OutputBuffer {
    std::vector<char> data = std::vector<char>(kOutputChunk + kMaxCsvRow);
    std::size_t size = 0;
};

bool flush(OutputBuffer& buffer, std::FILE* out) {
    bool ok = std::fwrite(buffer.data.data(), 1, buffer.size, out) == buffer.size;
    buffer.size = 0;
    return ok;
}

int readFailed(std::FILE* err, const LineReader& reader) {
    std::fprintf(err, "thalwen-convert: reading the batch input failed: %s", std::strerror(reader.error));
    if (reader.lineNumber > 0) std::fprintf(err, " (after line %ld)", reader.lineNumber);
    std::fputc('\n', err);
    return 2;
}

}  // namespace

std::string readHeader(std::string_view line, BatchColumns& columns) {
    std::string_view cells[kMaxCells + 1];
    int count = 0;
    if (const char* reason = splitCells(line, cells, kMaxCells + 1, count)) {
        if (count > kMaxCells) return "header: more columns than there are quantities and method";
        return std::string("header: ") + reason;
    }
    QuantitySet seen;
    bool methodSeen = false;
    for (int i = 0; i < count; ++i) {
        std::string_view name = trimBlanks(cells[i]);
        if (name.empty()) return "header: column " + std::to_string(i + 1) + " has no name";
        std::optional<Quantity> quantity;
        if (name != "method") {
            quantity = quantityNamed(name);
            if (!quantity) return "header: unknown column " + quoted(name);
        }
        if (quantity ? seen.contains(*quantity) : methodSeen)
            return "header: column " + quoted(name) + " appears twice";
        if (quantity)
            seen.add(*quantity);
        else
            methodSeen = true;
        columns.quantity[i] = quantity;
    }
    columns.count = count;
    return "";
}

bool readRow(std::string_view line, const BatchColumns& columns, Method defaultMethod, const Sample& defaults,
             RowInput& row, std::string& error) {
    std::string_view cells[kMaxCells + 1];
    int count = 0;
    if (const char* reason = splitCells(line, cells, kMaxCells + 1, count)) {
        if (count > kMaxCells) return fail(error, "more cells than the header's " + std::to_string(columns.count));
        return fail(error, reason);
    }
    if (count != columns.count)
        return fail(error, std::to_string(count) + " cells where the header has " + std::to_string(columns.count));

    row.method = defaultMethod;
    row.sample = defaults;
    std::optional<Quantity> source;
    for (int i = 0; i < count; ++i) {
        const std::optional<Quantity> quantity = columns.quantity[i];
        std::string_view cell = trimBlanks(cells[i]);
        if (cell.empty()) continue;
        if (!quantity) {
            auto method = methodFromName(cell);
            if (!method) return fail(error, "method: unknown method " + quoted(cell) + " (exact, polynomial or ies80)");
            row.method = *method;
            continue;
        }
        const QuantityInfo& info = infoOf(*quantity);
        double value = 0;
        if (const char* reason = readDecimal(cell, value))
            return fail(error, std::string(info.name) + ": " + quoted(cell) + " is " + reason);
        if (!info.input) continue;  // a result; the engine derives it
        if (info.salinityRelated) {
            if (source)
                return fail(error, std::string(infoOf(*source).name) + " and " + info.name +
                                       " both given; give at most one salinity-related input");
            source = quantity;
            value = asGivenValue(value);
        }
        valueOf(row.sample, *quantity) = value;
    }
    return true;
}

int runBatch(std::FILE* in, std::FILE* out, std::FILE* err, const Arguments& arguments) {
    LineReader reader = makeLineReader(in);
    std::string_view line;
    LineStatus status = nextLine(reader, line);
    if (reader.failed) return readFailed(err, reader);
    if (status == LineStatus::End) {
        std::fprintf(err, "thalwen-convert: the batch input is empty; it needs a header line\n");
        return 2;
    }
    if (status == LineStatus::TooLong) {
        report(err, 1, "header: longer than " + std::to_string(kMaxLineLength) + " characters");
        return 2;
    }
    if (line.substr(0, 3) == "\xEF\xBB\xBF") line.remove_prefix(3);  // a byte-order mark from some editors
    BatchColumns columns;
    if (std::string headerError = readHeader(line, columns); !headerError.empty()) {
        report(err, 1, headerError);
        return 2;
    }

    const Sample defaults = requestedSample(arguments);
    OutputBuffer buffer;
    std::string header;
    appendCsvHeader(header);
    header.copy(buffer.data.data(), header.size());
    buffer.size = header.size();
    bool badRows = false, writeFailed = false;
    RowInput row{};
    std::string error;
    while ((status = nextLine(reader, line)) != LineStatus::End) {
        if (status == LineStatus::TooLong) {
            report(err, reader.lineNumber, "longer than " + std::to_string(kMaxLineLength) + " characters");
            badRows = true;
            continue;
        }
        if (trimBlanks(line).empty()) continue;
        if (!readRow(line, columns, arguments.method, defaults, row, error)) {
            report(err, reader.lineNumber, error);
            badRows = true;
            continue;
        }
        Conversion conversion = convertSample(row.method, row.sample, arguments.style.fahrenheit);
        buffer.size = putCsvRow(buffer.data.data() + buffer.size, conversion, arguments.style) - buffer.data.data();
        if (buffer.size >= kOutputChunk && !flush(buffer, out)) writeFailed = true;
    }
    if (!flush(buffer, out) || std::fflush(out) != 0) writeFailed = true;

    if (reader.failed) return readFailed(err, reader);
    if (writeFailed) {
        std::fprintf(err, "thalwen-convert: writing the output failed\n");
        return 1;
    }
    return badRows ? 1 : 0;
}
