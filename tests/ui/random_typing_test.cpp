// The real main window under random typing, in both languages: whatever lands
// in the fields, Convert leaves a form that reads back as itself, and one more
// Convert reaches the fixed point. The program must keep running throughout.
//
// The draws are seeded and mapped to ranges by our own code, so every run and
// every standard library types the same keys. THALWEN_TYPING_ROUNDS and
// THALWEN_TYPING_SEED override the defaults for a longer search by hand.
#include "main_window_fixture.h"

#include "sample.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

using namespace thalwen;

namespace {

constexpr int kDefaultRounds = 40;
constexpr std::uint32_t kDefaultSeed = 0x7a1e5eed;
constexpr std::size_t kMostKeystrokes = 30;

// Uniform draws from mt19937, whose output the standard fixes; the mapping to
// a range is ours because the standard distributions differ between libraries.
class Dice {
public:
    explicit Dice(std::uint32_t seed) : engine_(seed) {}

    // Uniform in [0, n), n > 0: draws above the last whole multiple of n are
    // thrown back, so no value is favoured.
    std::uint32_t below(std::uint32_t n) {
        const std::uint64_t span = std::uint64_t{1} << 32;
        const std::uint64_t limit = span / n * n;
        for (;;) {
            const std::uint64_t draw = static_cast<std::uint32_t>(engine_());
            if (draw < limit) return static_cast<std::uint32_t>(draw % n);
        }
    }
    bool percent(std::uint32_t chance) { return below(100) < chance; }
    // Uniform in [low, high], in steps of (high - low) / 2^32.
    double between(double low, double high) {
        return low + (high - low) * (static_cast<double>(static_cast<std::uint32_t>(engine_())) / 4294967295.0);
    }
    template <typename T, std::size_t N>
    const T& pick(const std::array<T, N>& choices) {
        return choices[below(static_cast<std::uint32_t>(N))];
    }

private:
    std::mt19937 engine_;
};

// One key as it reaches the focused edit control: a character (WM_CHAR) or an
// editing key that moves the caret or deletes (WM_KEYDOWN and WM_KEYUP).
struct Keystroke {
    bool character;
    unsigned code;  // the Windows-1252 byte, or the virtual key
};

// Each field, the number of decimals the form writes it with, where a person
// would expect to find values, and whether the form blanks it under IES-80.
struct Field {
    int id;
    const char* name;
    int decimals;
    double low, high;  // a little wider than the range the program accepts
    bool blankUnderIes80;
};
constexpr std::array<Field, 10> kFields = {{
    {IDC_PRESSURE, "pressure", 2, -100.0, 11000.0, false},
    {IDC_LONGITUDE, "longitude", 6, -200.0, 200.0, true},
    {IDC_LATITUDE, "latitude", 6, -95.0, 95.0, true},
    {IDC_TEMPERATURE, "temperature", 2, -25.0, 110.0, false},
    {IDC_PRACTICAL_SALINITY, "practical salinity", 5, -1.0, 45.0, false},
    {IDC_ABSOLUTE_SALINITY, "absolute salinity", 5, -1.0, 45.0, true},
    {IDC_DENSITY, "density", 5, 980.0, 1095.0, false},
    {IDC_SPECIFIC_GRAVITY, "specific gravity", 5, 0.97, 1.1, false},
    {IDC_REFERENCE_TEMPERATURE, "reference temperature", 2, -20.0, 115.0, false},
    {IDC_CONDUCTIVITY, "conductivity", 5, -1.0, 95.0, false},
}};

constexpr std::array<int, 3> kMethodButtons = {IDC_METHOD_EXACT, IDC_METHOD_POLYNOMIAL, IDC_METHOD_IES80};
constexpr std::array<Method, 3> kMethodOfButton = {Method::Teos10Exact, Method::Teos10Polynomial, Method::Ies80};

// The characters besides the digits that make or break a number.
constexpr std::array<char, 7> kNumberPunctuation = {'.', ',', '-', '+', 'e', 'E', ' '};
constexpr std::array<unsigned, 6> kEditingKeys = {VK_LEFT, VK_RIGHT, VK_HOME, VK_END, VK_DELETE, VK_BACK};

Keystroke randomKeystroke(Dice& dice) {
    const std::uint32_t kind = dice.below(100);
    if (kind < 35) return {true, '0' + dice.below(10)};
    if (kind < 52) return {true, static_cast<unsigned char>(dice.pick(kNumberPunctuation))};
    if (kind < 67) return {true, 0x20 + dice.below(0x7f - 0x20)};  // any printable ASCII
    if (kind < 75) return {true, 0xa0 + dice.below(0x60)};         // Windows-1252 letters and signs, 0xB0 among them
    if (kind < 88) {
        // Control characters; ^C ^V ^X ^Z reach the clipboard and the undo buffer.
        const std::uint32_t code = dice.below(0x20);
        return {true, code == 0 ? 0x7fu : code};
    }
    return {false, dice.pick(kEditingKeys)};
}

// A number as someone might type it into this field, or one far outside any
// range (huge exponents, long digit strings), written with '.' or ','.
std::string numberText(Dice& dice, const Field& field) {
    char text[64];
    if (dice.percent(70)) {
        const int decimals = static_cast<int>(dice.below(9));
        std::snprintf(text, sizeof text, "%.*f", decimals, dice.between(field.low, field.high));
    } else {
        std::string wild;
        if (dice.percent(40)) wild += dice.percent(50) ? '-' : '+';
        auto addDigits = [&](std::uint32_t count) {
            for (; count > 0; --count) wild += static_cast<char>('0' + dice.below(10));
        };
        addDigits(1 + dice.below(20));
        if (dice.percent(50)) {
            wild += '.';
            addDigits(dice.below(8));
        }
        if (dice.percent(60)) {
            wild += dice.percent(50) ? 'e' : 'E';
            if (dice.percent(50)) wild += dice.percent(50) ? '-' : '+';
            addDigits(1 + dice.below(4));
        }
        std::snprintf(text, sizeof text, "%s", wild.c_str());
    }
    std::string typed = text;
    if (dice.percent(30)) {
        for (char& c : typed)
            if (c == '.') c = ',';
    }
    return typed;
}

// Up to kMostKeystrokes keys: sometimes none (a click into the field and
// away), often a number with stray keys before or after it, else anything.
std::vector<Keystroke> randomTyping(Dice& dice, const Field& field) {
    std::vector<Keystroke> keys;
    if (dice.percent(12)) return keys;
    const std::size_t length = 1 + dice.below(kMostKeystrokes);
    if (dice.percent(60)) {
        const std::size_t before = dice.percent(70) ? 0 : dice.below(4);
        for (std::size_t i = 0; i < before; ++i) keys.push_back(randomKeystroke(dice));
        for (char c : numberText(dice, field)) keys.push_back({true, static_cast<unsigned char>(c)});
    }
    while (keys.size() < length) keys.push_back(randomKeystroke(dice));
    if (keys.size() > kMostKeystrokes) keys.resize(kMostKeystrokes);
    return keys;
}

// A field's text with every byte outside printable ASCII as \xNN.
std::string readable(const std::string& text) {
    std::string shown;
    for (unsigned char c : text) {
        if (c >= 0x20 && c < 0x7f && c != '\\') {
            shown += static_cast<char>(c);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
            shown += escaped;
        }
    }
    return shown;
}

// The typed keys, readable in a failure message: characters as readable()
// shows them, <name> for editing keys.
std::string describe(const std::vector<Keystroke>& keys) {
    std::string text;
    for (const Keystroke& key : keys) {
        if (key.character) {
            text += readable(std::string(1, static_cast<char>(key.code)));
            continue;
        }
        switch (key.code) {
        case VK_LEFT:
            text += "<Left>";
            break;
        case VK_RIGHT:
            text += "<Right>";
            break;
        case VK_HOME:
            text += "<Home>";
            break;
        case VK_END:
            text += "<End>";
            break;
        case VK_DELETE:
            text += "<Del>";
            break;
        default:
            text += "<Back>";
            break;
        }
    }
    return text;
}

// The printable characters of the keys, for a field that takes no keyboard input.
std::string printableText(const std::vector<Keystroke>& keys) {
    std::string text;
    for (const Keystroke& key : keys)
        if (key.character && key.code >= 0x20 && key.code != 0x7f) text += static_cast<char>(key.code);
    return text;
}

using Snapshot = std::array<std::string, kFields.size()>;

std::string describe(const Snapshot& shown) {
    std::ostringstream text;
    for (std::size_t i = 0; i < kFields.size(); ++i)
        text << "\n  " << kFields[i].name << ": \"" << readable(shown[i]) << '"';
    return text.str();
}

// The fields that differ, each as "name: before -> after".
std::string changes(const Snapshot& before, const Snapshot& after) {
    std::string changed;
    for (std::size_t i = 0; i < kFields.size(); ++i) {
        if (before[i] == after[i]) continue;
        changed += "\n  " + std::string(kFields[i].name) + ": \"" + readable(before[i]) + "\" -> \"" +
                   readable(after[i]) + '"';
    }
    return changed;
}

// Whether text is what the form writes for a number it then reads back as the
// same text; why not, otherwise.
std::string whyNotReadBack(const std::string& text, int decimals) {
    if (text.empty()) return "is empty";
    const char* end = nullptr;
    const double value = parseNumber(text.c_str(), &end);
    if (end != text.c_str() + text.size()) return "is not read to its end (not a number, or trailing text)";
    if (!std::isfinite(value)) return "is not finite";
    if (std::fabs(value) >= 1e10) return "is of the order of the failure value";
    const std::string rewritten = formatFixed(value, decimals);
    if (rewritten != text) return "would be rewritten as \"" + rewritten + "\"";
    return {};
}

// FNV-1a over everything the form showed, to see that two runs typed alike.
void addToDigest(std::uint64_t& digest, const Snapshot& shown) {
    for (const std::string& text : shown) {
        for (unsigned char c : text + '\n') {
            digest ^= c;
            digest *= 0x100000001b3ull;
        }
    }
}

bool probeRan = false;
void CALLBACK markProbe(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    probeRan = true;
}

long environmentNumber(const char* name, long fallback) {
    const char* text = std::getenv(name);
    return text && *text ? std::strtol(text, nullptr, 0) : fallback;
}

class RandomTypingTest : public MainWindowTest {
protected:
    Snapshot shown() const {
        Snapshot texts;
        for (std::size_t i = 0; i < kFields.size(); ++i) texts[i] = text(kFields[i].id);
        return texts;
    }

