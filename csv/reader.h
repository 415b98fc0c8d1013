// Record-by-record reading of CSV in a bounded buffer: the encoding, the
// comment lines before the header, the header line with its dialect and
// cells, then the records after it with the numbers of their lines, all in
// UTF-8.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "csv.h"
#include "encoding.h"

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

    // Why readHeader found no header: the input holds nothing but blank and
    // comment lines (or its reading failed). An array, not a pointer to a
    // literal: callers compare its address, and a literal's may differ from
    // one file to the next (it does under AddressSanitizer).
    static constexpr char kEmptyInput[] = "input holds no header line";

    // Reads the header, the first record that is neither blank nor a comment
    // (a line whose first characters, blanks aside, are '#' or '//'). First
    // comes the encoding (see encoding()); the blank and comment lines are set
    // aside; the dialect and the line end are the header's, and its cells are
    // split. Returns nullptr, kEmptyInput, or why the line is no header.
    [[nodiscard]] const char* readHeader();
    const Dialect& dialect() const { return dialect_; }
    // What the output, in UTF-8, starts with: a UTF-8 byte-order mark where
    // the input had a mark, of UTF-8 or UTF-16 (the programs that write one,
    // spreadsheets on Windows, tell the encoding by it); else nothing.
    std::string_view byteOrderMark() const { return byteOrderMark_; }
    // The blank and comment lines before the header, each as written with its
    // line end, to be written before the header.
    std::string_view comments() const { return comments_; }
    std::string_view header() const { return header_; }  // without the mark
    const std::vector<Cell>& headerCells() const { return headerCells_; }
    // The input's encoding: the one its byte-order mark announces, else UTF-8
    // when all that readHeader read is (the comment lines, the header and
    // what the same reads brought after it: the first 64 KiB at least), else
    // Latin-1. Everything is handed out in UTF-8, but for bytes of a file
    // found UTF-8 that are not, further on: they are handed out as they are.
    Encoding encoding() const { return encoding_; }
    // The characters of UTF-16 input that could not be decoded (an unpaired
    // surrogate, an odd last byte), each handed out as U+FFFD.
    long replacements() const { return replacements_; }

    // The next record without its end ("\n" or "\r\n"), valid until the next
    // call: one line, or more when a quoted cell holds line breaks (RFC 4180).
    // A quote opens a quoted cell only at the start of a cell, after one of
    // the dialect's separators or the start of the record, blanks aside. A
    // quoted cell that no quote closes within kMaxLineLength characters, or
    // before the end of the input, holds no line break: its record is its
    // first line alone. A line longer than kMaxLineLength is skipped and
    // reported as TooLong.
    [[nodiscard]] RecordStatus next(std::string_view& record);

    // The first line of the record last returned, from 1; after readHeader, the header's.
    long recordLine() const { return recordLine_; }
    bool recordQuoted() const { return quoted_; }    // the record last returned may hold a quote
    long lineNumber() const { return lineNumber_; }  // the last line read
    int readError() const { return error_; }         // errno of a read that failed, or 0
    std::size_t capacity() const { return buffer_.size(); }

private:
    // Input read but not decoded yet.
    struct Undecoded {
        std::vector<char> bytes;
        std::size_t begin = 0;
        std::size_t end = 0;
        bool atEnd = false;  // file_ has no more to give
    };

    template <bool followQuotes>
    [[nodiscard]] RecordStatus nextIn(std::string_view separators, std::string_view& record);
    void refill();
    std::size_t read(char* data, std::size_t size, bool& atEnd);
    void decodeFromHere(Encoding encoding);
    void decodeMore();
    RecordStatus take(std::size_t size, long lines, bool quoted, std::string_view& record);

    std::FILE* file_;
    std::vector<char> buffer_;
    std::size_t begin_ = 0;               // first unread character in buffer_
    std::size_t end_ = 0;                 // one past the last character held
    bool atEnd_ = false;                  // file_ has no more to give, and nothing is left to decode
    Encoding encoding_ = Encoding::Utf8;  // when not UTF-8, the buffer is filled from undecoded_
    Undecoded undecoded_;
    long replacements_ = 0;
    long lineNumber_ = 0;          // of the last line read, from 1
    long recordLine_ = 0;          // of the first line of the record last returned
    int error_ = 0;                // errno of a read error, as opposed to the end of the file
    bool carriageReturn_ = false;  // the record last returned ended with "\r\n"
    bool quoted_ = false;          // the record last returned may hold a quote
    Dialect dialect_;
    std::string_view byteOrderMark_;
    std::string comments_;
    std::string header_;
    std::vector<Cell> headerCells_;
};

}  // namespace thalwen
