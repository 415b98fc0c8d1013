#include "parallel.h"

#include <algorithm>
#include <thread>

#ifdef __linux__
#include <sched.h>
#endif

namespace thalwen {

unsigned coresAvailable() {
#ifdef __linux__
    cpu_set_t cores;
    if (sched_getaffinity(0, sizeof cores, &cores) == 0) return static_cast<unsigned>(std::max(1, CPU_COUNT(&cores)));
#endif
    return std::max(1u, std::thread::hardware_concurrency());
}

}  // namespace thalwen