    // Keys go through the program's own loop to the focused control, as the
    // keyboard's would. A field the user cannot reach (disabled) gets its
    // text set directly: the form must cope with whatever stands there.
    void typeInto(const Field& field, const std::vector<Keystroke>& keys, Dice& dice) {
        HWND edit = control(field.id);
        typingLog_ << "\n  " << field.name;
        if (!IsWindowEnabled(edit)) {
            SetWindowTextA(edit, printableText(keys).c_str());
            typingLog_ << " (disabled) set to \"" << readable(printableText(keys)) << '"';
            return;
        }
        SetFocus(edit);  // a salinity field empties the other three here
        typingLog_ << " held \"" << readable(text(field.id)) << '"';
        const int length = GetWindowTextLengthA(edit);
        switch (dice.below(4)) {
        case 0:  // tabbed or double-clicked into: all selected
            SendMessageA(edit, EM_SETSEL, 0, -1);
            typingLog_ << ", all selected";
            break;
        case 1:  // emptied first
            SetWindowTextA(edit, "");
            typingLog_ << ", emptied";
            break;
        case 2:  // clicked behind the text
            SendMessageA(edit, EM_SETSEL, length, length);
            typingLog_ << ", caret at the end";
            break;
        default: {  // a part of it selected with the mouse
            const int from = static_cast<int>(dice.below(static_cast<std::uint32_t>(length) + 1));
            const int to = static_cast<int>(dice.below(static_cast<std::uint32_t>(length) + 1));
            SendMessageA(edit, EM_SETSEL, from, to);
            typingLog_ << ", selected from " << from << " to " << to;
            break;
        }
        }
        for (const Keystroke& key : keys) {
            if (key.character) {
                PostMessageA(edit, WM_CHAR, key.code, 1);
            } else {
                const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(key.code, MAPVK_VK_TO_VSC)) << 16;
                PostMessageA(edit, WM_KEYDOWN, key.code, scan | 1);
                PostMessageA(edit, WM_KEYUP, key.code, scan | 1 | (LPARAM{3} << 30));
            }
        }
        ASSERT_TRUE(runPendingMessages(accelerators, &quitStatus)) << "the loop ended while typing";
        typingLog_ << ", typed " << describe(keys) << ", now \"" << readable(text(field.id)) << '"';
    }

