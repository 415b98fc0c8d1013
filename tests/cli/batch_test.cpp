// CSV reading and the batch loop, on in-memory streams.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "batch_rows.h"
#include "batch_run.h"
#include "csv.h"
#include "reader.h"
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

// The position of the start-up sample, given: a batch converts only what it is given.
Arguments inParis() {
    Arguments arguments;
    arguments.values.sample.longitude = kDefaultSample.longitude;
    arguments.values.sample.latitude = kDefaultSample.latitude;
    arguments.values.given = {Quantity::Longitude, Quantity::Latitude};
    return arguments;
}

// ... and the pressure and temperature of the start-up sample, for files that
// give none.
Arguments theStartUpSample() {
    Arguments arguments = inParis();
    arguments.values.sample.pressure = kDefaultSample.pressure;
    arguments.values.sample.temperature = kDefaultSample.temperature;
    arguments.values.given.add(Quantity::Pressure);
    arguments.values.given.add(Quantity::Temperature);
    return arguments;
}

BatchRun runOnFile(std::FILE* in, const Arguments& arguments, std::size_t chunkRows = kBatchChunkRows) {
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    BatchRun run{runBatch(in, out, err, arguments, chunkRows), readAll(out), readAll(err)};
    std::fclose(in);
    std::fclose(out);
    std::fclose(err);
    return run;
}

BatchRun runOn(const std::string& input, Arguments arguments = inParis(), std::size_t chunkRows = kBatchChunkRows) {
    std::FILE* in = std::tmpfile();
    std::fwrite(input.data(), 1, input.size(), in);
    std::rewind(in);
    return runOnFile(in, arguments, chunkRows);
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
        {"12,5 \"cm\"", detectDialect("density"), {"12,5 \"cm\""}},
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
        {"PRES,TEMP,CNDC", ',', '.', false}, {"PRES;TEMP;PSAL", ';', ',', false},   {"PRES\tTEMP", '\t', '.', false},
        {"\"a;b;c\",d", ',', '.', false},    {"a;b;c,d", ';', ',', false},          {"T;x,y,z", ',', '.', false},
        {"a\tb;c", '\t', '.', false},        {"practicalSalinity", ',', '.', true},
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
        {{"a\nb", true}, {}, "\"a\nb\""},
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
    CsvReader reader(file);
    ASSERT_EQ(reader.readHeader(), nullptr);
    EXPECT_EQ(reader.header(), "a");
    std::string_view line;
    ASSERT_EQ(reader.next(line), RecordStatus::Record);
    EXPECT_EQ(line, longLine);
    EXPECT_EQ(reader.next(line), RecordStatus::TooLong);
    ASSERT_EQ(reader.next(line), RecordStatus::Record);
    EXPECT_EQ(line, "b");
    EXPECT_EQ(reader.lineNumber(), 4);
    EXPECT_EQ(reader.next(line), RecordStatus::End);
    EXPECT_LE(reader.capacity(), 2 * kMaxLineLength + 2);
    std::fclose(file);
}

// Records with their first line's number: a quoted cell may hold line breaks;
// a quote not at the start of a cell, or never closed, holds none.
TEST(Csv, QuotedLineBreaksJoinLinesIntoOneRecord) {
    struct Case {
        std::string text;
        std::vector<std::pair<long, std::string>> records;
    };
    const Case cases[] = {
        {"a,\"x\ny\",1\nb\n", {{1, "a,\"x\ny\",1"}, {3, "b"}}},
        {"a, \"x\r\n\"\"y\r\n\r\nz\"\r\nb", {{1, "a, \"x\r\n\"\"y\r\n\r\nz\""}, {5, "b"}}},
        {"3\"5,\"x\ny\"\n", {{1, "3\"5,\"x\ny\""}}},
        {"a,b\"\nc\n", {{1, "a,b\""}, {2, "c"}}},
        {"a,\"open\nb\nc\n", {{1, "a,\"open"}, {2, "b"}, {3, "c"}}},
        {"a;\"x;\ny\"\n", {{1, "a;\"x;\ny\""}}},
    };
    for (const Case& c : cases) {
        std::FILE* file = std::tmpfile();
        std::fwrite(c.text.data(), 1, c.text.size(), file);
        std::rewind(file);
        CsvReader reader(file);
        std::vector<std::pair<long, std::string>> records;
        if (reader.readHeader() != CsvReader::kEmptyInput) records.emplace_back(1, reader.header());
        for (std::string_view record; reader.next(record) == RecordStatus::Record;)
            records.emplace_back(reader.recordLine(), record);
        EXPECT_EQ(records, c.records) << c.text;
        std::fclose(file);
    }
}

