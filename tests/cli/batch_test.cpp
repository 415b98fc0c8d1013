// CSV reading and the batch loop, on in-memory streams.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "batch.h"
#include "csv.h"
#include "fields.h"
#include "report.h"

namespace {

struct BatchRun {
    int status;
    std::string out;
    std::string err;
};

std::string readAll(std::FILE* file) {
    std::string text;
    std::rewind(file);
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) text.append(buffer, n);
    return text;
}

BatchRun runOn(const std::string& input, Arguments arguments = {}) {
    std::FILE* in = std::tmpfile();
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    std::fwrite(input.data(), 1, input.size(), in);
    std::rewind(in);
    BatchRun run{runBatch(in, out, err, arguments), readAll(out), readAll(err)};
    std::fclose(in);
    std::fclose(out);
    std::fclose(err);
    return run;
}

int countLines(const std::string& text) {
    int n = 0;
    for (char c : text) n += c == '\n';
    return n;
}

TEST(Csv, SplitsCellsWithQuotesForDecimalCommas) {
    std::string_view cells[kMaxCells];
    int count = 0;
    EXPECT_EQ(splitCells(R"(exact, "1025,5" ,,12)", cells, kMaxCells, count), nullptr);
    ASSERT_EQ(count, 4);
    EXPECT_EQ(cells[1], "1025,5");
    EXPECT_EQ(cells[2], "");
    EXPECT_STREQ(splitCells(R"(1,"2)", cells, kMaxCells, count), "a quoted cell has no closing quote");
    EXPECT_STREQ(splitCells(R"("2"x,1)", cells, kMaxCells, count), "text after a quoted cell");
    EXPECT_STREQ(splitCells("1,2,3", cells, 2, count), "too many cells");
}

TEST(Csv, LinesAcrossBuffersWithoutFinalNewlineAndOverlong) {
    std::string longLine(100000, '7');  // longer than the first buffer
    std::string huge(kMaxLineLength + 10, 'x');
    std::string text = "a\r\n" + longLine + "\n" + huge + "\nb";
    std::FILE* file = std::tmpfile();
    std::fwrite(text.data(), 1, text.size(), file);
    std::rewind(file);
    LineReader reader = makeLineReader(file);
    std::string_view line;
    ASSERT_EQ(nextLine(reader, line), LineStatus::Line);
    EXPECT_EQ(line, "a");
    ASSERT_EQ(nextLine(reader, line), LineStatus::Line);
    EXPECT_EQ(line, longLine);
    EXPECT_EQ(nextLine(reader, line), LineStatus::TooLong);
    ASSERT_EQ(nextLine(reader, line), LineStatus::Line);
    EXPECT_EQ(line, "b");
    EXPECT_EQ(reader.lineNumber, 4);
    EXPECT_EQ(nextLine(reader, line), LineStatus::End);
    EXPECT_LE(reader.buffer.size(), 2 * kMaxLineLength + 2);
    std::fclose(file);
}

TEST(Header, AnySubsetInAnyOrderButOnlyKnownNamesOnce) {
    BatchColumns columns;
    ASSERT_EQ(readHeader(" density,method,temperature", columns), "");
    EXPECT_EQ(columns.count, 3);
    EXPECT_EQ(columns.quantity[0], Quantity::Density);
    EXPECT_EQ(columns.quantity[1], std::nullopt);
    EXPECT_EQ(readHeader("density,salinity", columns), "header: unknown column 'salinity'");
    EXPECT_EQ(readHeader("density,,pressure", columns), "header: column 2 has no name");
    EXPECT_EQ(readHeader("pressure,pressure", columns), "header: column 'pressure' appears twice");
    EXPECT_NE(readHeader("method,pressure,longitude,latitude,temperature,practicalSalinity,absoluteSalinity,density,"
                         "conductivity,specificGravity,referenceTemperature,clamped",
                         columns),
              "");
}

TEST(Rows, EmptyCellsTakeDefaultsOrAreAbsent) {
    BatchColumns columns;
    ASSERT_EQ(readHeader("method,pressure,density,conductivity", columns), "");
    Sample defaults = kDefaultSample;
    defaults.pressure = 7;
    RowInput row{};
    std::string error;
    ASSERT_TRUE(readRow(",,\"1025,5\",", columns, Ies80, defaults, row, error)) << error;
    EXPECT_EQ(row.method, Ies80);
    EXPECT_EQ(row.sample.pressure, 7.0);
    EXPECT_EQ(row.sample.density, 1025.5);
    EXPECT_FALSE(isPresent(row.sample.conductivity));
    ASSERT_TRUE(readRow("polynomial,3,,", columns, Ies80, defaults, row, error)) << error;
    EXPECT_EQ(row.method, Teos10Polynomial);
    EXPECT_EQ(row.sample.pressure, 3.0);
    EXPECT_FALSE(isPresent(row.sample.density));
}

TEST(Rows, ReasonsNameTheColumnAndTheText) {
    BatchColumns columns;
    ASSERT_EQ(readHeader("method,pressure,density,conductivity", columns), "");
    struct Case {
        const char* line;
        const char* reason;
    };
    const Case cases[] = {
        {"exact,1o,,", "pressure: '1o' is not a decimal number"},
        {"exact,1e999,,", "pressure: '1e999' is too large"},
        {"fast,1,,", "method: unknown method 'fast'"},
        {"exact,1,1025,40", "density and conductivity both given"},
        {"exact,1,1025", "3 cells where the header has 4"},
        {"exact,1,1025,,5", "5 cells where the header has 4"},
        {"1,2,3,4,5,6,7,8,9,10,11,12,13", "more cells than the header's 4"},
    };
    for (const Case& c : cases) {
        RowInput row{};
        std::string error;
        EXPECT_FALSE(readRow(c.line, columns, Teos10Exact, kDefaultSample, row, error)) << c.line;
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    }
}

TEST(Batch, BadRowsAreReportedByLineAndTheOthersConvertedInOrder) {
    BatchRun run = runOn(
        "practicalSalinity,temperature\r\n"
        "35,15\r\n"
        "abc,15\r\n"
        "\r\n"
        "30,\r\n"
        ",40\r\n");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "line 3: practicalSalinity: 'abc' is not a decimal number\n");
    ASSERT_EQ(countLines(run.out), 4) << run.out;
    EXPECT_EQ(run.out.find("method,pressure,"), 0u);
    EXPECT_NE(run.out.find("\nexact,0.00,2.348785,48.853402,15.00,35.00000,"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\nexact,0.00,2.348785,48.853402,15.00,30.00000,"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(",35.00,35.00000,"), std::string::npos) << run.out;  // defaults, temperature clamped
    EXPECT_EQ(run.out.substr(run.out.size() - 13), ",temperature\n");
}

TEST(Batch, BadHeaderOrNothingToReadStopsBeforeConverting) {
    BatchRun bad = runOn("density,colour\n1025,red\n");
    EXPECT_EQ(bad.status, 2);
    EXPECT_EQ(bad.out, "");
    EXPECT_EQ(bad.err, "line 1: header: unknown column 'colour'\n");
    BatchRun empty = runOn("");
    EXPECT_EQ(empty.status, 2);
    EXPECT_EQ(empty.out, "");
}

TEST(Batch, OptionsGiveTheDefaultsAndFahrenheitAppliesToColumns) {
    Arguments arguments;
    arguments.method = Ies80;
    arguments.style.fahrenheit = true;
    arguments.given.pressure = 100;
    arguments.givenInputs.add(Quantity::Pressure);
    BatchRun run = runOn("\xEF\xBB\xBFtemperature\n59\n", arguments);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("\nies80,100.00,2.348785,48.853402,59.00,35.00000,,"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(",68.00,\n"), std::string::npos) << run.out;
}

}  // namespace
