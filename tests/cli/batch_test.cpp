// CSV reading and the batch loop, on in-memory streams.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "batch.h"
#include "csv.h"
#include "quantity_options.h"
#include "user_conversion.h"

using namespace thalwen;

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

BatchRun runOn(const std::string& input, Arguments arguments = {}, std::size_t chunkRows = kBatchChunkRows) {
    std::FILE* in = std::tmpfile();
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    std::fwrite(input.data(), 1, input.size(), in);
    std::rewind(in);
    BatchRun run{runBatch(in, out, err, arguments, chunkRows), readAll(out), readAll(err)};
    std::fclose(in);
    std::fclose(out);
    std::fclose(err);
    return run;
}

std::vector<std::string> cellTexts(std::string_view line, const Dialect& dialect = {}) {
    std::vector<Cell> cells;
    if (const char* reason = splitCells(line, dialect, cells)) return {reason};
    std::vector<std::string> texts;
    for (const Cell& cell : cells) texts.push_back(cellText(cell));
    return texts;
}

using Texts = std::vector<std::string>;

TEST(Csv, SplitsCellsByTheDialectWithQuotedSeparators) {
    const Dialect semicolon = detectDialect("a;b");
    struct Case {
        std::string line;
        Dialect dialect;
        Texts cells;
    };
    const Case cases[] = {
        {R"(exact, "1025,5" ,,12)", {}, {"exact", "1025,5", "", "12"}},
        {R"("St. ""A"", north",1)", {}, {"St. \"A\", north", "1"}},
        {"12,5;\"a;b\";", semicolon, {"12,5", "a;b", ""}},
        {" 1\t\t\"x\ty\"", detectDialect("a\tb"), {" 1", "", "x\ty"}},
        {"12,5", detectDialect("density"), {"12,5"}},
        {R"(1,"2)", {}, {"a quoted cell has no closing quote"}},
        {R"("2"x,1)", {}, {"text after a quoted cell"}},
        {std::string(2 * kMaxCells, ','), {}, {"more cells than any row may have"}},
    };
    for (const Case& c : cases) EXPECT_EQ(cellTexts(c.line, c.dialect), c.cells) << c.line;
}

TEST(Csv, DialectFromTheSeparatorTheHeaderHoldsMost) {
    struct Case {
        const char* header;
        char separator;
        char decimalPoint;
        bool oneColumn;
    };
    const Case cases[] = {
        {"prDM,t090C,c0S/m", ',', '.', false}, {"PRES;TEMP;PSAL", ';', ',', false},   {"PRES\tTEMP", '\t', '.', false},
        {"\"a;b;c\",d", ',', '.', false},      {"a;b;c,d", ';', ',', false},          {"T;x,y,z", ',', '.', false},
        {"a\tb;c", '\t', '.', false},          {"practicalSalinity", ',', '.', true},
    };
    for (const Case& c : cases) {
        const Dialect dialect = detectDialect(c.header);
        EXPECT_EQ(dialect.separator, c.separator) << c.header;
        EXPECT_EQ(dialect.decimalPoint, c.decimalPoint) << c.header;
        EXPECT_EQ(dialect.oneColumn, c.oneColumn) << c.header;
    }
}

