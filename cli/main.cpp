#include <cstdio>

#include "run.h"

int main(int argc, char** argv) { return thalwen::runCommandLine(argc, argv, stdin, stdout, stderr); }
