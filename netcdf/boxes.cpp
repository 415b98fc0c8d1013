#include "boxes.h"

#include <algorithm>

namespace thalwen {

namespace {

std::size_t product(const Shape& shape) {
    std::size_t values = 1;
    for (std::size_t length : shape) values *= length;
    return values;
}

std::size_t ceilDivide(std::size_t a, std::size_t b) { return (a + b - 1) / b; }

// The chunk shape within shape, each length at least 1.
Shape clampedUnit(const Shape& shape, const Shape& unit) {
    Shape clamped(shape.size(), 1);
    for (std::size_t d = 0; d < shape.size() && d < unit.size(); ++d)
        clamped[d] = std::clamp<std::size_t>(unit[d], 1, std::max<std::size_t>(shape[d], 1));
    return clamped;
}

// Calls visit with each cell of a grid of step laid from origin over extent,
// in row-major order, the last cells cut to the extent.
template <class Visit>
void forEachCell(const Shape& origin, const Shape& extent, const Shape& step, Visit&& visit) {
    const std::size_t rank = extent.size();
    if (product(extent) == 0) return;
    Shape offset(rank, 0);
    Box cell{origin, extent};
    for (;;) {
        for (std::size_t d = 0; d < rank; ++d) {
            cell.start[d] = origin[d] + offset[d];
            cell.count[d] = std::min(step[d], extent[d] - offset[d]);
        }
        visit(cell);
        std::size_t d = rank;
        while (d > 0) {
            --d;
            offset[d] += step[d];
            if (offset[d] < extent[d]) break;
            offset[d] = 0;
            if (d == 0) return;
        }
        if (rank == 0) return;
    }
}

}  // namespace

std::size_t Box::size() const { return product(count); }

Shape boxShape(const Shape& shape, const Shape& unit, std::size_t budget) {
    const std::size_t rank = shape.size();
    const Shape chunk = clampedUnit(shape, unit);
    Shape box = chunk;
    budget = std::max<std::size_t>(budget, 1);
    if (product(shape) == 0) return box;  // no values: no boxes
    if (product(chunk) <= budget) {
        // Whole chunks, the inner dimensions grown first; an outer one only
        // once those within are whole. Each is cut into equal parts.
        for (std::size_t d = rank; d-- > 0;) {
            const std::size_t others = product(box) / box[d];
            const std::size_t fit = std::max<std::size_t>(budget / (others * chunk[d]), 1);
            const std::size_t chunks = ceilDivide(shape[d], chunk[d]);
            box[d] = std::min(shape[d], ceilDivide(chunks, ceilDivide(chunks, fit)) * chunk[d]);
            if (box[d] < shape[d]) break;
        }
        return box;
    }
    // Within one chunk: the outer dimensions cut to 1 until the rest fits.
    for (std::size_t d = 0; d < rank; ++d) {
        const std::size_t others = product(box) / box[d];
        if (others > budget) {
            box[d] = 1;
            continue;
        }
        std::size_t length = budget / others;
        while (chunk[d] % length != 0) --length;
        box[d] = length;
        break;
    }
    return box;
}

std::vector<Box> tile(const Shape& shape, const Shape& unit, std::size_t budget) {
    const Shape chunk = clampedUnit(shape, unit);
    const Shape box = boxShape(shape, unit, budget);
    // Cells of whole chunks, or single chunks holding several boxes.
    Shape cell = box;
    for (std::size_t d = 0; d < shape.size(); ++d) cell[d] = std::max(box[d], chunk[d]);
    std::vector<Box> boxes;
    forEachCell(Shape(shape.size(), 0), shape, cell, [&](const Box& outer) {
        forEachCell(outer.start, outer.count, box, [&](const Box& b) { boxes.push_back(b); });
    });
    return boxes;
}

}  // namespace thalwen
