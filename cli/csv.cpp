#include "csv.h"

#include <cerrno>
#include <cstring>

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

std::string_view withoutCarriageReturn(const char* data, std::size_t size) {
    if (size > 0 && data[size - 1] == '\r') --size;
    return std::string_view(data, size);
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
            line = withoutCarriageReturn(data + start, stop - start);
            return LineStatus::Line;
        }
        if (reader.atEnd) {
            if (reader.begin == reader.end && !tooLong) return LineStatus::End;
            std::size_t start = reader.begin;
            reader.begin = reader.end;
            ++reader.lineNumber;
            if (tooLong || reader.end - start > kMaxLineLength) return LineStatus::TooLong;
            line = withoutCarriageReturn(data + start, reader.end - start);
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

const char* splitCells(std::string_view line, std::string_view* cells, int maxCells, int& count) {
    count = 0;
    std::size_t i = 0;
    for (;;) {
        if (count == maxCells) return "too many cells";
        std::size_t start = i;
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        std::string_view cell;
        if (i < line.size() && line[i] == '"') {
            std::size_t open = ++i;
            // "" inside quotes stands for one quote; no number or name of
            // ours holds one, so the cell keeps it and fails to read later.
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
            cell = line.substr(open, i - open);
            ++i;
            while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
            if (i < line.size() && line[i] != ',') return "text after a quoted cell";
        } else {
            i = start;
            while (i < line.size() && line[i] != ',') ++i;
            cell = line.substr(start, i - start);
        }
        cells[count++] = cell;
        if (i >= line.size()) return nullptr;
        ++i;  // the comma
    }
}
