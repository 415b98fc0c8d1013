// The cells of CSV records: the dialect a header line shows, records split
// into cells without allocating per record, and cells written back.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace thalwen {

// The separators a header line may use, before its dialect is known.
constexpr std::string_view kAnySeparator = ",;\t";

// How a file separates its cells and writes its decimals, as the header line
// shows it. The output of a batch is written in the dialect of its input.
struct Dialect {
    char separator = ',';
    char decimalPoint = '.';
    bool oneColumn = false;  // the header had no separator: each line is one cell
    std::string_view lineEnd = "\n";
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

// Room for the cells of a line, taken once: a vector's checks and moves cost
// more than the split of a batch's rows itself.
class CellRow {
public:
    CellRow() : cells_(new Cell[kMaxCells]) {}
    void clear() { size_ = 0; }
    void push_back(const Cell& cell) { cells_[size_++] = cell; }  // at most kMaxCells
    std::size_t size() const { return size_; }
    const Cell& operator[](std::size_t i) const { return cells_[i]; }
    const Cell* data() const { return cells_.get(); }
    const Cell* begin() const { return cells_.get(); }
    const Cell* end() const { return cells_.get() + size_; }

private:
    std::unique_ptr<Cell[]> cells_;
    std::size_t size_ = 0;
};

// The separators of records in dialect: none when a line is one cell.
std::string_view separatorsOf(const Dialect& dialect);

// Splits line into cells (cleared first) at the dialect's separator. A quoted
// cell may hold the separator, doubled quotes and line breaks. Returns
// nullptr, or why the line cannot be split.
template <class Cells>  // std::vector<Cell> or CellRow
[[nodiscard]] const char* splitCells(std::string_view line, const Dialect& dialect, Cells& cells);

// The text of a cell with doubled quotes made single: for names in a header.
std::string cellText(const Cell& cell);

// Appends cell as the dialect needs it: as it was when it holds no separator,
// quote or line break, else quoted.
void appendCell(std::string& out, const Cell& cell, const Dialect& dialect);

}  // namespace thalwen
