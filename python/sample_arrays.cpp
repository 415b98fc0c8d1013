#include "sample_arrays.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <optional>
#include <thread>

#include "quantities.h"

namespace thalwen {

namespace {

// Samples a thread takes at a time. Each step goes over all of them before
// the next: the inputs are read and the results written one array after the
// other, as memory serves best, with the chunk in the cache meanwhile.
constexpr std::size_t kChunk = 512;

// How often the calling thread calls the checkpoint: soon enough for a
// person's Ctrl-C, seldom enough that taking the GIL there, which may wait
// for another Python thread, costs nothing to speak of.
constexpr auto kCheckpointInterval = std::chrono::milliseconds(100);

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// One input's numbers from a given sample on, in the C order of the shape.
class InputWalk {
public:
    InputWalk(const std::vector<std::ptrdiff_t>& shape, const InputArray& input, std::size_t index)
        : shape_(shape), input_(input), position_(shape.size()) {
        for (std::size_t axis = position_.size(); axis-- > 0;) {
            const auto size = static_cast<std::size_t>(shape[axis]);
            position_[axis] = static_cast<std::ptrdiff_t>(index % size);
            index /= size;
            offset_ += position_[axis] * input.strides[axis];
        }
    }

    // memcpy: a view of a record array need not be aligned.
    double value() const {
        double number;
        std::memcpy(&number, input_.data + offset_, sizeof number);
        return number;
    }

