// What the form shows after two Converts is what it shows after three: the
// first conversion may move the inputs (clamps, a source replaced at a
// salinity bound) and the second re-derives everything from the Practical
// Salinity as shown, but after that showing and reading back changes nothing.
#include <gtest/gtest.h>

#include <vector>

#include "convert.h"
#include "form_text.h"
#include "samples.h"

using namespace thalwen;

namespace {

Sample converted(Method method, Sample s) {
    convert(method, s);
    return s;
}

// What the form reads from texts, into the fresh sample each conversion starts from.
Sample readBack(Method method, const FormText& text, bool fahrenheit) {
    Sample s = kDefaultSample;
    readTexts(method, text, fahrenheit, s);
    return s;
}

std::string joined(const FormText& text) {
    std::string all;
    for (const std::string& field : text) all += "[" + field + "]";
    return all;
}

void expectFixedPointAfterOneMoreConversion(const std::vector<Case>& cases) {
    int failures = 0;
    for (const Case& c : cases)
        for (bool fahrenheit : {false, true}) {
            const FormText first = shownTexts(c.method, converted(c.method, c.given), fahrenheit);
            const FormText second =
                shownTexts(c.method, converted(c.method, readBack(c.method, first, fahrenheit)), fahrenheit);
            const FormText third =
                shownTexts(c.method, converted(c.method, readBack(c.method, second, fahrenheit)), fahrenheit);
            if (second != third && ++failures <= 5)
                ADD_FAILURE() << describe(c) << (fahrenheit ? ", shown in F" : "") << "\n  second " << joined(second)
                              << "\n  third  " << joined(third);
        }
    EXPECT_EQ(failures, 0);
}

}  // namespace

TEST(FixedPoint, ShownResultIsStableAfterOneMoreConversionOnTheGrid) {
    expectFixedPointAfterOneMoreConversion(gridCases());
}

TEST(FixedPoint, ShownResultIsStableAfterOneMoreConversionOnRandomSamples) {
    expectFixedPointAfterOneMoreConversion(randomCases(300));
}
