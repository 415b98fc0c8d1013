// Record-by-record reading of CSV in a bounded buffer, and splitting a record
// into cells, without allocating per record.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace thalwen {

// Lines and records longer than this are reported, not held.
constexpr std::size_t kMaxLineLength = 1 << 20;

struct LineReader {
    std::FILE* file = nullptr;
    std::vector<char> buffer;
    std::size_t begin = 0;        // first unread character in buffer
    std::size_t end = 0;          // one past the last character read from file
    bool atEnd = false;           // file has no more to give
    long lineNumber = 0;          // of the last line read, from 1
    long recordLine = 0;          // of the first line of the record last returned
    bool failed = false;          // a read error, as opposed to the end of the file
    int error = 0;                // errno of that read error
    bool carriageReturn = false;  // the record last returned ended with "\r\n"
    bool quoted = false;          // the record last returned may hold a quote
};

LineReader makeLineReader(std::FILE* file);

enum class LineStatus { Line, TooLong, End };

// The next record without its end ("\n" or "\r\n"), valid until the next
// call: one line, or more when a quoted cell holds line breaks (RFC 4180). A
// quote opens a quoted cell only at the start of a cell, after one of
// separators or the start of the record, blanks aside. A quoted cell that no
// quote closes within kMaxLineLength characters, or before the end of the
// input, holds no line break: its record is its first line alone. A line
// longer than kMaxLineLength is skipped and reported as TooLong.
LineStatus nextRecord(LineReader& reader, std::string_view& record, std::string_view separators);

// The separators a header line may use, before its dialect is known.
constexpr std::string_view kAnySeparator = ",;\t";

// How a file separates its cells and writes its decimals, as the header line
// shows it. The output of a batch is written in the dialect of its input.
struct Dialect {
    char separator = ',';
    char decimalPoint = '.';
    bool oneColumn = false;  // the header had no separator: each line is one cell
    const char* lineEnd = "\n";
};

// Comma-separated with decimal points, semicolon-separated with decimal commas
// (spreadsheets of most European locales) or tab-separated with decimal
// points: whichever separator the header line (outside quotes) holds most of,
// ties going to tab, then semicolon. A header without any is one column; its
// lines are not split and the output is comma-separated.
Dialect detectDialect(std::string_view header);

// One cell of a line: its text without the enclosing quotes; a quoted cell
// keeps its doubled quotes ("") as they were written.
struct Cell {
    std::string_view text;
    bool quoted = false;
};

// More cells than this make a line no row: no instrument writes so many, and
// it bounds the memory a line can take.
constexpr std::size_t kMaxCells = 1000;

// The separators of records in dialect: none when a line is one cell.
std::string_view separatorsOf(const Dialect& dialect);

// Splits line into cells (cleared first) at the dialect's separator. A quoted
// cell may hold the separator, doubled quotes and line breaks. Returns
// nullptr, or why the line cannot be split.
const char* splitCells(std::string_view line, const Dialect& dialect, std::vector<Cell>& cells);

// The text of a cell with doubled quotes made single: for names in a header.
std::string cellText(const Cell& cell);

// Appends cell as the dialect needs it: as it was when it holds no separator,
// quote or line break, else quoted.
void appendCell(std::string& out, const Cell& cell, const Dialect& dialect);

}  // namespace thalwen
