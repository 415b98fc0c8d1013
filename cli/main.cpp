#include <cstdio>
#include <cstdlib>

#include "output_file.h"
#include "run.h"

int main(int argc, char** argv) {
    const int status = thalwen::runCommandLine(argc, argv, stdin, stdout, stderr);
    if (!thalwen::filesLeftOpen()) return status;
    // A netCDF file whose writing failed stays open, and HDF5's clean-up at
    // exit would crash on it: the program ends without any, its streams flushed.
    std::fflush(nullptr);
    std::_Exit(status);
}
