// Any bytes as the CSV of thalwen-convert --batch, read twice: with the
// start-up sample's values given by options in one thread, and with the
// names below mapped, conductivity the source and in S/m, fill values,
// temperatures in Fahrenheit, every digit, IES-80 as the default method, on
// three threads. Nothing may crash, and nothing may be lost: the output is
// the input's text in UTF-8 (decoded from UTF-16 after its byte-order mark,
// or from Latin-1 when it is not UTF-8), its byte-order mark and the blank
// and comment lines before its header as they were, then every line after
// the header gives exactly one output line, in order; a record (one line, or
// more when a quoted cell holds line breaks) is a blank line kept blank, or a
// row either converted, or reported once, in order, as "line N: reason" with
// N its first line and its result cells left empty, or without a value in any
// cell; the exit status says whether any was reported. The input gives the
// output its text gives as UTF-8, and so does that text in UTF-16, but for
// the UTF-8 byte-order mark written then.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include <utf8cpp/utf8.h>

#include "batch_run.h"
#include "encoding.h"
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

// Inputs longer than the reader's first read may be judged UTF-8 on their
// beginning alone; the text below is that of the whole input.
constexpr std::size_t kFirstRead = 1 << 16;

// UTF-16 after its mark, decoded whole: unpaired surrogates and an odd last
// byte become U+FFFD.
std::string fromUtf16(std::string_view bytes, bool bigEndian) {
    std::u16string units;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto first = static_cast<unsigned char>(bytes[i]), second = static_cast<unsigned char>(bytes[i + 1]);
        units += static_cast<char16_t>(bigEndian ? first << 8 | second : second << 8 | first);
    }
    std::string text;
    for (std::size_t i = 0; i < units.size(); ++i) {
        char32_t code = units[i];
        const bool paired = i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF;
        if (code >= 0xD800 && code <= 0xDBFF && paired)
            code = 0x10000 + (code - 0xD800) * 0x400 + (units[++i] - 0xDC00);
        else if (code >= 0xD800 && code <= 0xDFFF)
            code = 0xFFFD;
        utf8::append(code, std::back_inserter(text));
    }
    if (bytes.size() % 2 != 0) utf8::append(char32_t(0xFFFD), std::back_inserter(text));
    return text;
}

std::string toUtf16(std::string_view text, bool bigEndian) {
    std::u16string units;
    utf8::utf8to16(text.begin(), text.end(), std::back_inserter(units));
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t unit : units) {
        const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return bytes;
}

// The text the batch reads in bytes, in UTF-8, with a UTF-8 byte-order mark
// where bytes had one of UTF-8 or UTF-16.
std::string textOf(std::string_view bytes) {
    const std::string mark(kUtf8Mark);
    if (bytes.starts_with("\xFF\xFE")) return mark + fromUtf16(bytes.substr(2), false);
    if (bytes.starts_with("\xFE\xFF")) return mark + fromUtf16(bytes.substr(2), true);
    if (bytes.starts_with(kUtf8Mark) || utf8::is_valid(bytes.begin(), bytes.end())) return std::string(bytes);
    std::string text;
    for (const char byte : bytes) utf8::append(char32_t(static_cast<unsigned char>(byte)), std::back_inserter(text));
    return text;
}

// A line before the header that is set aside and written first: blanks
// only, or '#' or '//' after them.
bool commentOrBlank(std::string_view line) {
    if (line.ends_with('\r')) line.remove_suffix(1);
    const std::size_t first = line.find_first_not_of(" \t");
    return first == std::string_view::npos || line[first] == '#' || line.substr(first, 2) == "//";
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

// Runs the batch on input, whose text is text.
Run check(std::string_view input, std::string_view text, const Arguments& arguments) {
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

    // The mark first, then the lines of the text after it.
    const std::string_view mark = text.starts_with(kUtf8Mark) ? kUtf8Mark : "";
    if (!written.starts_with(mark)) fail("the byte-order mark is not written first", written, reported);
    const std::string_view output = std::string_view(written).substr(mark.size());
    const std::vector<std::string_view> inputLines = linesOf(text.substr(mark.size())), outputLines = linesOf(output);
    if (written.empty() || written.back() != '\n') fail("output without its last line end", written, reported);
    if (outputLines.size() != inputLines.size()) fail("lines in != lines out", written, reported);
    std::size_t preamble = 0, preambleSize = 0;  // lines and bytes of the blank and comment lines
    for (; preamble < inputLines.size() && commentOrBlank(inputLines[preamble]); ++preamble) {
        if (outputLines[preamble] != inputLines[preamble])
            fail("a comment line not written as it was", written, reported);
        preambleSize += outputLines[preamble].size() + 1;
    }
    const std::vector<std::string_view> outputRecords = recordsOf(output.substr(preambleSize));
    if (outputRecords.empty()) fail("no header written", written, reported);
    const std::string_view header = outputRecords[0];
    const bool crlf = !header.empty() && header.back() == '\r';
    // The last result name is "clamped", or "clamped (inputs)" beside a column of that name.
    const std::string_view names = header.substr(0, header.size() - crlf);
    const std::string_view last = names.ends_with("clamped (inputs)") ? "clamped (inputs)" : "clamped";
    if (names.size() <= last.size() || !names.ends_with(last))
        fail("the output header does not end with the result names", written, reported);
    const char separator = names[names.size() - last.size() - 1];

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
    std::size_t nextReport = 0, firstLine = preamble + 1;  // of the record, counted from 1
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
    if (input.size() > kFirstRead) return 0;
    const std::string text = textOf(input);

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
    const Run read = check(input, text, plain);
    // Decoded as it is read, the input writes what its text writes read as
    // UTF-8; so does that text in UTF-16, after a mark.
    const Run asUtf8 = text == input ? read : check(text, text, plain);
    if (asUtf8.status != read.status || asUtf8.out != read.out)
        fail("the input decoded wrote other than its text", read.out, asUtf8.out);
    const std::string mark(kUtf8Mark);
    const std::string body = text.starts_with(mark) ? text.substr(mark.size()) : text;
    if (utf8::is_valid(body.begin(), body.end())) {
        const Run utf16 = check(toUtf16(body, size % 2 != 0), mark + body, plain);
        const std::string expected = read.out.empty() || read.out.starts_with(mark) ? read.out : mark + read.out;
        if (utf16.status != read.status || utf16.out != expected)
            fail("the same text in UTF-16 wrote other than in UTF-8", utf16.out, utf16.err);
    }

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
    const Run threaded = check(input, text, other);
    other.jobs = 1;
    const Run single = check(input, text, other);
    if (threaded.status != single.status || threaded.out != single.out || threaded.err != single.err)
        fail("three jobs wrote other than one", threaded.out, threaded.err);
    return 0;
}
