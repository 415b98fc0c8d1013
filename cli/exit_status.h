// What the exit status of thalwen-convert tells: one meaning each, listed by
// --help and the manual page.
#pragma once

namespace thalwen {

enum ExitStatus : int {
    kExitSuccess = 0,
    kExitRowsWithoutResults = 1,
    kExitBadInput = 2,
    kExitOutputFailed = 3,
};

struct ExitStatusInfo {
    ExitStatus status;
    const char* meaning;  // as --help says it
};

inline constexpr ExitStatusInfo kExitStatuses[] = {
    {kExitSuccess, "success: every row converted"},
    {kExitRowsWithoutResults, "some batch rows without results, each reported with its line"},
    {kExitBadInput, "bad arguments, or input that cannot be read"},
    {kExitOutputFailed, "the output could not be written; the system's reason is told"},
};

}  // namespace thalwen
