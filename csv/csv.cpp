#include "csv.h"

#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace thalwen {

namespace {

// The cells of a line that holds no quote: what lies between the separators.
// Nearly every line of a batch is one; the general split below looks at each
// character three times. Sixteen characters are compared with the separator
// at once, where the processor has the instructions every x86-64 one has.
template <class Cells>
const char* splitUnquoted(std::string_view line, char separator, Cells& cells) {
    const char* start = line.data();
    const char* const end = start + line.size();
    auto cellTo = [&](const char* stop) {
        cells.push_back({std::string_view(start, static_cast<std::size_t>(stop - start)), false});
        start = stop + 1;
        return cells.size() == kMaxCells;
    };
    const char* p = start;
#ifdef __SSE2__
    const __m128i separators = _mm_set1_epi8(separator);
    for (; end - p >= 16; p += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        for (auto found = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, separators))); found != 0;
             found &= found - 1)
            if (cellTo(p + __builtin_ctz(found))) return "more cells than any row may have";
    }
#endif
    for (; p < end; ++p)
        if (*p == separator && cellTo(p)) return "more cells than any row may have";
    cells.push_back({std::string_view(start, static_cast<std::size_t>(end - start)), false});
    return nullptr;
}

}  // namespace

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

template <class Cells>
const char* splitCells(std::string_view line, const Dialect& dialect, Cells& cells) {
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

template const char* splitCells(std::string_view, const Dialect&, std::vector<Cell>&);
template const char* splitCells(std::string_view, const Dialect&, CellRow&);

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
