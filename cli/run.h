// thalwen-convert from arguments to exit status, on the streams it is given.
#pragma once

#include <cstdio>

#include "arguments.h"

namespace thalwen {

// Exit status 0, or 1 when the output could not be written.
int runSingle(const Arguments& arguments, std::FILE* out, std::FILE* err);

// Exit status: 0 success, 1 some batch rows failed, 2 bad arguments or input.
int runCommandLine(int argc, const char* const* argv, std::FILE* in, std::FILE* out, std::FILE* err);

}  // namespace thalwen
