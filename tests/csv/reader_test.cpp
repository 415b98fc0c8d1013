// The reader's view of the bytes of a file: its encoding, the comment lines
// before its header, its records in UTF-8 with the numbers of their lines.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "reader.h"

using namespace thalwen;

namespace {

using Records = std::vector<std::pair<long, std::string>>;  // the header first

struct Read {
    Encoding encoding = Encoding::Utf8;
    std::string mark, comments;
    Records records;
    long replacements = 0;
};

Read readBytes(const std::string& bytes) {
    std::FILE* file = std::tmpfile();
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::rewind(file);
    CsvReader reader(file);
    Read read;
    if (reader.readHeader() != CsvReader::kEmptyInput) read.records.emplace_back(reader.recordLine(), reader.header());
    for (std::string_view record; reader.next(record) == RecordStatus::Record;)
        read.records.emplace_back(reader.recordLine(), record);
    read.encoding = reader.encoding();
    read.mark = reader.byteOrderMark();
    read.comments = reader.comments();
    read.replacements = reader.replacements();
    std::fclose(file);
    return read;
}

std::string utf16(std::u16string_view text, bool bigEndian) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t unit : text) {
        const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return bytes;
}

const std::string kMark(kUtf8Mark), kReplaced = "\uFFFD";
using enum Encoding;

TEST(Csv, EncodingsAndCommentLinesBeforeTheHeader) {
    struct Case {
        std::string bytes;
        Read read;
    };
    const Case cases[] = {
        // A quote in a comment opens no cell that would swallow the header.
        {"# cruise \"A, 1\r\n\n  // pump,\"on\n\t#x\nPRES,\"T\"\n1,2",
         {Utf8, "", "# cruise \"A, 1\r\n\n  // pump,\"on\n\t#x\n", {{5, "PRES,\"T\""}, {6, "1,2"}}}},
        {"/ x,#\n#\n", {Utf8, "", "", {{1, "/ x,#"}, {2, "#"}}}},
        {"# a\n\n", {Utf8, "", "# a\n\n", {}}},
        {"# c\n\"a\nb\",c\n1\n", {Utf8, "", "# c\n", {{2, "\"a\nb\",c"}, {4, "1"}}}},
        {kMark + "# c\nT\n", {Utf8, kMark, "# c\n", {{2, "T"}}}},
        {"TEMP (°C)\n1\n", {Utf8, "", "", {{1, "TEMP (°C)"}, {2, "1"}}}},
        {"# 12\xB0\nTEMP (\260C)\n-1.5\xB0\n", {Latin1, "", "# 12°\n", {{2, "TEMP (°C)"}, {3, "-1.5°"}}}},
        {"T\nx\xE9\n", {Latin1, "", "", {{1, "T"}, {2, "xé"}}}},
        {kMark + "T\n\xB0\n", {Utf8, kMark, "", {{1, "T"}, {2, "\xB0"}}}},  // the mark says UTF-8
        {utf16(u"# Łeba\r\nT (°C)\r\n1,2", false),
         {Utf16LittleEndian, kMark, "# Łeba\r\n", {{2, "T (°C)"}, {3, "1,2"}}}},
        {utf16(u"T\nŁ𝄞\n", true), {Utf16BigEndian, kMark, "", {{1, "T"}, {2, "Ł𝄞"}}}},
        // Unpaired surrogates, then a lead one and an odd byte at the end.
        {utf16(std::u16string{u'T', u'\n', 0xD800, u'a', u'\n', 0xDC00, u'\n', 0xD800}, false) + "x",
         {Utf16LittleEndian,
          kMark,
          "",
          {{1, "T"}, {2, kReplaced + "a"}, {3, kReplaced}, {4, kReplaced + kReplaced}},
          4}},
    };
    for (const Case& c : cases) {
        const Read read = readBytes(c.bytes);
        EXPECT_EQ(read.encoding, c.read.encoding) << c.bytes;
        EXPECT_EQ(read.mark, c.read.mark) << c.bytes;
        EXPECT_EQ(read.comments, c.read.comments) << c.bytes;
        EXPECT_EQ(read.records, c.read.records) << c.bytes;
        EXPECT_EQ(read.replacements, c.read.replacements) << c.bytes;
    }
}

