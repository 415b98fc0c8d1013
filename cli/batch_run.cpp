#include "batch_run.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <stop_token>
#include <thread>
#include <vector>

#include "batch_rows.h"
#include "number_text.h"
#include "parallel.h"
#include "reader.h"

namespace thalwen {

namespace {

constexpr std::size_t kChunkBytes = 1 << 18;

// One record of the input as read: its text in Chunk::input, or too long to hold.
struct LineSpan {
    std::size_t offset = 0;
    std::size_t size = 0;
    long line = 0;  // the file's number of its first line
    bool tooLong = false;
    bool quoted = false;  // it may hold a quote
};

struct Chunk {
    std::string input;
    std::vector<LineSpan> lines;
    ConvertedRows rows;
};

void convertChunk(Chunk& chunk, const BatchSetup& setup, CellRow& cells) {
    chunk.rows.output.clear();
    chunk.rows.errors.clear();
    chunk.rows.counts = {};
    for (const LineSpan& span : chunk.lines) {
        if (span.tooLong)
            skipOverlongLine(span.line, setup, chunk.rows);
        else
            convertRecord(std::string_view(chunk.input.data() + span.offset, span.size), span.line, span.quoted, setup,
                          cells, chunk.rows);
    }
}

// Fills chunk with the next records of reader. Returns false when there are none.
bool readChunk(CsvReader& reader, std::size_t rows, Chunk& chunk) {
    chunk.input.clear();
    chunk.lines.clear();
    std::string_view line;
    while (chunk.lines.size() < rows && chunk.input.size() < kChunkBytes) {
        const RecordStatus status = reader.next(line);
        if (status == RecordStatus::End) break;
        if (status == RecordStatus::TooLong) {
            chunk.lines.push_back({chunk.input.size(), 0, reader.recordLine(), true, false});
            continue;
        }
        chunk.lines.push_back({chunk.input.size(), line.size(), reader.recordLine(), false, reader.recordQuoted()});
        chunk.input += line;
    }
    chunk.input.append(kPadding, '\0');  // the number reader may look that far past a row's last cell
    return !chunk.lines.empty();
}

Failure readFailure(const CsvReader& reader) {
    std::string message =
        std::string("thalwen-convert: reading the batch input failed: ") + std::strerror(reader.readError());
    if (reader.lineNumber() > 0) message += " (after line " + std::to_string(reader.lineNumber()) + ")";
    return Failure(std::move(message));
}

// Where the output goes, and what became of it.
struct Writer {
    std::FILE* out;
    std::FILE* err;
    const std::atomic<bool>* stop;
    RowCounts counts;
    Failure failure;  // the first write of the output that failed, or the interruption

