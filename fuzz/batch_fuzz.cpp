// Any bytes as the CSV of thalwen-convert --batch, read twice: with the
// defaults, and with temperatures in Fahrenheit, 17 digits and IES-80 as the
// default method. Nothing may crash, and nothing may be dropped: every
// non-blank line after the header is either written as one output row or
// reported once, in order, as "line N: reason"; the exit status says which.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "arguments.h"
#include "batch.h"

namespace {

// The input's lines as the batch reader sees them: split at '\n'; a last
// line without its end still counts; a line of nothing but spaces, tabs and
// carriage returns is no row.
std::vector<long> rowLineNumbers(std::string_view input) {
    std::vector<long> rows;
    long number = 0;
    std::size_t start = 0;
    while (start < input.size()) {
        std::size_t stop = input.find('\n', start);
        if (stop == std::string_view::npos) stop = input.size();
        ++number;
        std::string_view line = input.substr(start, stop - start);
        if (number > 1 && line.find_first_not_of(" \t\r") != std::string_view::npos) rows.push_back(number);
        start = stop + 1;
    }
    return rows;
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

void check(std::string_view input, const Arguments& arguments) {
    // fmemopen wants a buffer of at least one byte, even for an empty input.
    std::string buffer(input.empty() ? std::string_view(" ", 1) : input);
    std::FILE* in = fmemopen(buffer.data(), input.size(), "r");
    Collector out, err;
    if (!in || !out.file || !err.file) std::abort();
    const int status = runBatch(in, out.file, err.file, arguments);
    std::fclose(in);
    const std::string written = out.close(), reported = err.close();

    if (status == 2) {
        // A missing or bad header: nothing is converted and nothing written.
        if (!written.empty()) fail("output written after a bad header", written, reported);
        return;
    }
    if (status != 0 && status != 1) fail("unexpected exit status", written, reported);

    // Output: the header, then one line per converted row; no number may be
    // shown as not-a-number or infinity.
    std::size_t outputRows = 0;
    for (char c : written) outputRows += c == '\n';
    if (outputRows == 0 || written.back() != '\n') fail("no complete header in the output", written, reported);
    --outputRows;
    if (written.find("nan") != std::string::npos || written.find("inf") != std::string::npos)
        fail("a number written as nan or inf", written, reported);

    // Reports: one "line N: reason" per bad row, N ascending, each a row.
    const std::vector<long> rows = rowLineNumbers(input);
    std::size_t reportedRows = 0, next = 0;
    for (std::size_t start = 0; start < reported.size();) {
        std::size_t stop = reported.find('\n', start);
        if (stop == std::string::npos) fail("a report without its line end", written, reported);
        long number = 0;
        int consumed = 0;
        const std::string line = reported.substr(start, stop - start);
        if (std::sscanf(line.c_str(), "line %ld: %n", &number, &consumed) != 1 || consumed == 0 ||
            line.size() <= static_cast<std::size_t>(consumed))
            fail("a report that names no line and reason", written, reported);
        while (next < rows.size() && rows[next] < number) ++next;
        if (next == rows.size() || rows[next] != number) fail("a report for a line that is no row", written, reported);
        ++next;
        ++reportedRows;
        start = stop + 1;
    }

    if (outputRows + reportedRows != rows.size()) fail("rows in != rows written + rows reported", written, reported);
    if ((status == 1) != (reportedRows > 0)) fail("exit status does not match the reports", written, reported);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    Arguments plain;
    plain.batch = true;
    plain.format = Format::Csv;
    check(input, plain);

    Arguments other = plain;
    other.method = Ies80;
    other.style.fahrenheit = true;
    other.style.full = true;
    check(input, other);
    return 0;
}