    void next() {
        for (std::size_t axis = position_.size(); axis-- > 0;) {
            if (++position_[axis] < shape_[axis]) {
                offset_ += input_.strides[axis];
                return;
            }
            position_[axis] = 0;
            offset_ -= input_.strides[axis] * (shape_[axis] - 1);
        }
    }

private:
    const std::vector<std::ptrdiff_t>& shape_;
    const InputArray& input_;
    std::vector<std::ptrdiff_t> position_;
    std::ptrdiff_t offset_ = 0;
};

// What a thread holds of its chunk.
struct Chunk {
    Sample given[kChunk];
    bool missing[kChunk];
    QuantitySet unknown[kChunk];  // the inputs the method has no use for that have no value
    UserConversion conversions[kChunk];
};

bool isOneOf(double value, const std::vector<double>& values) {
    return std::find(values.begin(), values.end(), value) != values.end();
}

// What every chunk of a conversion starts from.
struct Common {
    Sample defaults;      // in the user's units
    QuantitySet unknown;  // the inputs the method has no use for that are not given
    UserUnits shownUnits;
    QuantitySet results;                                 // those of the sample asked for
    DerivedQuantitySet derived;                          // those derived asked for
    std::vector<std::optional<std::ptrdiff_t>> strides;  // each input's linearStride
};

// The one stride that steps an input from each sample to the next in C
// order, when it has one (a contiguous array, a number every sample shares):
// it is then read without walking its axes.
std::optional<std::ptrdiff_t> linearStride(const std::vector<std::ptrdiff_t>& shape, const InputArray& input) {
    std::optional<std::ptrdiff_t> stride;
    std::ptrdiff_t outer = 0;  // what the next axis out must step to be in C order
    for (std::size_t axis = shape.size(); axis-- > 0;) {
        if (shape[axis] == 1) continue;  // never stepped
        if (stride && input.strides[axis] != outer) return std::nullopt;
        if (!stride) stride = input.strides[axis];
        outer = input.strides[axis] * shape[axis];
    }
    return stride.value_or(0);
}

// Reads the inputs of a chunk's samples into chunk.given, and which of them
// are missing.
void readChunk(const SampleArrays& arrays, const Common& common, std::size_t begin, std::size_t count, Chunk& chunk) {
    std::fill_n(chunk.given, count, common.defaults);
    std::fill_n(chunk.missing, count, false);
    std::fill_n(chunk.unknown, count, common.unknown);
    for (std::size_t i = 0; i < arrays.inputs.size(); ++i) {
        const InputArray& input = arrays.inputs[i];
        // IES-80 has no use for the position: a missing one does not stop it.
        const bool used = usedBy(input.quantity, arrays.method);
        const bool salinityRelated = infoOf(input.quantity).salinityRelated;
        const bool anyMissing = !input.missing.empty(), mapped = input.scale != 1 || input.offset != 0;
        const std::optional<std::ptrdiff_t> stride = common.strides[i];
        std::optional<InputWalk> walk;
        if (!stride) walk.emplace(arrays.shape, input, begin);
        const char* at = input.data + (stride ? static_cast<std::ptrdiff_t>(begin) * *stride : 0);
        for (std::size_t k = 0; k < count; ++k) {
            double value;
            if (stride) {
                std::memcpy(&value, at, sizeof value);  // a view of a record array need not be aligned
                at += *stride;
            } else {
                value = walk->value();
                walk->next();
            }
            if (anyMissing && isOneOf(value, input.missing)) value = kNaN;
            if (mapped) value = value * input.scale + input.offset;
            if (std::isnan(value)) {
                if (used)
                    chunk.missing[k] = true;
                else
                    chunk.unknown[k].add(input.quantity);
            }
            // As the command line reads it: a value given is never the absent marker.
            valueOf(chunk.given[k], input.quantity) = salinityRelated ? asGivenValue(value) : value;
        }
    }
}

// Whether a converted sample had a value no sample can have, counted in impossible.
bool countImpossible(const UserConversion& conversion, QuantitySet unknown, const UserUnits& givenUnits,
                     ImpossibleValues& impossible) {
    if (conversion.impossible.empty()) return false;
    bool any = false;
    for (const QuantityInfo& info : kQuantities) {
        if (!conversion.impossible.contains(info.quantity) || unknown.contains(info.quantity)) continue;
        const double value = inEngineUnit(info.quantity, valueOf(conversion.given, info.quantity), givenUnits);
        (value < info.band.lowest ? impossible.below : impossible.above).add(info.quantity);
        any = true;
    }
    impossible.samples += any;
    return any;
}

// Writes the values of one result of a chunk, NaN where a sample is missing
// or the result absent.
template <typename Value>
void writeResults(double* results, const Chunk& chunk, std::size_t count, Value value) {
    for (std::size_t k = 0; k < count; ++k) {
        const double number = chunk.missing[k] ? kNaN : value(chunk.conversions[k]);
        results[k] = isPresent(number) ? number : kNaN;
    }
}

void convertChunk(const SampleArrays& arrays, const Common& common, std::size_t begin, std::size_t count, Chunk& chunk,
                  ImpossibleValues& impossible) {
    readChunk(arrays, common, begin, count, chunk);
    for (std::size_t k = 0; k < count; ++k) {
        if (chunk.missing[k]) continue;
        UserConversion& conversion = chunk.conversions[k];
        // Made in its place rather than assigned: no copy of the record per sample.
        new (&conversion) UserConversion(convertSample(arrays.method, chunk.given[k], arrays.givenUnits,
                                                       common.shownUnits, common.derived, common.results));
        chunk.missing[k] = countImpossible(conversion, chunk.unknown[k], arrays.givenUnits, impossible);
        if (!chunk.unknown[k].empty())
            for (const QuantityInfo& info : kQuantities)
                if (chunk.unknown[k].contains(info.quantity)) valueOf(conversion.result, info.quantity) = kNoValue;
    }
    for (const QuantityInfo& info : kQuantities) {
        const auto q = static_cast<std::size_t>(info.quantity);
        if (double* results = arrays.results[q])
            writeResults(results + begin, chunk, count,
                         [&](const UserConversion& conversion) { return valueOf(conversion.result, info.quantity); });
        if (bool* clamped = arrays.clamped[q])
            for (std::size_t k = 0; k < count; ++k)
                clamped[begin + k] = !chunk.missing[k] && chunk.conversions[k].clamped.contains(info.quantity);
    }
    for (const DerivedInfo& info : kDerivedQuantities)
        if (double* results = arrays.derived[static_cast<std::size_t>(info.quantity)])
            writeResults(results + begin, chunk, count,
                         [&](const UserConversion& conversion) { return valueOf(conversion.derived, info.quantity); });
}

std::size_t sampleCount(const std::vector<std::ptrdiff_t>& shape) {
    std::size_t count = 1;
    for (std::ptrdiff_t size : shape) count *= static_cast<std::size_t>(size);
    return count;
}

}  // namespace

ImpossibleValues convertArrays(const SampleArrays& arrays, unsigned jobs, const std::function<void()>& checkpoint) {
    const std::size_t count = sampleCount(arrays.shape);
    Common common;
    common.defaults = defaultSample(arrays.fahrenheit);
    common.shownUnits = userUnits(arrays.fahrenheit, *arrays.conductivityUnit);
    for (const QuantityInfo& info : kQuantities)
        if (arrays.results[static_cast<std::size_t>(info.quantity)]) common.results.add(info.quantity);
    for (const DerivedInfo& info : kDerivedQuantities)
        if (arrays.derived[static_cast<std::size_t>(info.quantity)]) common.derived.add(info.quantity);
    for (const InputArray& input : arrays.inputs) common.strides.push_back(linearStride(arrays.shape, input));
    // Nothing is invented: a position IES-80 is not given has no value.
    for (const QuantityInfo& info : kQuantities)
        if (info.input && !usedBy(info.quantity, arrays.method)) common.unknown.add(info.quantity);
    for (const InputArray& input : arrays.inputs) common.unknown.remove(input.quantity);

    const std::size_t chunks = (count + kChunk - 1) / kChunk;
    const std::size_t threads = std::max<std::size_t>(1, std::min<std::size_t>(jobs, chunks));
    std::vector<ImpossibleValues> impossible(threads);  // each thread's own: no sharing while they convert
    std::atomic<std::size_t> next{0};
    auto work = [&](std::size_t thread, bool checks) {
        const auto chunk = std::make_unique<Chunk>();
        auto due = std::chrono::steady_clock::now() + kCheckpointInterval;
        for (std::size_t begin; (begin = next.fetch_add(kChunk)) < count;) {
            convertChunk(arrays, common, begin, std::min(kChunk, count - begin), *chunk, impossible[thread]);
            if (checks && std::chrono::steady_clock::now() >= due) {
                checkpoint();
                due = std::chrono::steady_clock::now() + kCheckpointInterval;
            }
        }
    };
    {
        std::vector<std::jthread> helpers;  // joined when they go out of scope, also on an exception
        try {
            for (std::size_t helper = 1; helper < threads; ++helper) helpers.emplace_back(work, helper, false);
            work(0, static_cast<bool>(checkpoint));
        } catch (...) {
            next = count;  // no chunk left to take: each helper stops after the one it holds
            throw;
        }
    }
    ImpossibleValues all;
    for (const ImpossibleValues& some : impossible) {
        all.samples += some.samples;
        for (const QuantityInfo& info : kQuantities) {
            if (some.below.contains(info.quantity)) all.below.add(info.quantity);
            if (some.above.contains(info.quantity)) all.above.add(info.quantity);
        }
    }
    return all;
}

}  // namespace thalwen