    void chooseUnit(bool fahrenheit) {
        HWND selector = control(IDC_TEMPERATURE_UNIT);
        SendMessageA(selector, CB_SETCURSEL, fahrenheit ? 1 : 0, 0);
        SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_TEMPERATURE_UNIT, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(selector));
    }

    // The program's loop still takes and dispatches messages: a thread timer
    // only fires through it.
    bool loopStillRuns() {
        probeRan = false;
        SetTimer(nullptr, 0, USER_TIMER_MINIMUM, markProbe);
        return runUntil([] { return probeRan; }) && quitStatus == kNoQuit && IsWindow(window);
    }

    void expectReadsBack(const Snapshot& texts, Method method, const char* when) {
        for (std::size_t i = 0; i < kFields.size(); ++i) {
            const Field& field = kFields[i];
            if (method == Method::Ies80 && field.blankUnderIes80) {
                EXPECT_TRUE(texts[i].empty())
                    << field.name << " is not blank under IES-80 " << when << ":" << describe(texts);
                continue;
            }
            const std::string why = whyNotReadBack(texts[i], field.decimals);
            EXPECT_TRUE(why.empty()) << field.name << " \"" << readable(texts[i]) << "\" " << why << ", " << when << ":"
                                     << describe(texts);
        }
    }

    void runRounds(std::uint32_t seed, int rounds) {
        // ^V pastes: start from an empty clipboard, whatever ran before.
        ASSERT_TRUE(OpenClipboard(window));
        EmptyClipboard();
        CloseClipboard();
        Dice dice(seed);
        std::uint64_t digest = 0xcbf29ce484222325ull;
        for (int round = 0; round < rounds; ++round) {
            const std::size_t methodIndex = dice.below(3);
            const bool fahrenheit = dice.below(2) == 1;

            std::array<std::size_t, kFields.size()> order;
            for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
            for (std::size_t i = order.size() - 1; i > 0; --i)
                std::swap(order[i], order[dice.below(static_cast<std::uint32_t>(i) + 1)]);
            std::array<std::vector<Keystroke>, kFields.size()> typed;
            for (std::size_t i : order) typed[i] = randomTyping(dice, kFields[i]);

            // The method button and the unit each convert too, before or after the typing.
            const std::uint32_t choicesFirst = dice.below(3);  // 0: both before, 1: one before, 2: both after
            const bool methodFirst = dice.percent(50);

            std::ostringstream plan;
            plan << "round " << round << " of seed " << seed << ": method button " << kMethodButtons[methodIndex]
                 << (fahrenheit ? ", degrees F" : ", degrees C")
                 << (choicesFirst == 0   ? ", both chosen before the typing"
                     : choicesFirst == 2 ? ", both chosen after the typing"
                     : methodFirst       ? ", the method before and the unit after the typing"
                                         : ", the unit before and the method after the typing");
            SCOPED_TRACE(plan.str());
            typingLog_.str("");
            typingLog_ << "the fields, in the order typed:";

            auto chooseMethod = [&] { click(kMethodButtons[methodIndex]); };
            auto chooseTheUnit = [&] { chooseUnit(fahrenheit); };
            if (choicesFirst == 0) {
                chooseMethod();
                chooseTheUnit();
            } else if (choicesFirst == 1) {
                methodFirst ? chooseMethod() : chooseTheUnit();
            }
            for (std::size_t i : order) {
                typeInto(kFields[i], typed[i], dice);
                if (HasFatalFailure()) return;
            }
            if (choicesFirst == 1) {
                methodFirst ? chooseTheUnit() : chooseMethod();
            } else if (choicesFirst == 2) {
                chooseMethod();
                chooseTheUnit();
            }

            SCOPED_TRACE(typingLog_.str());
            click(IDC_CONVERT);
            ASSERT_TRUE(loopStillRuns()) << "after Convert";
            const Method method = kMethodOfButton[methodIndex];
            ASSERT_EQ(currentMethod, method);
            ASSERT_EQ(useFahrenheit, fahrenheit);
            const Snapshot first = shown();
            expectReadsBack(first, method, "after Convert");

            click(IDC_CONVERT);
            const Snapshot second = shown();
            expectReadsBack(second, method, "after a second Convert");
            click(IDC_CONVERT);
            const Snapshot third = shown();
            const std::string changed = changes(second, third);
            EXPECT_TRUE(changed.empty()) << "a third Convert changed the form:" << changed
                                         << "\nafter the second Convert it showed:" << describe(second);
            ASSERT_TRUE(loopStillRuns()) << "after the third Convert";
            EXPECT_TRUE(commandLog.empty()) << "typing opened " << commandLog.front();

            addToDigest(digest, first);
            addToDigest(digest, third);
            if (HasFailure()) return;  // the first failing round says it all
        }
        char digestText[20];
        std::snprintf(digestText, sizeof digestText, "%016llx", static_cast<unsigned long long>(digest));
        std::cout << "[ typing   ] " << GetParam() << ": " << rounds << " rounds of seed " << seed << ", form digest "
                  << digestText << std::endl;
        RecordProperty("form_digest", digestText);
    }

private:
    std::ostringstream typingLog_;
};

TEST_P(RandomTypingTest, EveryFieldReadsBackAndTheNextConvertIsTheFixedPoint) {
    const std::uint32_t languageOffset = english() ? 0 : 1;  // each language types its own texts
    const auto seed =
        static_cast<std::uint32_t>(environmentNumber("THALWEN_TYPING_SEED", kDefaultSeed)) + languageOffset;
    runRounds(seed, static_cast<int>(environmentNumber("THALWEN_TYPING_ROUNDS", kDefaultRounds)));
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, RandomTypingTest, testing::Values("en", "fr"));

}  // namespace