    void write(std::string_view text, bool flush = false) {
        if (!failure && stop != nullptr && stop->load())
            failure =
                Failure("thalwen-convert: interrupted before the output was whole: not written", kExitOutputFailed);
        if (!failure) failure = writeText(text, out, flush);
    }
    void write(const Chunk& chunk) {
        write(chunk.rows.output);
        // Standard error that cannot be written has nobody left to tell.
        std::fwrite(chunk.rows.errors.data(), 1, chunk.rows.errors.size(), err);
        counts += chunk.rows.counts;
    }
};

void convertInThisThread(CsvReader& reader, const BatchSetup& setup, std::size_t chunkRows, Writer& writer) {
    Chunk chunk;
    CellRow cells;
    while (!writer.failure && readChunk(reader, chunkRows, chunk)) {
        convertChunk(chunk, setup, cells);
        writer.write(chunk);
    }
}

// This thread reads chunks into a ring and writes them out in their order;
// the workers convert them in between. The ring bounds the memory: reading
// waits while every slot holds a chunk not yet written. The workers are
// joined however this function is left: their stop token wakes them.
void convertInWorkers(CsvReader& reader, const BatchSetup& setup, std::size_t chunkRows, unsigned jobs,
                      Writer& writer) {
    const std::size_t capacity = 2 * std::size_t{jobs};  // one converting and one waiting per worker
    std::vector<Chunk> ring(capacity);
    std::vector<char> converted(capacity, false);
    std::mutex mutex;
    std::condition_variable_any readIn;
    std::condition_variable convertedOne;
    std::size_t readCount = 0, takenCount = 0,
                writtenCount = 0;  // chunks so far; only this thread counts reads and writes
    bool inputDone = false;

    auto work = [&](std::stop_token stop) {
        CellRow cells;
        std::unique_lock lock(mutex);
        for (;;) {
            if (!readIn.wait(lock, stop, [&] { return takenCount < readCount || inputDone; })) return;
            if (takenCount == readCount) return;
            const std::size_t slot = takenCount++ % capacity;
            lock.unlock();
            convertChunk(ring[slot], setup, cells);
            lock.lock();
            converted[slot] = true;
            convertedOne.notify_one();
        }
    };
    // Writes the oldest chunk not yet written; waits for it when asked to.
    auto writeOldest = [&](bool wait) {
        const std::size_t slot = writtenCount % capacity;
        {
            std::unique_lock lock(mutex);
            if (wait) convertedOne.wait(lock, [&] { return converted[slot] != 0; });
            if (!converted[slot]) return false;
            converted[slot] = false;
        }
        writer.write(ring[slot]);
        ++writtenCount;
        return true;
    };

    std::vector<std::jthread> workers;  // last: joined before what they use goes
    for (unsigned i = 0; i < jobs; ++i) workers.emplace_back(work);
    while (!writer.failure) {
        if (readCount - writtenCount == capacity) writeOldest(true);
        while (writtenCount < readCount && writeOldest(false)) continue;
        if (!readChunk(reader, chunkRows, ring[readCount % capacity])) break;
        {
            std::lock_guard lock(mutex);
            ++readCount;
        }
        readIn.notify_one();
    }
    {
        std::lock_guard lock(mutex);
        inputDone = true;
    }
    readIn.notify_all();
    while (writtenCount < readCount) writeOldest(true);
}

}  // namespace

ExitStatus runBatch(std::FILE* in, std::FILE* out, std::FILE* err, const Arguments& arguments, std::size_t chunkRows,
                    const std::atomic<bool>* stop) {
    CsvReader reader(in);
    const char* problem = reader.readHeader();
    if (reader.readError() != 0) return reportFailure(err, readFailure(reader));
    if (problem == CsvReader::kEmptyInput)
        return reportFailure(err, Failure("thalwen-convert: the batch " + std::string(problem)));
    const std::string headerLine = "line " + std::to_string(reader.recordLine()) + ": ";
    if (problem) return reportFailure(err, Failure(headerLine + "header: " + problem));

    BatchColumns columns;
    if (Failure failure = readHeader(reader.header(), reader.headerCells(), arguments.columnMappings, arguments.source,
                                     userUnitsOf(arguments), columns)) {
        std::fprintf(err, "%s%s\n", headerLine.c_str(), failure.message().c_str());
        for (const Suggestion& suggestion : columns.suggestions)
            std::fprintf(err, "thalwen-convert: %s\n", suggestion.note.c_str());
        return failure.status();
    }
    BatchSetup setup;
    if (Failure failure = makeBatchSetup(arguments, reader.dialect(), std::move(columns), setup))
        return reportFailure(err, failure);
    if (!arguments.quiet) {
        if (const std::string note = encodingNote(reader.encoding()); !note.empty())
            std::fprintf(err, "thalwen-convert: %s\n", note.c_str());
        for (const std::string& note : headerNotes(setup)) std::fprintf(err, "thalwen-convert: %s\n", note.c_str());
    }

    Writer writer{out, err, stop, {}, {}};
    writer.write(outputHeader(reader.byteOrderMark(), reader.comments(), reader.headerCells(), setup));
    chunkRows = std::max<std::size_t>(1, chunkRows);
    const unsigned jobs = arguments.jobs > 0 ? arguments.jobs : coresAvailable();
    if (jobs == 1)
        convertInThisThread(reader, setup, chunkRows, writer);
    else
        convertInWorkers(reader, setup, chunkRows, jobs, writer);
    writer.write({}, true);
    if (writer.failure) return reportFailure(err, writer.failure);
    if (reader.readError() != 0) return reportFailure(err, readFailure(reader));
    if (!arguments.quiet) {
        if (reader.replacements() > 0)
            std::fprintf(err, "thalwen-convert: %ld characters of the input were no UTF-16 and are written as U+FFFD\n",
                         reader.replacements());
        std::fprintf(err, "thalwen-convert: %s\n", summaryOf(writer.counts).c_str());
    }
    return writer.counts.failed > 0 ? kExitRowsWithoutResults : kExitSuccess;
}

}  // namespace thalwen
