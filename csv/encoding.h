// The encodings CSV files come in, and their decoding into the UTF-8 that
// everything after the reader sees.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

namespace thalwen {

enum class Encoding {
    Utf8,
    Latin1,  // ISO 8859-1: each byte its code point, as old loggers and "ANSI" spreadsheets write the degree sign
    Utf16LittleEndian,
    Utf16BigEndian,
};

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// The byte-order mark the input starts with: the encoding it announces and its
// length; UTF-8 and 0 when there is none.
struct ByteOrderMark {
    Encoding encoding = Encoding::Utf8;
    std::size_t size = 0;
};
ByteOrderMark byteOrderMarkOf(std::string_view start);

// Whether text is valid UTF-8. Unless complete, a character cut off by the
// end of text is valid so far: the rest of it may follow.
bool isUtf8(std::string_view text, bool complete);

// The most bytes one character takes in UTF-8: decode writes nothing into
// less room than this.
constexpr std::size_t kLongestCharacter = 4;

struct Decoded {
    std::size_t read = 0;     // bytes of the input decoded
    std::size_t written = 0;  // bytes of UTF-8 written
    long replaced = 0;        // characters that could not be decoded, written as U+FFFD
};

// Decodes in, Latin-1 or UTF-16 text, into UTF-8 in out, until out has less
// than kLongestCharacter bytes of room or in ends. A UTF-16 character cut off
// by the end of in is left unread, for the rest to follow, unless last: then,
// like an unpaired surrogate, it is replaced by U+FFFD.
Decoded decode(Encoding encoding, std::string_view in, bool last, std::span<char> out);

}  // namespace thalwen
