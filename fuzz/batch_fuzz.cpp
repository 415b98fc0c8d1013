// Any bytes as the CSV of thalwen-convert --batch, read twice: with the
// start-up sample's values given by options in one thread, and with the
// names below mapped, conductivity the source and in S/m, fill values,
// temperatures in Fahrenheit, every digit, IES-80 as the default method, on
// three threads. Nothing may crash, and nothing may be lost: every line
// after the header gives exactly one output line, in order; a record (one
// line, or more when a quoted cell holds line breaks) is a blank line kept
// blank, or a row either converted, or reported once, in order, as "line N:
// reason" with N its first line and its result cells left empty, or without
// a value in any cell; the exit status says whether any was reported.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "batch_run.h"
#include "options.h"
#include "output.h"

using namespace thalwen;

namespace {

// The input's lines as the batch reader sees them: split at '\n'; a last
// line without its end still counts.
std::vector<std::string_view> linesOf(std::string_view text) {
    std::vector<std::string_view> lines;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t stop = text.find('\n', start);
        if (stop == std::string_view::npos) stop = text.size();
        lines.push_back(text.substr(start, stop - start));
        start = stop + 1;
    }
    return lines;
}

// A line of nothing but blanks is no row; in a tab-separated file tabs are cells.
bool blank(std::string_view line, char separator) {
    return line.find_first_not_of(separator == '\t' ? " \r" : " \t\r") == std::string_view::npos;
}

// A row whose cells may all be empty: it needs neither results nor a report.
bool mayBeEmpty(std::string_view line, char separator) {
    for (char c : line)
        if (c != separator && c != ' ' && c != '\t' && c != '\r' && c != '"') return false;
    return true;
}

// The output's records: its lines, joined where a quoted cell holds a line
// break. The output quotes every cell that holds one, so within a record its
// quotes pair up.
std::vector<std::string_view> recordsOf(std::string_view text) {
    std::vector<std::string_view> records;
    std::size_t start = 0, quotes = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        quotes += text[i] == '"';
        if (text[i] != '\n' || quotes % 2 != 0) continue;
        records.push_back(text.substr(start, i - start));
        start = i + 1;
        quotes = 0;
    }
    return records;
}

// A stream that collects what is written to it, in memory.
struct Collector {
    char* data = nullptr;
    std::size_t size = 0;
    std::FILE* file = open_memstream(&data, &size);
    std::string close() {
        std::fclose(file);
        std::string text(data, size);
        std::free(data);
        return text;
    }
};

[[noreturn]] void fail(const char* what, const std::string& out, const std::string& err) {
    std::fprintf(stderr, "batch: %s\n--- output\n%s--- errors\n%s---\n", what, out.c_str(), err.c_str());
    std::abort();
}

// The result cells at the end of an output line: the clamped cell may be
// quoted (it holds ';' between names), no other result cell is.
std::string_view resultsOf(std::string_view line, char separator) {
    std::size_t end = line.size();
    if (end > 0 && line[end - 1] == '"') end = line.rfind('"', end - 2);
    for (std::size_t cells = 1; cells < resultColumns(Style{}) && end != std::string_view::npos && end > 0; ++cells)
        end = line.rfind(separator, end - 1);
    return end == std::string_view::npos ? line : line.substr(end);
}

struct Run {
    int status;
    std::string out, err;
};