std::string header(std::string_view line, BatchColumns& columns, const std::vector<ColumnMapping>& mappings = {},
                   const UserUnits& units = {}, std::optional<Quantity> source = std::nullopt) {
    std::vector<Cell> cells;
    if (const char* reason = splitCells(line, detectDialect(line), cells)) return std::string("header: ") + reason;
    return readHeader(line, cells, mappings, source, units, columns).message();
}

std::vector<std::string> notesOf(const std::vector<Suggestion>& suggestions) {
    std::vector<std::string> notes;
    for (const Suggestion& suggestion : suggestions) notes.push_back(suggestion.note);
    return notes;
}

TEST(Header, OurNamesArchiveAndCfNamesAndMappedColumnsAreReadTheOthersCarried) {
    struct Case {
        const char* line;
        std::vector<ColumnMapping> mappings;
        std::optional<thalwen::Quantity> source;
        std::vector<ColumnRole> roles;
    };
    using enum ColumnUse;
    const Case cases[] = {
        {"station, density,method,temperature,absoluteSalinity",
         {},
         {},
         {{}, {Quantity, Quantity::Density}, {Method}, {Quantity, Quantity::Temperature}, {}}},
        // Names in any case, the words people write among them.
        {"PRES,Temp,Salinity,LATITUDE,Long,METHOD",
         {},
         {},
         {{Quantity, Quantity::Pressure},
          {Quantity, Quantity::Temperature},
          {Quantity, Quantity::PracticalSalinity},
          {Quantity, Quantity::Latitude},
          {Quantity, Quantity::Longitude},
          {Method}}},
        // The adjusted archive values over the raw ones, whichever comes first.
        {"PRES_ADJUSTED,PRES,TEMP,TEMP_ADJUSTED,psal_adjusted",
         {},
         {},
         {{Quantity, Quantity::Pressure},
          {},
          {},
          {Quantity, Quantity::Temperature},
          {Quantity, Quantity::PracticalSalinity}}},
        // Of several salinity-related columns, --source names the one read.
        {"sea_water_pressure,sea_water_temperature,sea_water_practical_salinity,sea_water_electrical_conductivity,"
         "sea_water_density,latitude",
         {},
         Quantity::Conductivity,
         {{Quantity, Quantity::Pressure},
          {Quantity, Quantity::Temperature},
          {},
          {Quantity, Quantity::Conductivity},
          {},
          {Quantity, Quantity::Latitude}}},
        // No scale stated: which salinity it is, is the user's to say.
        {"sea_water_salinity,TEMP", {}, {}, {{}, {Quantity, Quantity::Temperature}}},
        // The mapping wins over our own name and the archive's; a unit does not hide a name.
        {"p_dbar,t,\"Cond [S/m]\",PSAL,temperature,TEMP",
         {{Quantity::Pressure, "p_dbar"}, {Quantity::Temperature, "t"}, {Quantity::Conductivity, "Cond"}},
         Quantity::Conductivity,
         {{Quantity, Quantity::Pressure},
          {Quantity, Quantity::Temperature},
          {Quantity, Quantity::Conductivity},
          {},
          {},
          {}}},
    };
    for (const Case& c : cases) {
        BatchColumns columns;
        ASSERT_EQ(header(c.line, columns, c.mappings, {}, c.source), "") << c.line;
        ASSERT_EQ(columns.roles.size(), c.roles.size()) << c.line;
        for (std::size_t i = 0; i < c.roles.size(); ++i) {
            EXPECT_EQ(columns.roles[i].use, c.roles[i].use) << c.line << " column " << i + 1;
            if (c.roles[i].use == Quantity) {
                EXPECT_EQ(columns.roles[i].quantity, c.roles[i].quantity) << c.line;
            }
        }
    }
}

TEST(Header, UnitsInBracketsOrParenthesesAreHonoured) {
    BatchColumns columns;
    const UserUnits fahrenheitAndMicro = userUnits(true, *conductivityUnitNamed("uS/cm"));
    ASSERT_EQ(header("PRES [dbar], CNDC (S/m),TEMP [degC],referenceTemperature", columns, {}, fahrenheitAndMicro), "");
    EXPECT_EQ(columns.units.conductivity, conductivityUnitNamed("S/m"));
    EXPECT_EQ(columns.units.fahrenheit, QuantitySet{Quantity::ReferenceTemperature});  // no unit: the user's
    ASSERT_EQ(header("pressure,conductivity (µS/cm),TEMP (°F)", columns), "");
    EXPECT_EQ(columns.units.conductivity, conductivityUnitNamed("uS/cm"));
    EXPECT_EQ(columns.units.fahrenheit, QuantitySet{Quantity::Temperature});
    ASSERT_EQ(header("PSAL [psu],TEMP [deg C],PRES [db]", columns), "");  // as the archives write them
    EXPECT_EQ(splitUnit(" Cond [mS/cm] ").name, "Cond");
    EXPECT_EQ(splitUnit("(S/m)").unit, "");  // a name, however odd
}

