// How many threads a conversion of many samples may run, the same for the
// command line's batch and the Python module.
#pragma once

namespace thalwen {

// More threads than any machine has cores only cost memory: asking for more
// is taken for a mistake.
constexpr unsigned kMaxJobs = 1024;

// The cores this process may run on, at least 1: a batch system, a container
// or taskset may give it fewer than the machine has.
unsigned coresAvailable();

}  // namespace thalwen