Run check(std::string_view input, const Arguments& arguments) {
    // fmemopen wants a buffer of at least one byte, even for an empty input.
    std::string buffer(input.empty() ? std::string_view(" ", 1) : input);
    std::FILE* in = fmemopen(buffer.data(), input.size(), "r");
    Collector out, err;
    if (!in || !out.file || !err.file) std::abort();
    const int status = runBatch(in, out.file, err.file, arguments);
    std::fclose(in);
    Run run{status, out.close(), err.close()};
    const std::string &written = run.out, &reported = run.err;

    if (status == 2) {
        // A missing or bad header: nothing is converted and nothing written.
        if (!written.empty()) fail("output written after a bad header", written, reported);
        return run;
    }
    if (status != 0 && status != 1) fail("unexpected exit status", written, reported);

    const std::vector<std::string_view> inputLines = linesOf(input), outputLines = linesOf(written);
    if (written.empty() || written.back() != '\n') fail("output without its last line end", written, reported);
    if (outputLines.size() != inputLines.size()) fail("lines in != lines out", written, reported);
    const std::vector<std::string_view> outputRecords = recordsOf(written);
    if (outputRecords.empty()) fail("no header written", written, reported);
    const std::string_view header = outputRecords[0];
    if (header.size() < 8 || header.substr(header.size() - 7 - (header.back() == '\r')).find("clamped") != 0)
        fail("the output header does not end with the result names", written, reported);
    const bool crlf = header.back() == '\r';
    const char separator = header[header.size() - 8 - crlf];

    // Reports: one "line N: reason" per bad row, N ascending.
    std::vector<long> reportedLines;
    for (std::string_view report : linesOf(reported)) {
        if (report.substr(0, 17) == "thalwen-convert: ") continue;  // a note on the header
        long number = 0;
        int consumed = 0;
        const std::string text(report);
        if (std::sscanf(text.c_str(), "line %ld: %n", &number, &consumed) != 1 || consumed == 0 ||
            text.size() <= static_cast<std::size_t>(consumed))
            fail("a report that names no line and reason", written, reported);
        if (!reportedLines.empty() && number <= reportedLines.back()) fail("reports out of order", written, reported);
        reportedLines.push_back(number);
    }
    if ((status == 1) != !reportedLines.empty()) fail("exit status does not match the reports", written, reported);

    // Each record: blank stays blank; reported rows end with empty results;
    // converted ones have no not-a-number or infinity among their results.
    const std::string emptyResults(resultColumns(Style{}), separator);
    std::size_t nextReport = 0, firstLine = 1;  // of the record, counted from 1
    for (std::size_t r = 1; r < outputRecords.size(); ++r) {
        firstLine += std::count(outputRecords[r - 1].begin(), outputRecords[r - 1].end(), '\n') + 1;
        std::string_view record = outputRecords[r];
        if (crlf) {
            if (record.empty() || record.back() != '\r') fail("a line end not that of the header", written, reported);
            record.remove_suffix(1);
        }
        const std::size_t lines = std::count(record.begin(), record.end(), '\n') + 1;
        std::string input;
        for (std::size_t i = firstLine - 1; i < firstLine - 1 + lines && i < inputLines.size(); ++i)
            input.append(inputLines[i]);
        const long number = static_cast<long>(firstLine);
        const bool isReported = nextReport < reportedLines.size() && reportedLines[nextReport] == number;
        if (isReported) ++nextReport;
        if (lines == 1 && blank(input, separator)) {
            if (!record.empty() || isReported) fail("a blank line is not kept blank", written, reported);
        } else if (isReported) {
            if (record.size() < emptyResults.size() ||
                record.substr(record.size() - emptyResults.size()) != emptyResults)
                fail("a reported row has results", written, reported);
        } else {
            const std::string_view results = resultsOf(record, separator);
            if (results.find("nan") != std::string_view::npos || results.find("inf") != std::string_view::npos)
                fail("a number written as nan or inf", written, reported);
            if (record.size() >= emptyResults.size() &&
                record.substr(record.size() - emptyResults.size()) == emptyResults && !mayBeEmpty(input, separator))
                fail("a row neither converted nor reported", written, reported);
        }
    }
    if (nextReport != reportedLines.size()) fail("a report for a line that is no row", written, reported);
    return run;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    // Options that give what a header may lack, so that rows are converted
    // (and that fill its empty cells).
    Arguments plain;
    plain.batch = true;
    plain.format = Format::Csv;
    plain.jobs = 1;
    for (Quantity quantity : {Quantity::Pressure, Quantity::Longitude, Quantity::Latitude, Quantity::Temperature,
                              Quantity::PracticalSalinity}) {
        valueOf(plain.values.sample, quantity) = valueOf(kDefaultSample, quantity);
        plain.values.given.add(quantity);
    }
    plain.values.sample.practicalSalinity = 35;
    check(input, plain);

    Arguments other = plain;
    other.method = Method::Ies80;
    other.style.fahrenheit = true;
    other.style.full = true;
    other.style.conductivityUnit = conductivityUnitNamed("S/m");
    other.columnMappings = {{Quantity::PracticalSalinity, "PSAL"},
                            {Quantity::Temperature, "t"},
                            {Quantity::Conductivity, "c"},
                            {std::nullopt, "m"}};
    other.source = Quantity::Conductivity;
    other.missing = {-999, 99999};
    other.jobs = 3;
    const Run threaded = check(input, other);
    other.jobs = 1;
    const Run single = check(input, other);
    if (threaded.status != single.status || threaded.out != single.out || threaded.err != single.err)
        fail("three jobs wrote other than one", threaded.out, threaded.err);
    return 0;
}
