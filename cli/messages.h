// The words of the command line's messages: texts quoted as the user gave
// them, lists of choices, widths on a terminal.
#pragma once

#include <cstddef>
#include <iterator>
#include <string>
#include <string_view>

namespace thalwen {

// 'text', for messages that name what the user gave: line breaks written as
// \n and \r, a long text shortened.
std::string quoted(std::string_view text);

// "a, b or c": name(row) of every row of table, for messages and the usage.
template <class Table, class Name>
std::string choices(const Table& table, Name name) {
    std::string text;
    const std::size_t count = std::size(table);
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0) text += i + 1 == count ? " or " : ", ";
        text += name(table[i]);
    }
    return text;
}

// The message for text given at place: "<place>: '<text>' <what>", blanks
// around text aside, or "<place>: <what>" for an empty text.
std::string valueError(std::string_view place, std::string_view text, std::string_view what);

// Safe to paste into a shell as one word.
std::string shellWord(std::string_view text);

// Display width of UTF-8 text: the units hold a few two-byte characters.
std::size_t displayWidth(std::string_view text);

}  // namespace thalwen
