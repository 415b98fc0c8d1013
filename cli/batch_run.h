// Many samples from a CSV file: every input row gives one output row, its own
// cells first and the results after them, converted on every core in a
// bounded amount of memory.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdio>

#include "exit_status.h"
#include "options.h"

namespace thalwen {

// Rows are read, converted and written a chunk of at most chunkRows at a
// time: enough rows to make the per-chunk work vanish, few enough to keep the
// memory small. Tests give small chunks, so that the chunks in flight go round
// their ring many times.
constexpr std::size_t kBatchChunkRows = 4096;

// Converts every row of in and writes CSV to out in the input's dialect; bad
// rows keep their cells, get empty results and are reported on err as
// "line N: reason", with N the file's own line number. Stops between two
// chunks once stop turns true, the output not whole.
ExitStatus runBatch(std::FILE* in, std::FILE* out, std::FILE* err, const Arguments& arguments,
                    std::size_t chunkRows = kBatchChunkRows, const std::atomic<bool>* stop = nullptr);

}  // namespace thalwen
