// The built program, run as a user runs it: exit status and the two streams.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

struct ProcessRun {
    int status;
    std::string out;
    std::string err;
};

std::string slurp(const std::filesystem::path& path) {
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// arguments is shell text; input goes to standard input, standard output to
// output when given.
ProcessRun runProgram(const std::string& arguments, const std::string& input = "", std::string output = "") {
    auto dir =
        std::filesystem::temp_directory_path() / ("thalwen-cli-test-" + std::to_string(::getpid()) + "-" +
                                                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "in") << input;
    if (output.empty()) output = (dir / "out").string();
    std::string command = std::string("'") + THALWEN_CONVERT + "' " + arguments + " <'" + (dir / "in").string() +
                          "' >'" + output + "' 2>'" + (dir / "err").string() + "'";
    int raw = std::system(command.c_str());
    ProcessRun run{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, slurp(dir / "out"), slurp(dir / "err")};
    std::filesystem::remove_all(dir);
    return run;
}

TEST(Program, ConvertsTheStartUpSampleByDefault) {
    ProcessRun run = runProgram("");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_NE(run.out.find("TEOS-10 exact"), std::string::npos);
    EXPECT_NE(run.out.find("35.00000"), std::string::npos) << run.out;
}

TEST(Program, JsonOfTheKnownIes80Sample) {
    ProcessRun run = runProgram("--method ies80 --format json");
    EXPECT_EQ(run.status, 0);
    for (const char* expected : {"\"density\": 1025.97275", "\"conductivity\": 42.91416",
                                 "\"specificGravity\": 1.02782", "\"absoluteSalinity\": null"})
        EXPECT_NE(run.out.find(expected), std::string::npos) << run.out;
}

TEST(Program, BadInputExitsTwoWithTheOptionAndText) {
    ProcessRun run = runProgram("--temperature 1O");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("--temperature: '1O' is not a decimal number"), std::string::npos) << run.err;
    EXPECT_EQ(runProgram("--batch /nonexistent/samples.csv").status, 2);
    ProcessRun directory = runProgram("--batch /");
    EXPECT_EQ(directory.status, 2);
    EXPECT_NE(directory.err.find("reading the batch input failed: Is a directory"), std::string::npos) << directory.err;
}

TEST(Program, ClampedInputIsToldOnStandardError) {
    ProcessRun run = runProgram("--temperature 40");
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.err.find("--temperature 40 is outside its range; used 35.00 °C"), std::string::npos) << run.err;
    EXPECT_EQ(runProgram("--temperature 40 --quiet").err, "");
    ProcessRun turned = runProgram("--longitude 183");  // 177 degW: the same place, not a clamp
    EXPECT_EQ(turned.err, "");
    EXPECT_NE(turned.out.find("Longitude              -177.000000  °E"), std::string::npos) << turned.out;
    ProcessRun lowest = runProgram("--fahrenheit --temperature 28.4");  // -2 degC, the lowest temperature
    EXPECT_EQ(lowest.err, "");
    EXPECT_NE(lowest.out.find("28.40  °F"), std::string::npos) << lowest.out;
}

TEST(Program, BatchFromStandardInputWithABadRow) {
    ProcessRun run = runProgram("- --quiet --method polynomial --pressure 0 --latitude 48.853402 --longitude 2.348785",
                                "density,temperature\n1025,10\n1025;10\n1026,12\n");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "line 3: 1 cells where the header has 2: none for column 2 'temperature'\n");
    EXPECT_EQ(run.out.find("density,temperature,method,"), 0u);
    EXPECT_NE(run.out.find("\n1025,10,polynomial,0.00,2.348785,48.853402,10.00,"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\n1025;10,,,,,,,,,,,,,\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\n1026,12,polynomial,0.00,2.348785,48.853402,12.00,"), std::string::npos) << run.out;
}

TEST(Program, MappedColumnsInSiemensPerMetre) {
    ProcessRun run = runProgram(
        "--batch - --quiet --jobs 2 --conductivity-unit S/m --column pressure=p --column temperature=t_insitu "
        "--column conductivity=c --source conductivity --latitude 48.853402 --longitude 2.348785",
        "p,t_insitu,c,PSAL_ADJUSTED,flag\n1.0,12.5,3.8,33.9,0\n");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.find("p,t_insitu,c,PSAL_ADJUSTED,flag,method,pressure,"), 0u) << run.out;
    EXPECT_NE(run.out.find(",density,conductivity (S/m),specificGravity,"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\n1.0,12.5,3.8,33.9,0,exact,1.00,2.348785,48.853402,12.50,32.61627,"), std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find(",3.800000,"), std::string::npos) << run.out;
}

// A full disk has its own exit status and the system's reason, in either mode.
TEST(Program, AnOutputThatCannotBeWrittenExitsThreeWithTheReason) {
    for (const char* arguments : {"--batch - --latitude 1 --longitude 1", "--format json", "--help"}) {
        ProcessRun run = runProgram(arguments, "PRES,TEMP,PSAL\n1,2,35\n", "/dev/full");
        EXPECT_EQ(run.status, 3) << arguments;
        EXPECT_NE(run.err.find("writing the output failed: No space left on device\n"), std::string::npos) << run.err;
    }
}

TEST(Program, HelpAndVersion) {
    EXPECT_NE(runProgram("--help").out.find("--batch FILE"), std::string::npos);
    EXPECT_EQ(runProgram("--version").out.find("thalwen-convert " EXPECTED_VERSION " (GSW "), 0u);
}

}  // namespace
