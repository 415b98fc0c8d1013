// Line-by-line reading of CSV in a bounded buffer, and splitting a line into
// cells, without allocating per line.
#pragma once

#include <cstdio>
#include <string_view>
#include <vector>

// Lines longer than this are reported, not held.
constexpr std::size_t kMaxLineLength = 1 << 20;

struct LineReader {
    std::FILE* file = nullptr;
    std::vector<char> buffer;
    std::size_t begin = 0;  // first unread character in buffer
    std::size_t end = 0;    // one past the last character read from file
    bool atEnd = false;     // file has no more to give
    long lineNumber = 0;    // of the line last returned, from 1
    bool failed = false;    // a read error, as opposed to the end of the file
    int error = 0;          // errno of that read error
};

LineReader makeLineReader(std::FILE* file);

enum class LineStatus { Line, TooLong, End };

// The next line without its end ("\n" or "\r\n"), valid until the next call.
// A line longer than kMaxLineLength is skipped and reported as TooLong.
LineStatus nextLine(LineReader& reader, std::string_view& line);

// The most cells a line of ours can hold: the method and the ten quantities.
constexpr int kMaxCells = 11;

// Splits line at commas into cells. A cell may be enclosed in double quotes,
// which lets it hold a comma (a decimal comma); the quotes are not part of the
// cell. Returns nullptr, or why the line is not a row of at most maxCells cells.
const char* splitCells(std::string_view line, std::string_view* cells, int maxCells, int& count);
