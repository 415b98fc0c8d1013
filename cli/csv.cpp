#include "csv.h"

#include <algorithm>
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

// Where the reading of a record stands at the end of one of its lines.
struct QuoteState {
    bool inQuotes = false;   // inside a quoted cell: a line end is part of the cell
    bool cellStart = true;   // blanks aside, nothing read yet of the current cell
    bool quoteSeen = false;  // the record holds a quote
};

// Follows the quotes of one line of a record, [p, end), from state.
void scanQuotes(const char* p, const char* end, std::string_view separators, QuoteState& state) {
    // Most lines hold no quote: then only a quoted cell open before them can change.
    if (!state.inQuotes && !std::memchr(p, '"', static_cast<std::size_t>(end - p))) return;
    state.quoteSeen = true;
    for (; p < end; ++p) {
        const char c = *p;
        if (state.inQuotes) {
            if (c != '"') continue;
            if (p + 1 < end && p[1] == '"') {
                ++p;  // a doubled quote
            } else {
                state.inQuotes = false;
                state.cellStart = false;
            }
        } else if (separators.find(c) != std::string_view::npos) {
            state.cellStart = true;
        } else if (state.cellStart && c != ' ' && c != '\t') {
            state.cellStart = false;
            state.inQuotes = c == '"';
        }
    }
}

// Hands out the first size characters held as the record of lines lines, and
// consumes them and the line end after them.
LineStatus takeRecord(LineReader& reader, std::size_t size, long lines, bool quoted, std::string_view& record) {
    const char* data = reader.buffer.data() + reader.begin;
    reader.quoted = quoted;
    reader.carriageReturn = size > 0 && data[size - 1] == '\r';
    record = std::string_view(data, size - reader.carriageReturn);
    reader.begin = std::min(reader.begin + size + 1, reader.end);
    reader.recordLine = reader.lineNumber + 1;
    reader.lineNumber += lines;
    return LineStatus::Line;
}

// The cells of a line that holds no quote: what lies between the separators.
// Nearly every line of a batch is one; the general split below looks at each
// character three times.
const char* splitUnquoted(std::string_view line, char separator, std::vector<Cell>& cells) {
    const char* start = line.data();
    const char* const end = start + line.size();
    for (;;) {
        const auto* stop =
            static_cast<const char*>(std::memchr(start, separator, static_cast<std::size_t>(end - start)));
        cells.push_back({std::string_view(start, static_cast<std::size_t>((stop ? stop : end) - start)), false});
        if (!stop) return nullptr;
        if (cells.size() == kMaxCells) return "more cells than any row may have";
        start = stop + 1;
    }
}

}  // namespace

LineReader makeLineReader(std::FILE* file) {
    LineReader reader;
    reader.file = file;
    reader.buffer.resize(kInitialBuffer);
    return reader;
}

LineStatus nextRecord(LineReader& reader, std::string_view& record, std::string_view separators) {
    constexpr std::size_t kNone = std::string_view::npos;
    // Offsets from reader.begin, which refilling moves.
    std::size_t lineStart = 0;     // of the line being read
    std::size_t firstEnd = kNone;  // the end of the record's first line, once found
    long lines = 0;                // of the record, before the one being read
    bool tooLong = false;          // the first line is longer than any record may be
    QuoteState quotes;
    for (;;) {
        const char* data = reader.buffer.data() + reader.begin;
        const std::size_t held = reader.end - reader.begin;
        const void* newline = std::memchr(data + lineStart, '\n', held - lineStart);
        if (newline || reader.atEnd) {
            const std::size_t stop =
                newline ? static_cast<std::size_t>(static_cast<const char*>(newline) - data) : held;
            if (tooLong) {
                reader.begin = std::min(reader.begin + stop + 1, reader.end);
                reader.recordLine = ++reader.lineNumber;
                return LineStatus::TooLong;
            }
            if (!newline && stop == lineStart) {
                // The input ends: after a whole record, or inside a quoted cell.
                if (firstEnd == kNone) return LineStatus::End;
                return takeRecord(reader, firstEnd, 1, true, record);
            }
            if (firstEnd == kNone && stop > kMaxLineLength) {
                tooLong = true;
                continue;
            }
            if (firstEnd == kNone) firstEnd = stop;
            scanQuotes(data + lineStart, data + stop, separators, quotes);
            // A record too long to hold, or a quoted cell that never closes: the first line alone.
            if (stop > kMaxLineLength) return takeRecord(reader, firstEnd, 1, true, record);
            if (!quotes.inQuotes || (lines == 0 && !newline))
                return takeRecord(reader, stop, lines + 1, quotes.quoteSeen, record);
            if (!newline) return takeRecord(reader, firstEnd, 1, true, record);
            ++lines;
            lineStart = stop + 1;
            continue;
        }
        if (held > kMaxLineLength) {
            if (firstEnd != kNone) return takeRecord(reader, firstEnd, 1, true, record);
            // Drop what we hold of the overlong line and keep looking for its end.
            tooLong = true;
            reader.begin = reader.end;
            lineStart = 0;
        }
        refill(reader);
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

std::string_view separatorsOf(const Dialect& dialect) {
    return dialect.oneColumn ? std::string_view() : std::string_view(&dialect.separator, 1);
}

const char* splitCells(std::string_view line, const Dialect& dialect, std::vector<Cell>& cells) {
    cells.clear();
    if (!std::memchr(line.data(), '"', line.size())) {
        if (!dialect.oneColumn) return splitUnquoted(line, dialect.separator, cells);
        cells.push_back({line, false});
        return nullptr;
    }
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
