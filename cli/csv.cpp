#include "csv.h"

#include <cerrno>
#include <cstring>

namespace thalwen {

namespace {

constexpr std::size_t kInitialBuffer = 1 << 16;

// Moves the unread part to the front and reads more after it. Grows the
// buffer only while a single line does not fit, up to the line limit.
void refill(LineReader& reader) {
    if (reader.begin > 0) {
        std::memmove(reader.buffer.data(), reader.buffer.data() + reader.begin, reader.end - reader.begin);
        reader.end -= reader.begin;
        reader.begin = 0;
    }
    if (reader.end == reader.buffer.size() && reader.buffer.size() <= kMaxLineLength)
        reader.buffer.resize(reader.buffer.size() * 2);
    std::size_t room = reader.buffer.size() - reader.end;
    if (room == 0) return;
    std::size_t got = std::fread(reader.buffer.data() + reader.end, 1, room, reader.file);
    reader.end += got;
    if (got < room) {
        reader.atEnd = true;
        reader.failed = std::ferror(reader.file) != 0;
        if (reader.failed) reader.error = errno;
    }
}

std::string_view withoutCarriageReturn(LineReader& reader, const char* data, std::size_t size) {
    reader.carriageReturn = size > 0 && data[size - 1] == '\r';
    return std::string_view(data, size - reader.carriageReturn);
}

}  // namespace

LineReader makeLineReader(std::FILE* file) {
    LineReader reader;
    reader.file = file;
    reader.buffer.resize(kInitialBuffer);
    return reader;
}

LineStatus nextLine(LineReader& reader, std::string_view& line) {
    bool tooLong = false;
    std::size_t searched = reader.begin;  // no newline before this point
    for (;;) {
        const char* data = reader.buffer.data();
        const void* newline = std::memchr(data + searched, '\n', reader.end - searched);
        if (newline) {
            std::size_t stop = static_cast<const char*>(newline) - data;
            std::size_t start = reader.begin;
            reader.begin = stop + 1;
            ++reader.lineNumber;
            if (tooLong || stop - start > kMaxLineLength) return LineStatus::TooLong;
            line = withoutCarriageReturn(reader, data + start, stop - start);
            return LineStatus::Line;
        }
        if (reader.atEnd) {
            if (reader.begin == reader.end && !tooLong) return LineStatus::End;
            std::size_t start = reader.begin;
            reader.begin = reader.end;
            ++reader.lineNumber;
            if (tooLong || reader.end - start > kMaxLineLength) return LineStatus::TooLong;
            line = withoutCarriageReturn(reader, data + start, reader.end - start);
            return LineStatus::Line;
        }
        if (reader.end - reader.begin > kMaxLineLength) {
            // Drop what we hold of the overlong line and keep looking for its end.
            tooLong = true;
            reader.begin = reader.end;
        }
        std::size_t pending = reader.end - reader.begin;
        refill(reader);
        searched = reader.begin + pending;
    }
}

Dialect detectDialect(std::string_view header) {
    std::size_t tabs = 0, semicolons = 0, commas = 0;
    bool inQuotes = false;
    for (char c : header) {
        if (c == '"') inQuotes = !inQuotes;
        if (inQuotes) continue;
        tabs += c == '\t';
        semicolons += c == ';';
        commas += c == ',';
    }
    Dialect dialect;
    if (tabs > 0 && tabs >= semicolons && tabs >= commas)
        dialect.separator = '\t';
    else if (semicolons > 0 && semicolons >= commas)
        dialect = {.separator = ';', .decimalPoint = ','};
    else if (commas == 0)
        dialect.oneColumn = true;
    return dialect;
}

const char* splitCells(std::string_view line, const Dialect& dialect, std::vector<Cell>& cells) {
    cells.clear();
    // In a one-column file nothing separates: a line is one cell.
    const int separator = dialect.oneColumn ? -1 : static_cast<unsigned char>(dialect.separator);
    auto isSeparator = [&](std::size_t i) { return static_cast<unsigned char>(line[i]) == separator; };
    auto isBlank = [&](std::size_t i) { return !isSeparator(i) && (line[i] == ' ' || line[i] == '\t'); };
    std::size_t i = 0;
    for (;;) {
        if (cells.size() == kMaxCells) return "more cells than any row may have";
        std::size_t start = i;
        while (i < line.size() && isBlank(i)) ++i;
        Cell cell;
        if (i < line.size() && line[i] == '"') {
            std::size_t open = ++i;
            for (;;) {
                if (i >= line.size()) return "a quoted cell has no closing quote";
                if (line[i] == '"') {
                    if (i + 1 < line.size() && line[i + 1] == '"') {
                        i += 2;
                        continue;
                    }
                    break;
                }
                ++i;
            }
            cell = {line.substr(open, i - open), true};
            ++i;
            while (i < line.size() && isBlank(i)) ++i;
            if (i < line.size() && !isSeparator(i)) return "text after a quoted cell";
        } else {
            i = start;
            while (i < line.size() && !isSeparator(i)) ++i;
            cell = {line.substr(start, i - start), false};
        }
        cells.push_back(cell);
        if (i >= line.size()) return nullptr;
        ++i;  // the separator
    }
}

std::string cellText(const Cell& cell) {
    std::string text;
    for (std::size_t i = 0; i < cell.text.size(); ++i) {
        text += cell.text[i];
        if (cell.quoted && cell.text[i] == '"') ++i;  // the second quote of a pair
    }
    return text;
}

void appendCell(std::string& out, const Cell& cell, const Dialect& dialect) {
    // A plain loop: find_first_of searches the set anew for every character,
    // and a batch writes every cell of every row through here.
    bool special = false;
    for (char c : cell.text) special = special || c == dialect.separator || c == '"' || c == '\n' || c == '\r';
    if (!special) {
        out += cell.text;
        return;
    }
    out += '"';
    for (char c : cell.text) {
        out += c;
        if (c == '"' && !cell.quoted) out += '"';  // a quoted cell's quotes are doubled already
    }
    out += '"';
}

}  // namespace thalwen
