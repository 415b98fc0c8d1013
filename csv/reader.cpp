#include "reader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace thalwen {

namespace {

constexpr std::size_t kInitialBuffer = 1 << 16;

// Written by some editors and spreadsheets before the first line.
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

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

}  // namespace

CsvReader::CsvReader(std::FILE* file) : file_(file), buffer_(kInitialBuffer) {}

const char* CsvReader::readHeader() {
    std::string_view line;
    const RecordStatus status = nextIn(kAnySeparator, line);
    if (status == RecordStatus::End) return kEmptyInput;
    if (status == RecordStatus::TooLong) {
        static const std::string tooLong = "longer than " + std::to_string(kMaxLineLength) + " characters";
        return tooLong.c_str();
    }
    if (line.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
        byteOrderMark_ = kByteOrderMark;
        line.remove_prefix(kByteOrderMark.size());
    }
    header_ = line;
    dialect_ = detectDialect(header_);
    dialect_.lineEnd = carriageReturn_ ? "\r\n" : "\n";
    return splitCells(header_, dialect_, headerCells_);
}

RecordStatus CsvReader::next(std::string_view& record) { return nextIn(separatorsOf(dialect_), record); }

// Moves the unread part to the front and reads more after it. Grows the
// buffer only while a single line does not fit, up to the line limit.
void CsvReader::refill() {
    if (begin_ > 0) {
        std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    if (end_ == buffer_.size() && buffer_.size() <= kMaxLineLength) buffer_.resize(buffer_.size() * 2);
    std::size_t room = buffer_.size() - end_;
    if (room == 0) return;
    std::size_t got = std::fread(buffer_.data() + end_, 1, room, file_);
    end_ += got;
    if (got < room) {
        atEnd_ = true;
        if (std::ferror(file_)) error_ = errno != 0 ? errno : EIO;
    }
}

// Hands out the first size characters held as the record of lines lines, and
// consumes them and the line end after them.
RecordStatus CsvReader::take(std::size_t size, long lines, bool quoted, std::string_view& record) {
    const char* data = buffer_.data() + begin_;
    quoted_ = quoted;
    carriageReturn_ = size > 0 && data[size - 1] == '\r';
    record = std::string_view(data, size - carriageReturn_);
    begin_ = std::min(begin_ + size + 1, end_);
    recordLine_ = lineNumber_ + 1;
    lineNumber_ += lines;
    return RecordStatus::Record;
}

RecordStatus CsvReader::nextIn(std::string_view separators, std::string_view& record) {
    constexpr std::size_t kNone = std::string_view::npos;
    // Offsets from begin_, which refilling moves.
    std::size_t lineStart = 0;     // of the line being read
    std::size_t firstEnd = kNone;  // the end of the record's first line, once found
    long lines = 0;                // of the record, before the one being read
    bool tooLong = false;          // the first line is longer than any record may be
    QuoteState quotes;
    for (;;) {
        const char* data = buffer_.data() + begin_;
        const std::size_t held = end_ - begin_;
        const void* newline = std::memchr(data + lineStart, '\n', held - lineStart);
        if (newline || atEnd_) {
            const std::size_t stop =
                newline ? static_cast<std::size_t>(static_cast<const char*>(newline) - data) : held;
            if (tooLong) {
                begin_ = std::min(begin_ + stop + 1, end_);
                recordLine_ = ++lineNumber_;
                return RecordStatus::TooLong;
            }
            if (!newline && stop == lineStart) {
                // The input ends: after a whole record, or inside a quoted cell.
                if (firstEnd == kNone) return RecordStatus::End;
                return take(firstEnd, 1, true, record);
            }
            if (firstEnd == kNone && stop > kMaxLineLength) {
                tooLong = true;
                continue;
            }
            if (firstEnd == kNone) firstEnd = stop;
            scanQuotes(data + lineStart, data + stop, separators, quotes);
            // A record too long to hold, or a quoted cell that never closes: the first line alone.
            if (stop > kMaxLineLength) return take(firstEnd, 1, true, record);
            if (!quotes.inQuotes || (lines == 0 && !newline)) return take(stop, lines + 1, quotes.quoteSeen, record);
            if (!newline) return take(firstEnd, 1, true, record);
            ++lines;
            lineStart = stop + 1;
            continue;
        }
        if (held > kMaxLineLength) {
            if (firstEnd != kNone) return take(firstEnd, 1, true, record);
            // Drop what we hold of the overlong line and keep looking for its end.
            tooLong = true;
            begin_ = end_;
            lineStart = 0;
        }
        refill();
    }
}

}  // namespace thalwen
