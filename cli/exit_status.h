// What the exit status of thalwen-convert tells, one meaning each, listed by
// --help and the manual page; and the one shape of every step that can fail.
#pragma once

#include <string>
#include <utility>

namespace thalwen {

enum [[nodiscard]] ExitStatus : int{
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

// What went wrong in a step, in words for the user (the option, or the line,
// column and text), and the exit status that says so; nothing when all went
// well. The compiler refuses to let one be dropped.
class [[nodiscard]] Failure {
public:
    Failure() = default;  // all went well
    explicit Failure(std::string message, ExitStatus status = kExitBadInput)
        : message_(std::move(message)), status_(status) {}

    explicit operator bool() const { return status_ != kExitSuccess; }
    const std::string& message() const { return message_; }
    ExitStatus status() const { return status_; }

private:
    std::string message_;
    ExitStatus status_ = kExitSuccess;
};

}  // namespace thalwen
