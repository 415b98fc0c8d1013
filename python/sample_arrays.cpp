#include "sample_arrays.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <limits>
#include <thread>

#include "quantities.h"

namespace thalwen {

namespace {

// Samples a thread takes at a time: few enough that the threads end
// together, many enough that taking them costs nothing.
constexpr std::size_t kChunk = 1024;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// IES-80 has no use for the position: a missing one does not stop it.
bool usedBy(Method method, Quantity quantity) { return method != Method::Ies80 || !infoOf(quantity).teos10Only; }

// The samples in C order from a given one on, and where each input's number
// for the current sample lies.
class Cursor {
public:
    Cursor(const SampleArrays& arrays, std::size_t index)
        : arrays_(arrays), position_(arrays.shape.size()), offsets_(arrays.inputs.size()) {
        for (std::size_t axis = position_.size(); axis-- > 0;) {
            const auto size = static_cast<std::size_t>(arrays.shape[axis]);
            position_[axis] = static_cast<std::ptrdiff_t>(index % size);
            index /= size;
        }
        for (std::size_t i = 0; i < offsets_.size(); ++i)
            for (std::size_t axis = 0; axis < position_.size(); ++axis)
                offsets_[i] += position_[axis] * arrays.inputs[i].strides[axis];
    }

    // memcpy: a view of a record array need not be aligned.
    double value(std::size_t input) const {
        double number;
        std::memcpy(&number, arrays_.inputs[input].data + offsets_[input], sizeof number);
        return number;
    }

    void next() {
        for (std::size_t axis = position_.size(); axis-- > 0;) {
            const bool carry = ++position_[axis] == arrays_.shape[axis];
            if (carry) position_[axis] = 0;
            for (std::size_t i = 0; i < offsets_.size(); ++i) {
                const std::ptrdiff_t stride = arrays_.inputs[i].strides[axis];
                offsets_[i] += carry ? -stride * (arrays_.shape[axis] - 1) : stride;
            }
            if (!carry) return;
        }
    }

private:
    const SampleArrays& arrays_;
    std::vector<std::ptrdiff_t> position_;
    std::vector<std::ptrdiff_t> offsets_;
};

void store(const SampleArrays& arrays, std::size_t index, const UserConversion* conversion) {
    for (const QuantityInfo& info : kQuantities) {
        const auto q = static_cast<std::size_t>(info.quantity);
        const double value = conversion ? valueOf(conversion->result, info.quantity) : kNaN;
        arrays.results[q][index] = isPresent(value) ? value : kNaN;
        if (arrays.clamped[q]) arrays.clamped[q][index] = conversion && conversion->clamped.contains(info.quantity);
    }
}

void convertRange(const SampleArrays& arrays, const Sample& defaults, std::size_t begin, std::size_t end) {
    Cursor cursor(arrays, begin);
    for (std::size_t index = begin; index < end; ++index, cursor.next()) {
        Sample given = defaults;
        bool missing = false;
        for (std::size_t i = 0; i < arrays.inputs.size(); ++i) {
            const Quantity quantity = arrays.inputs[i].quantity;
            const double value = cursor.value(i);
            missing = missing || (std::isnan(value) && usedBy(arrays.method, quantity));
            // As the command line reads it: a value given is never the absent marker.
            valueOf(given, quantity) = infoOf(quantity).salinityRelated ? asGivenValue(value) : value;
        }
        if (missing) {
            store(arrays, index, nullptr);
            continue;
        }
        const UserConversion conversion =
            convertSample(arrays.method, given, arrays.fahrenheit, *arrays.conductivityUnit);
        store(arrays, index, &conversion);
    }
}

}  // namespace

std::size_t sampleCount(const std::vector<std::ptrdiff_t>& shape) {
    std::size_t count = 1;
    for (std::ptrdiff_t size : shape) count *= static_cast<std::size_t>(size);
    return count;
}

void convertArrays(const SampleArrays& arrays, unsigned jobs) {
    const std::size_t count = sampleCount(arrays.shape);
    const Sample defaults = defaultSample(arrays.fahrenheit);
    std::atomic<std::size_t> next{0};
    auto work = [&] {
        for (std::size_t begin; (begin = next.fetch_add(kChunk)) < count;)
            convertRange(arrays, defaults, begin, std::min(count, begin + kChunk));
    };
    const std::size_t chunks = (count + kChunk - 1) / kChunk;
    std::vector<std::jthread> helpers;  // joined when they go out of scope, also on an exception
    for (std::size_t helper = 1; helper < std::min<std::size_t>(jobs, chunks); ++helper) helpers.emplace_back(work);
    work();
}

}  // namespace thalwen
