#include <cstdio>

#include "run.h"

int main(int argc, char** argv) { return runCommandLine(argc, argv, stdin, stdout, stderr); }
