// thalwen-convert from arguments to exit status, on the streams it is given.
#pragma once

#include <cstdio>

#include "exit_status.h"
#include "options.h"

namespace thalwen {

// Converts the one sample of the options: success, or the output could not be written.
ExitStatus runSingle(const Arguments& arguments, std::FILE* out, std::FILE* err);

ExitStatus runCommandLine(int argc, const char* const* argv, std::FILE* in, std::FILE* out, std::FILE* err);

}  // namespace thalwen
