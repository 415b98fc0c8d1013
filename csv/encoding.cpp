#include "encoding.h"

#include <utf8cpp/utf8.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace thalwen {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool isSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDFFF; }
bool isLeadSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool isTrailSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

char32_t unitAt(std::string_view in, std::size_t at, bool bigEndian) {
    const auto first = static_cast<unsigned char>(in[at]), second = static_cast<unsigned char>(in[at + 1]);
    return bigEndian ? char32_t(first) << 8 | second : char32_t(second) << 8 | first;
}

// A character decoded and the bytes it took: none when it is cut off by the
// end of the input and the rest may follow.
struct Character {
    char32_t code = kReplacement;
    std::size_t size = 0;
    bool replaced = false;
};

Character nextUtf16(std::string_view in, bool last, bool bigEndian) {
    if (in.size() < 2) return {kReplacement, last ? in.size() : 0, last};  // an odd last byte
    const char32_t unit = unitAt(in, 0, bigEndian);
    if (!isSurrogate(unit)) return {unit, 2};
    if (isLeadSurrogate(unit)) {
        if (in.size() < 4) return {kReplacement, last ? 2u : 0u, last};
        const char32_t trail = unitAt(in, 2, bigEndian);
        if (isTrailSurrogate(trail)) return {0x10000 + ((unit - 0xD800) << 10) + (trail - 0xDC00), 4};
    }
    return {kReplacement, 2, true};  // unpaired: what follows is read on its own
}

}  // namespace

ByteOrderMark byteOrderMarkOf(std::string_view start) {
    if (start.starts_with(kUtf8Mark)) return {Encoding::Utf8, kUtf8Mark.size()};
    if (start.starts_with("\xFF\xFE")) return {Encoding::Utf16LittleEndian, 2};
    if (start.starts_with("\xFE\xFF")) return {Encoding::Utf16BigEndian, 2};
    return {};
}

bool isUtf8(std::string_view text, bool complete) {
    // Nearly every byte of a batch is ASCII, which is passed over 8 bytes at a time.
    std::size_t ascii = 0;
    for (std::uint64_t word; ascii + 8 <= text.size(); ascii += 8) {
        std::memcpy(&word, text.data() + ascii, 8);
        if (word & 0x8080808080808080) break;
    }
    const auto invalid = utf8::find_invalid(text.begin() + static_cast<std::ptrdiff_t>(ascii), text.end());
    if (invalid == text.end()) return true;
    if (complete) return false;
    // Cut off: a lead byte that announces more bytes than are left, all of them continuing it.
    const std::string_view rest = text.substr(static_cast<std::size_t>(invalid - text.begin()));
    const auto lead = static_cast<unsigned char>(rest[0]);
    const std::size_t length = lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    return lead >= 0xC2 && lead <= 0xF4 && rest.size() < length &&
           std::all_of(rest.begin() + 1, rest.end(),
                       [](char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; });
}

Decoded decode(Encoding encoding, std::string_view in, bool last, std::span<char> out) {
    const bool bigEndian = encoding == Encoding::Utf16BigEndian;
    // ASCII, nearly all of a batch, is copied in a loop of its own: the byte
    // of each unit that holds it, the other byte of a UTF-16 unit zero.
    const std::size_t width = encoding == Encoding::Latin1 ? 1 : 2, ascii = bigEndian ? 1 : 0;
    auto isAscii = [&](std::size_t at) {
        return static_cast<unsigned char>(in[at + ascii]) < 0x80 && (width == 1 || in[at + 1 - ascii] == 0);
    };
    Decoded decoded;
    while (out.size() - decoded.written >= kLongestCharacter && decoded.read < in.size()) {
        for (; decoded.read + width <= in.size() && decoded.written < out.size() && isAscii(decoded.read);
             decoded.read += width)
            out[decoded.written++] = in[decoded.read + ascii];
        if (out.size() - decoded.written < kLongestCharacter || decoded.read == in.size()) break;
        Character character;
        if (encoding == Encoding::Latin1)
            character = {static_cast<unsigned char>(in[decoded.read]), 1};
        else
            character = nextUtf16(in.substr(decoded.read), last, bigEndian);
        if (character.size == 0) break;
        decoded.read += character.size;
        decoded.replaced += character.replaced;
        decoded.written =
            static_cast<std::size_t>(utf8::append(character.code, out.data() + decoded.written) - out.data());
    }
    return decoded;
}

}  // namespace thalwen
