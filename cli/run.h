// thalwen-convert from arguments to exit status, on the streams it is given.
#pragma once

#include <cstdio>

#include "arguments.h"

namespace thalwen {

// Exit status (exit_status.h): success, or the output could not be written.
int runSingle(const Arguments& arguments, std::FILE* out, std::FILE* err);

// Exit status: one of exit_status.h.
int runCommandLine(int argc, const char* const* argv, std::FILE* in, std::FILE* out, std::FILE* err);

}  // namespace thalwen
