// Hyperslabs: the boxes a variable's values are read and written in, few
// enough values at a time to keep the memory bounded, and laid on its chunks
// so that each compressed chunk is unpacked once and written whole.
#pragma once

#include <cstddef>
#include <vector>

namespace thalwen {

using Shape = std::vector<std::size_t>;

struct Box {
    Shape start;
    Shape count;
    std::size_t size() const;  // values in the box: 1 for a scalar's
};

// The shape of the boxes that tile shape in at most budget values each, for a
// variable stored in chunks of unit (all 1 when it is not chunked). When a
// chunk fits the budget, a box is whole chunks, as many as fit; when it does
// not, a box lies within one chunk and its length along the dimension where
// it is cut divides the chunk's.
Shape boxShape(const Shape& shape, const Shape& unit, std::size_t budget);

// The boxes of boxShape covering shape, each value in one. They come chunk by
// chunk: those within one chunk follow each other, so that a reader needs to
// keep only that chunk at hand.
std::vector<Box> tile(const Shape& shape, const Shape& unit, std::size_t budget);

}  // namespace thalwen