TEST(Csv, CellsAreQuotedOnlyWhereTheDialectNeedsIt) {
    const Dialect semicolon = detectDialect("a;b");
    struct Case {
        Cell cell;
        Dialect dialect;
        const char* written;
    };
    const Case cases[] = {
        {{"12,5", false}, semicolon, "12,5"},
        {{"12,5", true}, semicolon, "12,5"},
        {{"12,5", false}, {}, "\"12,5\""},
        {{"a;b", true}, semicolon, "\"a;b\""},
        {{"say \"\"hi\"\"", true}, {}, "\"say \"\"hi\"\"\""},
        {{"5\" pipe", false}, {}, "\"5\"\" pipe\""},  // a stray quote is doubled
    };
    for (const Case& c : cases) {
        std::string out;
        appendCell(out, c.cell, c.dialect);
        EXPECT_EQ(out, c.written) << c.cell.text;
    }
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

std::string header(std::string_view line, BatchColumns& columns, const std::vector<ColumnMapping>& mappings = {}) {
    return readHeader(line, detectDialect(line), mappings, columns);
}

TEST(Header, OurNamesAndMappedColumnsAreReadTheOthersCarried) {
    BatchColumns columns;
    ASSERT_EQ(header("station, density,method,temperature,absoluteSalinity", columns), "");
    ASSERT_EQ(columns.roles.size(), 5u);
    EXPECT_EQ(columns.roles[0].use, ColumnUse::Carried);
    EXPECT_EQ(columns.roles[1].use, ColumnUse::Quantity);
    EXPECT_EQ(columns.roles[1].quantity, Quantity::Density);
    EXPECT_EQ(columns.roles[2].use, ColumnUse::Method);
    EXPECT_EQ(columns.roles[4].use, ColumnUse::Carried);  // a result: carried, not read

    const std::vector<ColumnMapping> sbe = {
        {Quantity::Pressure, "prDM"}, {Quantity::Temperature, "t090C"}, {Quantity::Conductivity, "c0S/m"}};
    ASSERT_EQ(header("prDM,t090C,\"c0S/m\",sal00,temperature", columns, sbe), "");
    EXPECT_EQ(columns.roles[1].quantity, Quantity::Temperature);
    EXPECT_EQ(columns.roles[2].quantity, Quantity::Conductivity);
    EXPECT_EQ(columns.roles[3].use, ColumnUse::Carried);
    EXPECT_EQ(columns.roles[4].use, ColumnUse::Carried);  // the mapping wins over our own name
    EXPECT_TRUE(columns.notes.empty());

    ASSERT_EQ(header("Temperature,density,METHOD", columns), "");
    EXPECT_EQ(columns.roles[0].use, ColumnUse::Carried);
    EXPECT_EQ(columns.notes,
              (std::vector<std::string>{"column 1 'Temperature' is carried, not read as temperature; to read it, give "
                                        "--column temperature=Temperature",
                                        "column 3 'METHOD' is carried, not read as method; to read it, give --column "
                                        "method=METHOD"}));
}

TEST(Header, ErrorsNameTheHeaderTheColumnAndTheMapping) {
    struct Case {
        const char* line;
        std::vector<ColumnMapping> mappings;
        const char* error;
    };
    const Case cases[] = {
        {"station,time,flag", {}, "header: no column to convert in 'station,time,flag'"},
        {"pressure,pressure", {}, "header: column 'pressure' appears twice"},
        {"PRES,TEMP", {{Quantity::Pressure, "PRESSURE"}}, "--column pressure=PRESSURE: the header has no column"},
        {"T,T", {{Quantity::Temperature, "T"}}, "--column temperature=T: the header has more than one column 'T'"},
        {"T,x", {{Quantity::Temperature, "T"}, {std::nullopt, "T"}}, "--column method=T: column 'T' is mapped twice"},
        {"a,\"b", {}, "header: a quoted cell has no closing quote"},
    };
    for (const Case& c : cases) {
        BatchColumns columns;
        EXPECT_EQ(header(c.line, columns, c.mappings).find(c.error), 0u) << header(c.line, columns, c.mappings);
    }
}

std::vector<Cell> cellsOf(std::string_view line) {
    std::vector<Cell> cells;
    EXPECT_EQ(splitCells(line, Dialect{}, cells), nullptr) << line;
    return cells;
}

TEST(Rows, EmptyCellsTakeDefaultsOrAreAbsent) {
    BatchColumns columns;
    ASSERT_EQ(header("method,pressure,density,conductivity", columns), "");
    Sample defaults = kDefaultSample;
    defaults.pressure = 7;
    RowInput row{};
    std::string error;
    ASSERT_TRUE(readRow(cellsOf(",,\"1025,5\","), columns, Method::Ies80, defaults, row, error)) << error;
    EXPECT_EQ(row.method, Method::Ies80);
    EXPECT_EQ(row.sample.pressure, 7.0);
    EXPECT_EQ(row.sample.density, 1025.5);
    EXPECT_FALSE(isPresent(row.sample.conductivity));
    ASSERT_TRUE(readRow(cellsOf("polynomial,3,,"), columns, Method::Ies80, defaults, row, error)) << error;
    EXPECT_EQ(row.method, Method::Teos10Polynomial);
    EXPECT_EQ(row.sample.pressure, 3.0);
    EXPECT_FALSE(isPresent(row.sample.density));
}

TEST(Rows, ReasonsNameTheColumnAndTheText) {
    BatchColumns columns;
    ASSERT_EQ(header("method,PRES,density,conductivity", columns, {{Quantity::Pressure, "PRES"}}), "");
    struct Case {
        const char* line;
        const char* reason;
    };
    const Case cases[] = {
        {"exact,1o,,", "column 2 'PRES' (pressure): '1o' is not a decimal number"},
        {"exact,1e999,,", "column 2 'PRES' (pressure): '1e999' is too large"},
        {"fast,1,,", "column 1 'method': unknown method 'fast'"},
        {"exact,1,1025,40", "column 4 'conductivity': '40' given with '1025' in column 3 'density'; give at most one"},
    };
    for (const Case& c : cases) {
        RowInput row{};
        std::string error;
        EXPECT_FALSE(readRow(cellsOf(c.line), columns, Method::Teos10Exact, kDefaultSample, row, error)) << c.line;
        EXPECT_EQ(error.find(c.reason), 0u) << error;
    }
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t stop = text.find('\n', start);
        lines.push_back(text.substr(start, stop - start + 1));
        start = stop + 1;
    }
    return lines;
}