// Files longer than the first read (64 KiB) and the buffer: the line each is
// about, and the text of every line after it.
TEST(Csv, CharactersCutByTheReadsAndTheBufferComeWhole) {
    std::u16string utf16Lines = u"T\n", utf16After;
    for (int i = 0; i < 16382; ++i) utf16Lines += u"x\n";
    for (int i = 0; i < 20000; ++i) utf16After += u"€°\n";
    std::string latin1Lines = "TEMP (\260C)\n", asciiLines = "T\n", euros;
    for (int i = 0; i < 30000; ++i) {
        latin1Lines += "1\xB0\n";
        asciiLines += "ab\n";
        euros += "€";
    }
    struct Case {
        std::string bytes;
        Encoding encoding;
        std::pair<long, std::string> record;
        std::string later;
        std::size_t records;
    };
    const Case cases[] = {
        // The pair starts in the last unit of the first read; the characters after it fill the buffer to its end.
        {utf16(utf16Lines + u"𝄞\n" + utf16After, false), Utf16LittleEndian, {16384, "𝄞"}, "€°", 36384},
        // A line longer than the buffer, of characters that do not fill it to its last byte.
        {utf16(u"T\n" + std::u16string(30000, u'€'), true), Utf16BigEndian, {2, euros}, "", 2},
        {latin1Lines, Latin1, {1, "TEMP (°C)"}, "1°", 30001},
        // The first read ends inside the degree sign.
        {asciiLines.substr(0, 2 + 3 * 21844) + "x°\n", Utf8, {21846, "x°"}, "", 21846},
        // Past the first read, bytes that are not UTF-8 are handed out as they are.
        {asciiLines + "\xB0\n", Utf8, {30002, "\xB0"}, "", 30002},
    };
    for (const Case& c : cases) {
        const Read read = readBytes(c.bytes);
        EXPECT_EQ(read.encoding, c.encoding) << c.record.first;
        EXPECT_EQ(read.replacements, 0) << c.record.first;
        ASSERT_EQ(read.records.size(), c.records) << c.record.first;
        EXPECT_EQ(read.records[static_cast<std::size_t>(c.record.first - 1)], c.record);
        for (std::size_t i = static_cast<std::size_t>(c.record.first); i < read.records.size(); ++i)
            ASSERT_EQ(read.records[i].second, c.later) << "line " << read.records[i].first;
    }
}

// As the reader decodes: the first cut bytes, then the rest once read, a few
// bytes of room at a time.
TEST(Csv, Utf16DecodedInPiecesAsWhole) {
    const std::string bytes =
        utf16(std::u16string{u'a', u'°', 0xD834, 0xDD1E, 0xDC00, u'€', 0xD800}, true).substr(2) + "x";
    const std::string whole = "a°𝄞" + kReplaced + "€" + kReplaced + kReplaced;
    for (std::size_t cut = 0; cut <= bytes.size(); ++cut) {
        std::string utf8, room(kLongestCharacter + 1, '\0');
        long replaced = 0;
        for (std::size_t read = 0, held = cut; read < bytes.size();) {
            const Decoded done =
                decode(Utf16BigEndian, std::string_view(bytes).substr(read, held - read), held == bytes.size(), room);
            utf8.append(room, 0, done.written);
            read += done.read;
            replaced += done.replaced;
            if (done.written > 0) continue;
            if (held == bytes.size()) break;
            held = bytes.size();
        }
        EXPECT_EQ(utf8, whole) << "cut after byte " << cut;
        EXPECT_EQ(replaced, 3) << "cut after byte " << cut;
    }
}

}  // namespace
