// Record-by-record reading of CSV in a bounded buffer: the header line with
// its byte-order mark, dialect and cells, then the records after it with the
// numbers of their lines.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "csv.h"

namespace thalwen {

// Lines and records longer than this are reported, not held.
constexpr std::size_t kMaxLineLength = 1 << 20;

enum class RecordStatus { Record, TooLong, End };

class CsvReader {
public:
    // Reads file, which the caller keeps open as long as the reader lives.
    explicit CsvReader(std::FILE* file);
    // The header's cells point into the reader.
    CsvReader(const CsvReader&) = delete;
    CsvReader& operator=(const CsvReader&) = delete;

    // Why readHeader found no header: the input holds nothing (or its reading failed).
    static constexpr const char* kEmptyInput = "input is empty; it needs a header line";

    // Reads the first record as the header: a UTF-8 byte-order mark is set
    // aside, the dialect and the line end are the line's, and its cells are
    // split. Returns nullptr, kEmptyInput, or why the line is no header.
    [[nodiscard]] const char* readHeader();
    const Dialect& dialect() const { return dialect_; }
    std::string_view byteOrderMark() const { return byteOrderMark_; }  // as the input had it, to write it back
    std::string_view header() const { return header_; }                // without the mark
    const std::vector<Cell>& headerCells() const { return headerCells_; }

    // The next record without its end ("\n" or "\r\n"), valid until the next
    // call: one line, or more when a quoted cell holds line breaks (RFC 4180).
    // A quote opens a quoted cell only at the start of a cell, after one of
    // the dialect's separators or the start of the record, blanks aside. A
    // quoted cell that no quote closes within kMaxLineLength characters, or
    // before the end of the input, holds no line break: its record is its
    // first line alone. A line longer than kMaxLineLength is skipped and
    // reported as TooLong.
    [[nodiscard]] RecordStatus next(std::string_view& record);

    long recordLine() const { return recordLine_; }  // the first line of the record last returned, from 1
    bool recordQuoted() const { return quoted_; }    // the record last returned may hold a quote
    long lineNumber() const { return lineNumber_; }  // the last line read
    int readError() const { return error_; }         // errno of a read that failed, or 0
    std::size_t capacity() const { return buffer_.size(); }

private:
    [[nodiscard]] RecordStatus nextIn(std::string_view separators, std::string_view& record);
    void refill();
    RecordStatus take(std::size_t size, long lines, bool quoted, std::string_view& record);

    std::FILE* file_;
    std::vector<char> buffer_;
    std::size_t begin_ = 0;        // first unread character in buffer_
    std::size_t end_ = 0;          // one past the last character read from file_
    bool atEnd_ = false;           // file_ has no more to give
    long lineNumber_ = 0;          // of the last line read, from 1
    long recordLine_ = 0;          // of the first line of the record last returned
    int error_ = 0;                // errno of a read error, as opposed to the end of the file
    bool carriageReturn_ = false;  // the record last returned ended with "\r\n"
    bool quoted_ = false;          // the record last returned may hold a quote
    Dialect dialect_;
    std::string_view byteOrderMark_;
    std::string header_;
    std::vector<Cell> headerCells_;
};

}  // namespace thalwen