TEST(Batch, EveryRowOutBadRowsKeepTheirCellsWithEmptyResults) {
    BatchRun run = runOn(
        "station,practicalSalinity,temperature\r\n"
        "\"St. A, north\",35,15\r\n"
        "B,abc,15\r\n"
        "\r\n"
        "C,30\r\n"
        "D,,40\r\n"
        "E,\"1,2\r\n"
        ", ,\r\n"
        "\"\",\"\",\" \"\r\n");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err,
              "line 3: column 2 'practicalSalinity': 'abc' is not a decimal number\n"
              "line 5: 2 cells where the header has 3: none for column 3 'temperature'\n"
              "line 7: column 2: a quoted cell has no closing quote: 'E,\"1,2'\n");
    const std::vector<std::string> lines = linesOf(run.out);
    ASSERT_EQ(lines.size(), 9u) << run.out;
    EXPECT_EQ(lines[0].find("station,practicalSalinity,temperature,method,pressure,"), 0u) << lines[0];
    EXPECT_EQ(lines[1].find("\"St. A, north\",35,15,exact,0.00,2.348785,48.853402,15.00,35.00000,"), 0u) << lines[1];
    EXPECT_EQ(lines[2], "B,abc,15,,,,,,,,,,,,\r\n");
    EXPECT_EQ(lines[3], "\r\n");
    EXPECT_EQ(lines[4], "C,30,,,,,,,,,,,,,\r\n");
    EXPECT_EQ(lines[5].find("D,,40,exact,0.00,2.348785,48.853402,35.00,35.00000,"), 0u) << lines[5];
    EXPECT_EQ(lines[5].substr(lines[5].size() - 14), ",temperature\r\n");  // defaults, temperature clamped
    EXPECT_EQ(lines[6], "\"E,\"\"1,2\",,,,,,,,,,,,,,\r\n");                // a line that splits into no row: one cell
    EXPECT_EQ(lines[7], ", ,,,,,,,,,,,,,\r\n");  // nothing given: neither converted nor reported
    EXPECT_EQ(lines[8], ",, ,,,,,,,,,,,,\r\n");  // nor in quotes
}

