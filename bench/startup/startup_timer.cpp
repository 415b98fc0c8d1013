// How long a dialog program takes from its start to a given text in one of
// its fields, for two programs started the same way, one run of each in turn.
//   startup_timer.exe RUNS PROGRAM FIELD TEXT YARDSTICK FIELD TEXT
// PROGRAM and YARDSTICK are command lines; FIELD is a control id of the
// program's dialog. Each program is closed (WM_CLOSE) once its text shows.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "other_process.h"

namespace {

constexpr double kGiveUpSeconds = 60;
constexpr DWORD kExitTimeoutMilliseconds = 30000;

struct Target {
    std::string commandLine;
    int field;
    std::string text;
};

double secondsNow() {
    LARGE_INTEGER count, frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Seconds from CreateProcess to the text in the field; negative when it never shows.
double timeOneStart(const Target& target) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string commandLine = target.commandLine;
    double start = secondsNow();
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return -1;
    double elapsed = -1;
    while (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT && secondsNow() - start < kGiveUpSeconds) {
        std::pair<DWORD, HWND> found{process.dwProcessId, nullptr};
        EnumWindows(findDialogOfProcess, reinterpret_cast<LPARAM>(&found));
        if (found.second && fieldText(found.second, target.field, kExitTimeoutMilliseconds) == target.text) {
            elapsed = secondsNow() - start;
            PostMessageA(found.second, WM_CLOSE, 0, 0);
            break;
        }
        Sleep(1);  // the measurement's resolution
    }
    if (WaitForSingleObject(process.hProcess, kExitTimeoutMilliseconds) != WAIT_OBJECT_0)
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return elapsed;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void report(const char* name, const std::vector<double>& times) {
    auto [low, high] = std::minmax_element(times.begin(), times.end());
    std::printf("%-12s median %.3f s  (min %.3f, max %.3f, %zu runs)\n", name, median(times), *low, *high,
                times.size());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 8) {
        std::fprintf(stderr, "usage: startup_timer.exe RUNS PROGRAM FIELD TEXT YARDSTICK FIELD TEXT\n");
        return 2;
    }
    int runs = std::atoi(argv[1]);
    Target program{argv[2], std::atoi(argv[3]), argv[4]};
    Target yardstick{argv[5], std::atoi(argv[6]), argv[7]};

    // One start of each first, not counted: the prefix and the file cache warm up.
    if (timeOneStart(program) < 0 || timeOneStart(yardstick) < 0) {
        std::fprintf(stderr, "startup_timer: a program did not show its text\n");
        return 1;
    }
    std::vector<double> programTimes, yardstickTimes;
    for (int i = 0; i < runs; ++i) {
        double p = timeOneStart(program), y = timeOneStart(yardstick);
        if (p < 0 || y < 0) {
            std::fprintf(stderr, "startup_timer: a program did not show its text\n");
            return 1;
        }
        programTimes.push_back(p);
        yardstickTimes.push_back(y);
    }
    report("thalwen.exe", programTimes);
    report("bare dialog", yardstickTimes);
    std::printf("ratio        %.2f (median thalwen.exe / median bare dialog)\n",
                median(programTimes) / median(yardstickTimes));
    return 0;
}
