#include <cstdio>
#include <cstdlib>

#include "run.h"

int main(int argc, char** argv) {
    const int status = thalwen::runCommandLine(argc, argv, stdin, stdout, stderr);
    // A netCDF file whose writing failed stays open, as netCDF cannot close it,
    // and the HDF5 library's clean-up at exit would crash on it: the program
    // ends without any, once its streams are flushed.
    std::fflush(nullptr);
    std::_Exit(status);
}
