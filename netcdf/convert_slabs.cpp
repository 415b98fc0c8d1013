#include "convert_slabs.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <limits>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "nc_call.h"

namespace thalwen {

namespace {

// The slabs in flight together: enough to convert on every core and read
// meanwhile, far below the memory of a large file.
constexpr std::size_t kSlabBytes = 16 << 20;

// The ring of slabs between this thread, which reads and writes them in
// their order, and the workers, which convert them in between.
class SlabRing {
public:
    SlabRing(std::size_t capacity, const SlabConversion& convert)
        : slabs_(capacity), converted_(capacity, false), convert_(convert) {}

    Slab& slot(std::size_t index) { return slabs_[index % slabs_.size()]; }
    std::size_t capacity() const { return slabs_.size(); }

    void work() {
        std::unique_lock lock(mutex_);
        for (;;) {
            readOne_.wait(lock, [&] { return taken_ < read_ || finished_; });
            if (finished_) return;
            const std::size_t index = taken_++;
            lock.unlock();
            std::exception_ptr failure;
            try {
                convert_(slot(index));
            } catch (...) {
                failure = std::current_exception();
            }
            lock.lock();
            if (failure && !failure_) failure_ = failure;
            converted_[index % capacity()] = true;
            convertedOne_.notify_all();
        }
    }

    void markRead() {
        {
            std::lock_guard lock(mutex_);
            ++read_;
        }
        readOne_.notify_one();
    }

    // Whether slab index is converted; waits for it when asked to. Throws
    // what a worker failed with.
    bool converted(std::size_t index, bool wait) {
        std::unique_lock lock(mutex_);
        if (wait) convertedOne_.wait(lock, [&] { return converted_[index % capacity()] || failure_; });
        if (failure_) std::rethrow_exception(failure_);
        const bool done = converted_[index % capacity()];
        converted_[index % capacity()] = false;
        return done;
    }

    void finish() {
        {
            std::lock_guard lock(mutex_);
            finished_ = true;
        }
        readOne_.notify_all();
    }

private:
    std::vector<Slab> slabs_;
    std::vector<bool> converted_;
    const SlabConversion& convert_;
    std::mutex mutex_;
    std::condition_variable readOne_, convertedOne_;
    std::size_t read_ = 0, taken_ = 0;
    bool finished_ = false;
    std::exception_ptr failure_;
};

void writeSlab(const Slab& slab, OutputFile& output) {
    for (std::size_t k = 0; k < slab.outputs.size(); ++k) output.write(k, slab.box, slab.outputs[k]);
}

}  // namespace

std::size_t slabValuesFor(unsigned jobs, std::size_t inputs, std::size_t outputs) {
    const std::size_t bytesPerSample = inputs * (sizeof(double) + sizeof(Gap)) + outputs * sizeof(double) +
                                       sizeof(double);  // the reader's and the writer's scratch
    const std::size_t inFlight = std::max(jobs, 1u) + std::size_t{1};
    return std::clamp<std::size_t>(kSlabBytes / (inFlight * bytesPerSample), 4096, 1 << 20);
}

void convertSlabs(SlabReader& reader, OutputFile& output, unsigned jobs, const SlabConversion& convert,
                  const std::atomic<bool>* stop) {
    for (std::size_t k = 0; k < output.newVariableCount(); ++k)
        if (output.newVariableDimensions(k) != reader.dimensionNames())
            throw std::invalid_argument("convertSlabs: a new variable is not over the slabs' dimensions");
    jobs = std::max(jobs, 1u);
    const std::vector<Box>& boxes = reader.slabs();
    SlabRing ring(jobs + std::size_t{1}, convert);
    std::vector<std::thread> workers;
    struct Joiner {
        SlabRing& ring;
        std::vector<std::thread>& workers;
        ~Joiner() {
            ring.finish();
            for (std::thread& worker : workers) worker.join();
        }
    } joiner{ring, workers};
    for (unsigned i = 0; i < jobs; ++i) workers.emplace_back([&] { ring.work(); });

    std::size_t read = 0, written = 0;
    while (written < boxes.size()) {
        // Write what is converted, in order; wait when nothing else can be done.
        while (written < read) {
            const bool mustWait = read - written == ring.capacity() || read == boxes.size();
            if (!ring.converted(written, mustWait)) break;
            writeSlab(ring.slot(written), output);
            ++written;
        }
        if (read == boxes.size()) continue;
        if (stop != nullptr && stop->load()) throw interrupted(output.path());
        Slab& slab = ring.slot(read);
        reader.read(boxes[read], slab);
        slab.outputs.resize(output.newVariableCount());
        for (std::vector<double>& values : slab.outputs)
            values.assign(slab.size(), std::numeric_limits<double>::quiet_NaN());
        ++read;
        ring.markRead();
    }
}

}  // namespace thalwen