TEST(Batch, OutputInTheInputsDialect) {
    Arguments mapped;
    mapped.columnMappings = {{Quantity::PracticalSalinity, "PSAL"}, {Quantity::Temperature, "TEMP"}};
    mapped.given.latitude = -90;
    mapped.givenInputs.add(Quantity::Latitude);
    BatchRun semicolon = runOn("\xEF\xBB\xBFPSAL;TEMP;station\n35,5;40;\"S;1\"\n", mapped);
    EXPECT_EQ(semicolon.status, 0) << semicolon.err;
    const std::vector<std::string> lines = linesOf(semicolon.out);
    ASSERT_EQ(lines.size(), 2u) << semicolon.out;
    EXPECT_EQ(lines[0].find("\xEF\xBB\xBFPSAL;TEMP;station;method;pressure;longitude;"), 0u) << lines[0];
    EXPECT_EQ(lines[1].find("35,5;40;\"S;1\";exact;0,00;2,348785;-86,000000;35,00;35,50000;"), 0u) << lines[1];
    EXPECT_EQ(lines[1].substr(lines[1].size() - 24), ";\"latitude;temperature\"\n");  // quoted where ';' separates
    BatchRun tab = runOn("name\ttemperature\nx y\t10\n\t\n");
    EXPECT_EQ(tab.status, 0) << tab.err;
    EXPECT_EQ(tab.out.substr(tab.out.size() - 15), "\n\t\t\t\t\t\t\t\t\t\t\t\t\t\n");  // tabs are cells, not blanks
    EXPECT_NE(tab.out.find("\nx y\t10\texact\t0.00\t2.348785\t48.853402\t10.00\t35.00000\t"), std::string::npos)
        << tab.out;
}

// Chunks of five rows: the chunks in flight go round their ring hundreds of
// times, so a slip in handing them between threads shows, bad rows among them.
TEST(Batch, AnyNumberOfJobsWritesTheSameRowsAndReports) {
    std::string input = "station;practicalSalinity;temperature\n";
    for (int i = 0; i < 6000; ++i) {
        input += "S" + std::to_string(i) + ';' + std::to_string(30 + i % 11) + ",5;";
        input += i % 997 == 5 ? "warm" : std::to_string(i % 37);
        input += '\n';
    }
    Arguments one, three;
    one.jobs = 1;
    three.jobs = 3;
    const BatchRun single = runOn(input, one, 5), parallel = runOn(input, three, 5);
    EXPECT_EQ(single.status, 1);
    EXPECT_EQ(parallel.status, 1);
    EXPECT_EQ(linesOf(single.out).size(), 6001u);
    EXPECT_EQ(single.err.find("line 7: column 3 'temperature': 'warm' is not a decimal number\n"), 0u) << single.err;
    EXPECT_TRUE(single.out == parallel.out);  // not EXPECT_EQ: a diff of megabytes helps nobody
    EXPECT_EQ(single.err, parallel.err);
}

TEST(Batch, BadHeaderOrNothingToReadStopsBeforeConverting) {
    BatchRun bad = runOn("station,colour\nA,red\n");
    EXPECT_EQ(bad.status, 2);
    EXPECT_EQ(bad.out, "");
    EXPECT_EQ(bad.err.find("line 1: header: no column to convert in 'station,colour'"), 0u) << bad.err;
    BatchRun empty = runOn("");
    EXPECT_EQ(empty.status, 2);
    EXPECT_EQ(empty.out, "");
}

TEST(Batch, OptionsGiveTheDefaultsAndFahrenheitAppliesToColumns) {
    Arguments arguments;
    arguments.method = Method::Ies80;
    arguments.style.fahrenheit = true;
    arguments.given.pressure = 100;
    arguments.givenInputs.add(Quantity::Pressure);
    BatchRun run = runOn("temperature\n59\n50,5\n", arguments);  // one column: a comma is a decimal comma
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("\n59,ies80,100.00,2.348785,48.853402,59.00,35.00000,,"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\n\"50,5\",ies80,100.00,2.348785,48.853402,50.50,35.00000,,"), std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find(",68.00,\n"), std::string::npos) << run.out;
}

}  // namespace
