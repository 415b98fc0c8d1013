#include "reader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace thalwen {

namespace {

constexpr std::size_t kInitialBuffer = 1 << 16;

// A line before the header that is no header: blank, or a comment ('#' or
// '//' first, blanks aside), as archives and loggers write above their data.
bool isCommentOrBlank(std::string_view line) {
    line.remove_prefix(std::min(line.find_first_not_of(" \t"), line.size()));
    return line.empty() || line[0] == '#' || line.starts_with("//");
}

std::string fromLatin1(std::string_view text) {
    std::string utf8(2 * text.size() + kLongestCharacter, '\0');
    utf8.resize(decode(Encoding::Latin1, text, true, utf8).written);
    return utf8;
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

}  // namespace

CsvReader::CsvReader(std::FILE* file) : file_(file), buffer_(kInitialBuffer) {}

const char* CsvReader::readHeader() {
    refill();  // as bytes: the mark, if any, tells how to read the rest
    const ByteOrderMark mark = byteOrderMarkOf(std::string_view(buffer_.data(), end_));
    begin_ = mark.size;
    if (mark.size > 0) byteOrderMark_ = kUtf8Mark;
    if (mark.encoding != Encoding::Utf8) decodeFromHere(mark.encoding);

    std::string_view line;
    RecordStatus status;
    // Comment lines are read as lines: a quote in them opens nothing.
    while ((status = nextIn<false>(kAnySeparator, line)) == RecordStatus::Record && isCommentOrBlank(line))
        comments_.append(line).append(carriageReturn_ ? "\r\n" : "\n");
    if (status == RecordStatus::Record) {
        // The header, read again as a record: a quoted cell may carry it over more lines.
        begin_ = static_cast<std::size_t>(line.data() - buffer_.data());
        lineNumber_ = recordLine_ - 1;
        status = nextIn<true>(kAnySeparator, line);
    }
    if (status == RecordStatus::End) return kEmptyInput;
    if (status == RecordStatus::TooLong) {
        static const std::string tooLong = "longer than " + std::to_string(kMaxLineLength) + " characters";
        return tooLong.c_str();
    }
    header_ = line;
    if (mark.size == 0 && !(isUtf8(comments_, true) && isUtf8(header_, true) &&
                            isUtf8(std::string_view(buffer_.data() + begin_, end_ - begin_), atEnd_))) {
        comments_ = fromLatin1(comments_);
        header_ = fromLatin1(header_);
        decodeFromHere(Encoding::Latin1);
    }
    dialect_ = detectDialect(header_);
    dialect_.lineEnd = carriageReturn_ ? "\r\n" : "\n";
    return splitCells(header_, dialect_, headerCells_);
}

RecordStatus CsvReader::next(std::string_view& record) { return nextIn<true>(separatorsOf(dialect_), record); }

// Moves the unread part to the front and reads more after it. Grows the
// buffer only while a single line does not fit, up to the line limit.
void CsvReader::refill() {
    if (begin_ > 0) {
        std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    if (buffer_.size() - end_ < kLongestCharacter && buffer_.size() <= kMaxLineLength)
        buffer_.resize(buffer_.size() * 2);
    if (encoding_ != Encoding::Utf8) return decodeMore();
    end_ += read(buffer_.data() + end_, buffer_.size() - end_, atEnd_);
}

// Reads up to size bytes of the file into data; sets atEnd when it gives fewer.
std::size_t CsvReader::read(char* data, std::size_t size, bool& atEnd) {
    const std::size_t got = std::fread(data, 1, size, file_);
    if (got < size) {
        atEnd = true;
        if (std::ferror(file_)) error_ = errno != 0 ? errno : EIO;
    }
    return got;
}

// From here on, what the buffer holds unread and the rest of the file are
// bytes in encoding, to be decoded as the buffer is refilled.
void CsvReader::decodeFromHere(Encoding encoding) {
    encoding_ = encoding;
    undecoded_.bytes.assign(buffer_.begin() + static_cast<std::ptrdiff_t>(begin_),
                            buffer_.begin() + static_cast<std::ptrdiff_t>(end_));
    undecoded_.end = undecoded_.bytes.size();
    undecoded_.bytes.resize(std::max(undecoded_.end, kInitialBuffer));
    undecoded_.atEnd = atEnd_;
    atEnd_ = false;
    begin_ = end_ = 0;
}

// Decodes into the buffer as much as it has room for: at least one character
// unless the input is at its end.
void CsvReader::decodeMore() {
    Undecoded& raw = undecoded_;
    if (!raw.atEnd && raw.end - raw.begin < raw.bytes.size() / 2) {
        std::memmove(raw.bytes.data(), raw.bytes.data() + raw.begin, raw.end - raw.begin);
        raw.end -= raw.begin;
        raw.begin = 0;
        raw.end += read(raw.bytes.data() + raw.end, raw.bytes.size() - raw.end, raw.atEnd);
    }
    const Decoded done = decode(encoding_, std::string_view(raw.bytes.data() + raw.begin, raw.end - raw.begin),
                                raw.atEnd, std::span(buffer_.data() + end_, buffer_.size() - end_));
    raw.begin += done.read;
    end_ += done.written;
    replacements_ += done.replaced;
    atEnd_ = raw.atEnd && raw.begin == raw.end;
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

// Without followQuotes a record is one line, whatever quotes it holds. A
// template, so that the records after the header pay nothing for the lines
// before it.
template <bool followQuotes>
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
            if constexpr (followQuotes) scanQuotes(data + lineStart, data + stop, separators, quotes);
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