TEST(Header, ErrorsNameTheHeaderTheColumnTheUnitAndTheMapping) {
    struct Case {
        const char* line;
        std::vector<ColumnMapping> mappings;
        const char* error;
    };
    const Case cases[] = {
        {"station,time,flag", {}, "header: no column to convert in 'station,time,flag'"},
        {"pressure,pressure", {}, "header: columns 1 'pressure' and 2 'pressure' both give pressure"},
        {"PRES,sea_water_pressure", {}, "header: columns 1 'PRES' and 2 'sea_water_pressure' both give pressure"},
        {"PRES,pressure", {}, "header: columns 1 'PRES' and 2 'pressure' both give pressure"},
        {"PRES [kg],TEMP", {}, "header: column 1 'PRES [kg]' (pressure): 'kg' is not a unit of pressure"},
        {"Cond [mS],TEMP", {{Quantity::Conductivity, "Cond"}}, "header: column 1 'Cond [mS]' (conductivity): 'mS' is"},
        {"PSAL [g/kg],TEMP", {}, "header: column 1 'PSAL [g/kg]' (practicalSalinity): 'g/kg' is not a unit of"},
        {"TEMP,PSAL,CNDC",
         {},
         "header: column 2 'PSAL' (practicalSalinity) and column 3 'CNDC' (conductivity) each give a salinity-related "
         "input; choose the one to convert from with --source practicalSalinity or --source conductivity"},
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

TEST(Header, CarriedColumnsNamedCloseToOnesReadGetTheColumnOptionThatReadsThem) {
    BatchColumns columns;
    EXPECT_NE(header("Pressur [dbar],Tmp (°C)", columns), "");  // nothing read, but the way to read them is told
    const std::vector<std::string> unread = {
        "column 1 'Pressur [dbar]' is carried; to read it as pressure, give --column pressure=Pressur",
        "column 2 'Tmp (°C)' is carried; to read it as temperature, give --column temperature=Tmp"};
    EXPECT_EQ(notesOf(columns.suggestions), unread);
    ASSERT_EQ(header("pressure,salinty,metod,sea water temp,Lattitude,Cnd [mS/s],colour,Densty", columns), "");
    const std::vector<std::string> suggested = {
        "column 2 'salinty' is carried; to read it as practicalSalinity, give --column practicalSalinity=salinty",
        "column 3 'metod' is carried; to read it as method, give --column method=metod",
        "column 5 'Lattitude' is carried; to read it as latitude, give --column latitude=Lattitude",
        "column 6 'Cnd [mS/s]' is carried; it looks like conductivity, but 'mS/s' is not a unit of conductivity",
        "column 8 'Densty' is carried; to read it as density, give --column density=Densty"};
    EXPECT_EQ(notesOf(columns.suggestions), suggested);
    ASSERT_EQ(header("pressure,station name", columns), "");  // read already: no suggestion
    EXPECT_TRUE(columns.suggestions.empty());
}

std::vector<Cell> cellsOf(std::string_view line) {
    std::vector<Cell> cells;
    EXPECT_EQ(splitCells(line, Dialect{}, cells), nullptr) << line;
    return cells;
}

BatchSetup setupOf(std::string_view line, const Arguments& arguments = inParis()) {
    BatchColumns columns;
    EXPECT_EQ(
        readHeader(line, cellsOf(line), arguments.columnMappings, arguments.source, userUnitsOf(arguments), columns)
            .message(),
        "")
        << line;
    BatchSetup setup;
    EXPECT_EQ(makeBatchSetup(arguments, Dialect{}, std::move(columns), setup).message(), "") << line;
    return setup;
}

// An empty cell is a missing measurement unless the option is given, and so
// is a cell that says so or holds a fill value; the method and the
// salinity-related cell, which a row may leave to an option, aside.
TEST(Rows, EmptyCellsAreMissingUnlessTheOptionFillsThem) {
    Arguments fills = inParis();
    fills.missing = {-999, 99999};
    const BatchSetup plain = setupOf("method,pressure,temperature,conductivity", fills);
    RowInput row{};
    EXPECT_EQ(readRow(cellsOf(",,10,40"), plain, row).message(),
              "column 2 'pressure': empty, a missing measurement (--pressure would fill empty cells)");
    for (const char* missing : {"exact,n/a,10,40", "exact,NaN,10,40", "exact,NA,10,40", "exact,-999.0,10,40"}) {
        const std::string said = readRow(cellsOf(missing), plain, row).message();
        EXPECT_NE(said.find(", a missing measurement (--pressure would fill missing cells)"), std::string::npos)
            << said;
    }
    for (const char* noSalinity : {"exact,1,10,", "exact,1,10,99999", "exact,1,10,nan"})
        EXPECT_EQ(
            readRow(cellsOf(noSalinity), plain, row).message(),
            "no salinity-related value: column 4 'conductivity' holds none (--salinity, --density, --conductivity "
            "or --specific-gravity would fill such rows)");
    ASSERT_EQ(readRow(cellsOf("polynomial,3,10,40"), plain, row).message(), "");
    EXPECT_EQ(row.method, Method::Teos10Polynomial);
    EXPECT_EQ(row.values.sample.conductivity, 40.0);
    EXPECT_FALSE(isPresent(row.values.sample.density));

    Arguments arguments = inParis();
    arguments.method = Method::Ies80;
    arguments.style.fahrenheit = true;
    arguments.values.sample.pressure = 7;
    arguments.values.sample.practicalSalinity = 35;
    arguments.values.sample.temperature = 50;
    arguments.values.given.add(Quantity::Pressure);
    arguments.values.given.add(Quantity::PracticalSalinity);
    arguments.values.given.add(Quantity::Temperature);
    const BatchSetup filled = setupOf("method,pressure,density,TEMP [degC]", arguments);
    ASSERT_EQ(readRow(cellsOf(",,,10"), filled, row).message(), "");
    EXPECT_EQ(row.method, Method::Ies80);
    EXPECT_EQ(row.values.sample.pressure, 7.0);
    EXPECT_EQ(row.values.sample.practicalSalinity, 35.0);
    EXPECT_EQ(row.units.fahrenheit, QuantitySet{Quantity::ReferenceTemperature});  // the column's °C, the option's °F
    ASSERT_EQ(readRow(cellsOf(",,,"), filled, row).message(), "");
    EXPECT_EQ(row.values.sample.temperature, 50.0);  // in °F, the option's unit
    EXPECT_EQ(row.units.fahrenheit, (QuantitySet{Quantity::Temperature, Quantity::ReferenceTemperature}));
    ASSERT_EQ(readRow(cellsOf(",1,1025,10"), filled, row).message(), "");
    EXPECT_FALSE(isPresent(row.values.sample.practicalSalinity));  // the row's density, not the option's salinity
    EXPECT_EQ(row.values.sample.density, 1025.0);

    Arguments conductivity = inParis();
    conductivity.values.sample.conductivity = 42;
    conductivity.values.given.add(Quantity::Conductivity);
    conductivity.values.given.add(Quantity::Temperature);
    ASSERT_EQ(readRow(cellsOf("1,"), setupOf("pressure,CNDC [S/m]", conductivity), row).message(), "");
    EXPECT_EQ(row.values.sample.conductivity, 42.0);
    EXPECT_EQ(row.units.conductivity, &kMilliSiemensPerCentimetre);  // the option's unit, not the column's

    ASSERT_EQ(readRow(cellsOf("0.5,283.15,35"), setupOf("PRES [bar],TEMP [K],PSAL"), row).message(), "");
    EXPECT_DOUBLE_EQ(row.values.sample.pressure, 5);  // in the engine's units, which the row's units then say
    EXPECT_NEAR(row.values.sample.temperature, 10, 1e-12);
    EXPECT_TRUE(row.units.fahrenheit.empty());
}

TEST(Rows, ReasonsNameTheColumnAndTheText) {
    Arguments arguments = inParis();
    arguments.columnMappings = {{Quantity::Pressure, "PRES"}};
    const BatchSetup setup = setupOf("method,PRES,temperature,density", arguments);
    struct Case {
        const char* line;
        const char* reason;
    };
    const Case cases[] = {
        {"exact,1o,10,", "column 2 'PRES' (pressure): '1o' is not a decimal number"},
        {"exact,1e999,10,", "column 2 'PRES' (pressure): '1e999' is too large"},
        {"fast,1,10,", "column 1 'method': 'fast' is no method: polynomial, exact or ies80"},
    };
    for (const Case& c : cases) {
        RowInput row{};
        const std::string error = readRow(cellsOf(c.line), setup, row).message();
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

Arguments quiet() {
    Arguments arguments = theStartUpSample();
    arguments.quiet = true;
    return arguments;
}

TEST(Batch, EveryRowOutBadRowsKeepTheirCellsWithEmptyResults) {
    BatchRun run = runOn(
        "station,practicalSalinity,temperature\r\n"
        "\"St. A, north\",35,15\r\n"
        "B,abc,15\r\n"
        "\r\n"
        "C,30\r\n"
        "D,,40\r\n"
        "\"F\r\nG\",34,12\r\n"
        ", ,\r\n"
        "\"\",\"\",\" \"\r\n"
        "E,\"1,2\r\n",
        quiet());
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err,
              "line 3: column 2 'practicalSalinity': 'abc' is not a decimal number\n"
              "line 5: 2 cells where the header has 3: none for column 3 'temperature'\n"
              "line 6: no salinity-related value: column 2 'practicalSalinity' holds none (--salinity, --density, "
              "--conductivity or --specific-gravity would fill such rows)\n"
              "line 11: column 2: a quoted cell has no closing quote: 'E,\"1,2'\n");
    const std::vector<std::string> lines = linesOf(run.out);
    ASSERT_EQ(lines.size(), 11u) << run.out;
    EXPECT_EQ(lines[0].find("station,practicalSalinity,temperature,method,pressure,"), 0u) << lines[0];
    EXPECT_EQ(lines[1].find("\"St. A, north\",35,15,exact,0.00,2.348785,48.853402,15.00,35.00000,"), 0u) << lines[1];
    EXPECT_EQ(lines[2], "B,abc,15,,,,,,,,,,,,\r\n");
    EXPECT_EQ(lines[3], "\r\n");
    EXPECT_EQ(lines[4], "C,30,,,,,,,,,,,,,\r\n");
    EXPECT_EQ(lines[5], "D,,40,,,,,,,,,,,,\r\n");  // no salinity: no result invented
    EXPECT_EQ(lines[6], "\"F\r\n");                // a line break in a cell, carried as it was
    EXPECT_EQ(lines[7].find("G\",34,12,exact,0.00,2.348785,48.853402,12.00,34.00000,"), 0u) << lines[7];
    EXPECT_EQ(lines[8], ", ,,,,,,,,,,,,,\r\n");               // nothing given: neither converted nor reported
    EXPECT_EQ(lines[9], ",, ,,,,,,,,,,,,\r\n");               // nor in quotes
    EXPECT_EQ(lines[10], "\"E,\"\"1,2\",,,,,,,,,,,,,,\r\n");  // a line that splits into no row: one cell
}

// What standard error tells of a cast as profile archives name its columns:
// the columns read and carried, the values assumed, the near misses, the end.
TEST(Batch, NotesTellWhatIsReadCarriedAndAssumedThenTheCount) {
    Arguments arguments = inParis();
    arguments.values.sample.temperature = 12;
    arguments.values.given.add(Quantity::Temperature);
    BatchRun run = runOn(
        "station,PRES,TEMP (degC),CNDC,Latitude\n"
        "A,5,10.5,4.1,-35\n"
        "A,10,,4.0,-35\n"
        "A,15,9.8,,-35\n"
        "A,20,9.0,9.9,\n"
        ",,,,\n",
        arguments);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err,
              "thalwen-convert: read: column 2 'PRES' as pressure in dbar, column 3 'TEMP (degC)' as temperature in "
              "°C, column 4 'CNDC' as conductivity in S/m, the profile archives' unit, column 5 'Latitude' as "
              "latitude in °N\n"
              "thalwen-convert: carried: column 1 'station'\n"
              "thalwen-convert: for every row: longitude 2.348785 °E (--longitude), referenceTemperature 20 °C "
              "(--reference-temperature), method exact (--method)\n"
              "thalwen-convert: empty cells: column 3 'TEMP (degC)' take temperature 12 °C (--temperature), column 5 "
              "'Latitude' take latitude 48.853402 °N (--latitude)\n"
              "line 4: no salinity-related value: column 4 'CNDC' (conductivity) holds none (--salinity, "
              "--density, --conductivity or --specific-gravity would fill such rows)\n"
              "thalwen-convert: 3 rows converted (1 with inputs brought to their bounds), 1 row without results "
              "(reported above), 1 row of empty cells left empty\n");
    EXPECT_NE(run.out.find("\nA,10,,4.0,-35,exact,10.00,2.348785,-35.000000,12.00,"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\nA,20,9.0,9.9,,exact,20.00,2.348785,48.853402,9.00,"), std::string::npos) << run.out;
    Arguments options = inParis();  // the values the rows take, in the options' unit
    options.style.fahrenheit = true;
    options.values.sample.longitude = 151.3;
    options.values.sample.density = 1025;
    options.values.given.add(Quantity::Density);
    const std::string notes = runOn("PRES,TEMP,PSAL\n1,50,35\n", options).err;
    EXPECT_NE(notes.find("for every row: longitude 151.3 °E (--longitude), latitude 48.853402 °N (--latitude), "
                         "referenceTemperature 68 °F (--reference-temperature), method"),
              std::string::npos)
        << notes;
    EXPECT_NE(notes.find("empty cells: rows without a salinity-related value take density 1025 kg/m³ (--density)\n"),
              std::string::npos)
        << notes;
}

// Comment lines before the header go to the output first; an input not in
// UTF-8 is said, and written in UTF-8.
TEST(Batch, CommentLinesAreCarriedOtherEncodingsSaid) {
    const BatchRun latin1 = runOn(
        "# cast 12\nTEMP (\xB0"
        "C),PSAL\n10,35\n",
        theStartUpSample());
    EXPECT_EQ(latin1.out.find("# cast 12\nTEMP (°C),PSAL,method,"), 0u) << latin1.out;
    EXPECT_EQ(latin1.err.find("thalwen-convert: the input is not UTF-8: read as Latin-1 (ISO 8859-1), written in "
                              "UTF-8\nthalwen-convert: read: column 1 'TEMP (°C)' as temperature in °C,"),
              0u)
        << latin1.err;
}

// A batch converts only what it is given: nothing is assumed of what no
// column and no option gives but the reference temperature, a convention.
TEST(Batch, WhatNothingGivesIsRefusedBeforeAnyRow) {
    struct Case {
        const char* input;
        Arguments arguments;
        const char* said;
    };
    Arguments ies80;
    ies80.method = Method::Ies80;
    const Case cases[] = {
        {"PRES,TEMP\n1,2\n", inParis(),
         "thalwen-convert: nothing gives a salinity-related input (practicalSalinity, density, conductivity or "
         "specificGravity): no column is read as it, and none of --salinity, --density, --conductivity or "
         "--specific-gravity is given\n"},
        {"PRES,T_insitu,PSAL\n1,2,35\n", inParis(),
         "thalwen-convert: nothing gives temperature: no column is read as it, and --temperature is not given\n"},
        {"PRES,TEMP,PSAL,Lat\n1,2,35,-35\n",
         {},
         "thalwen-convert: nothing gives longitude (TEOS-10 needs the position): no column is read as it, and "
         "--longitude is not given\n"},
        {"TEMP,PSAL,pressur\n1,35,2\n", ies80,
         "thalwen-convert: nothing gives pressure: no column is read as it, and --pressure is not given\n"
         "thalwen-convert: column 3 'pressur' is carried; to read it as pressure, give --column pressure=pressur\n"},
    };
    for (const Case& c : cases) {
        const BatchRun run = runOn(c.input, c.arguments);
        EXPECT_EQ(run.status, 2) << c.input;
        EXPECT_EQ(run.out, "") << c.input;
        EXPECT_EQ(run.err, c.said) << c.input;
    }
    // IES-80 has no use for a position not given, and shows none.
    const BatchRun ies = runOn("PRES,TEMP,PSAL\n1,2,35\n", ies80);
    EXPECT_EQ(ies.status, 0) << ies.err;
    EXPECT_NE(ies.out.find("\n1,2,35,ies80,1.00,,,2.00,35.00000,,"), std::string::npos) << ies.out;
}

// Values no sample can have are no measurements: reported with the hint that
// would make them gaps, which --missing does.
TEST(Batch, ValuesOutsideTheirBandGiveNoResultsFillValuesAreGaps) {
    const std::string input = "PRES,TEMP,PSAL,LONGITUDE\n-999,10,35,1\n5,99999,35,1\n5,10,35,-999\n5,-2.3,50,1\n";
    const BatchRun run = runOn(input, quiet());
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err,
              "line 2: column 1 'PRES' (pressure): '-999' is below a vacuum: no measurement; if it marks a gap, give "
              "--missing -999\n"
              "line 3: column 2 'TEMP' (temperature): '99999' is hotter than liquid water can be at any pressure "
              "(374 °C): no measurement; if it marks a gap, give --missing 99999\n"
              "line 4: column 4 'LONGITUDE' (longitude): '-999' is more than a turn west: no measurement; if it "
              "marks a gap, give --missing -999\n");
    EXPECT_NE(run.out.find("\n5,-2.3,50,1,exact,5.00,1.000000,48.853402,-2.00,42.00000,"), std::string::npos);
    Arguments fills = inParis();  // a fill value of the longitude is a gap the option fills
    fills.quiet = true;
    fills.missing = {-999, 99999};
    const BatchRun gaps = runOn(input, fills);
    EXPECT_EQ(gaps.err.find("line 2: column 1 'PRES' (pressure): '-999', a missing measurement (--pressure would "
                            "fill missing cells)\nline 3: column 2 'TEMP' (temperature): '99999', a missing"),
              0u)
        << gaps.err;
    EXPECT_NE(gaps.out.find("\n5,10,35,-999,exact,5.00,2.348785,"), std::string::npos) << gaps.out;
}

// Our own output, read back, gives the same water: the units its header names
// are honoured, its Practical Salinity is the source, and the columns before
// its results (a CNDC among them) are carried, not read.
TEST(Batch, OwnOutputReadsBackAsTheSameWater) {
    Arguments other = quiet();
    other.style.fahrenheit = true;
    other.style.full = true;
    other.style.conductivityUnit = conductivityUnitNamed("uS/cm");
    const BatchRun first = runOn("id;PRES;TEMP;CNDC [uS/cm]\nA;1000;40,1;35000\nB;0;77;52000\n", other);
    Arguments back = quiet();
    back.style.full = true;
    const BatchRun again = runOn(first.out, back);
    ASSERT_EQ(again.status, 0) << first.out << again.err;
    EXPECT_EQ(runOn(first.out).err.find("is carried;"), std::string::npos);  // what it derived is meant to be
    const std::vector<std::string> before = linesOf(first.out), after = linesOf(again.out);
    ASSERT_EQ(after.size(), 3u);
    for (std::size_t row = 1; row < 3; ++row) {
        std::vector<Cell> written, read;
        ASSERT_EQ(splitCells(trimBlanks(before[row]), detectDialect("a;b"), written), nullptr);
        ASSERT_EQ(splitCells(trimBlanks(after[row]), detectDialect("a;b"), read), nullptr);
        ASSERT_EQ(read.size(), written.size() + kEarlierResultColumns);
        const auto number = [](const Cell& cell) {
            double value = 0;
            EXPECT_EQ(readDecimal(cell.text, value), nullptr) << cell.text;
            return value;
        };
        EXPECT_NEAR(number(read[written.size() + 4]), (number(written[8]) - 32) / 1.8, 1e-12);  // °F, then °C
        EXPECT_EQ(number(read[written.size() + 5]), number(written[9]));                        // Practical Salinity
        EXPECT_NEAR(number(read[written.size() + 7]), number(written[11]), 1e-9);               // density
        EXPECT_NEAR(number(read[written.size() + 8]) * 1000, number(written[12]), 1e-6);        // µS/cm, then mS/cm
    }
}

TEST(Batch, OutputInTheInputsDialect) {
    Arguments mapped = theStartUpSample();
    mapped.columnMappings = {{Quantity::PracticalSalinity, "PSAL"}, {Quantity::Temperature, "TEMP"}};
    mapped.values.sample.latitude = -90;
    mapped.values.given.add(Quantity::Latitude);
    BatchRun semicolon = runOn("\xEF\xBB\xBFPSAL;TEMP;station\n35,5;40;\"S;1\"\n", mapped);
    EXPECT_EQ(semicolon.status, 0) << semicolon.err;
    const std::vector<std::string> lines = linesOf(semicolon.out);
    ASSERT_EQ(lines.size(), 2u) << semicolon.out;
    EXPECT_EQ(lines[0].find("\xEF\xBB\xBFPSAL;TEMP;station;method;pressure;longitude;"), 0u) << lines[0];
    EXPECT_EQ(lines[1].find("35,5;40;\"S;1\";exact;0,00;2,348785;-86,000000;35,00;35,50000;"), 0u) << lines[1];
    EXPECT_EQ(lines[1].substr(lines[1].size() - 24), ";\"latitude;temperature\"\n");  // quoted where ';' separates
    Arguments salinity = theStartUpSample();
    salinity.values.sample.practicalSalinity = 35;
    salinity.values.given.add(Quantity::PracticalSalinity);
    BatchRun tab = runOn("name\ttemperature\nx y\t10\n\t\n", salinity);
    EXPECT_EQ(tab.status, 0) << tab.err;
    EXPECT_EQ(tab.out.substr(tab.out.size() - 15), "\n\t\t\t\t\t\t\t\t\t\t\t\t\t\n");  // tabs are cells, not blanks
    EXPECT_NE(tab.out.find("\nx y\t10\texact\t0.00\t2.348785\t48.853402\t10.00\t35.00000\t"), std::string::npos)
        << tab.out;
    salinity.style.outputs = {*outputNamed("sigma0"), *outputNamed("soundSpeed")};
    // The GSW package's pot_rho_t_exact and sound_speed_t_exact give 27.345065 and 1490.399114.
    EXPECT_EQ(runOn("TEMP;PSAL\n10;35,5\n", salinity).out,
              "TEMP;PSAL;sigma0;soundSpeed;clamped\n10;35,5;27,34507;1490,399;\n");
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
    Arguments one = quiet(), three = quiet();
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
    EXPECT_NE(runOn("Pressur [dbar],Tmp\n1,2\n")
                  .err.find("\nthalwen-convert: column 1 'Pressur [dbar]' is carried; to read it as pressure, give "
                            "--column pressure=Pressur\n"),
              std::string::npos);
    BatchRun empty = runOn("");
    EXPECT_EQ(empty.status, 2);
    EXPECT_EQ(empty.out, "");
}

// The comment lines above the header stay above it, after the byte-order
// mark, and count in the numbers of the lines.
TEST(Batch, CommentLinesLeadTheOutputAfterTheMark) {
    const BatchRun run = runOn("\xEF\xBB\xBF# cruise 7\n\npracticalSalinity\nabc\n", quiet());
    EXPECT_EQ(run.out.find("\xEF\xBB\xBF# cruise 7\n\npracticalSalinity,method,"), 0u) << run.out;
    EXPECT_EQ(run.err, "line 4: column 1 'practicalSalinity': 'abc' is not a decimal number\n");
    EXPECT_EQ(runOn("// c\nstation\n").err.find("line 2: header: no column to convert in 'station'"), 0u);
    EXPECT_EQ(runOn("# c\n\n").err, "thalwen-convert: the batch input holds no header line\n");
}

// A report points at the first line of its record, and a line too long to
// hold is a row without results like any other.
TEST(Batch, ReportsPointAtARecordsFirstLineAndCountOverlongLines) {
    const BatchRun split = runOn("station,practicalSalinity\n\"A\nB\",abc\n", quiet());
    EXPECT_EQ(split.err, "line 2: column 2 'practicalSalinity': 'abc' is not a decimal number\n");
    const BatchRun overlong =
        runOn("practicalSalinity\n" + std::string(kMaxLineLength + 1, '7') + "\n35\n", theStartUpSample());
    EXPECT_EQ(overlong.status, 1);
    EXPECT_NE(overlong.err.find("1 row converted, 1 row without results (reported above)"), std::string::npos)
        << overlong.err;
}

// A read that fails after the header ends the batch with the system's
// reason, not as if the file ended there.
TEST(Batch, AReadErrorAfterTheHeaderEndsTheBatchWithTheReason) {
    std::string text = "practicalSalinity\n";
    for (int i = 0; i < 30000; ++i) text += "35\n";  // more than the first read takes
    std::string_view unread = text;
    cookie_io_functions_t io{};
    io.read = [](void* cookie, char* buffer, std::size_t size) -> ssize_t {
        auto& rest = *static_cast<std::string_view*>(cookie);
        if (rest.empty()) {
            errno = EIO;
            return -1;
        }
        size = std::min(size, rest.size());
        std::memcpy(buffer, rest.data(), size);
        rest.remove_prefix(size);
        return static_cast<ssize_t>(size);
    };
    const BatchRun run = runOnFile(fopencookie(&unread, "r", io), quiet());
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("reading the batch input failed: Input/output error"), std::string::npos) << run.err;
}

TEST(Batch, OptionsGiveTheDefaultsAndFahrenheitAppliesToColumns) {
    Arguments arguments = inParis();
    arguments.method = Method::Ies80;
    arguments.style.fahrenheit = true;
    arguments.values.sample.pressure = 100;
    arguments.values.sample.practicalSalinity = 35;
    arguments.values.given.add(Quantity::Pressure);
    arguments.values.given.add(Quantity::PracticalSalinity);
    BatchRun run = runOn("temperature\n59\n50,5\n", arguments);  // one column: a comma is a decimal comma
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("\n59,ies80,100.00,2.348785,48.853402,59.00,35.00000,,"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\n\"50,5\",ies80,100.00,2.348785,48.853402,50.50,35.00000,,"), std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find(",68.00,\n"), std::string::npos) << run.out;
}

}  // namespace
