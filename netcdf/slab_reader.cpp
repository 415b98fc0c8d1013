#include "slab_reader.h"

#include <algorithm>
#include <cmath>

#include "nc_call.h"

namespace thalwen {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
// A variable read in slabs that cut its chunks keeps the chunks that the
// slabs of one chunk of the file touch, up to this much; beyond, a chunk is
// unpacked again for each slab.
constexpr std::size_t kMaxChunkCache = 32 << 20;

// A float variable's values are floats: so are its fill and missing values,
// whatever type the attribute was written in.
double asStored(const Variable& variable, double value) {
    return variable.type == ValueType::Float ? static_cast<double>(static_cast<float>(value)) : value;
}

GapRule gapRuleOf(const Variable& variable) {
    GapRule rule;
    auto numbers = [&](const char* name) {
        const Attribute* attribute = findAttribute(variable.attributes, name);
        return attribute != nullptr && !attribute->numbers.empty() ? attribute : nullptr;
    };
    const Attribute* characterFill = findAttribute(variable.attributes, "_FillValue");
    if (variable.type == ValueType::Char && characterFill != nullptr && !characterFill->text.empty()) {
        rule.hasFill = true;
        rule.fill = static_cast<unsigned char>(characterFill->text[0]);
    } else if (const Attribute* fill = numbers("_FillValue")) {
        rule.hasFill = true;
        rule.fill = asStored(variable, fill->numbers[0]);
    } else if (!variable.storage.noFill && variable.type != ValueType::Byte && variable.type != ValueType::UByte) {
        // Where nothing was written netCDF reads its default fill; every byte
        // value is a plausible one, so no byte is taken for a fill.
        rule.hasFill = true;
        rule.fill = typeInfo(variable.type).defaultFill;
    }
    if (const Attribute* missing = numbers("missing_value"))
        for (double value : missing->numbers) rule.missing.push_back(asStored(variable, value));
    if (const Attribute* scale = numbers("scale_factor")) rule.scale = scale->numbers[0];
    if (const Attribute* offset = numbers("add_offset")) rule.offset = offset->numbers[0];
    if (const Attribute* range = numbers("valid_range"); range != nullptr && range->numbers.size() == 2) {
        rule.validMin = range->numbers[0];
        rule.validMax = range->numbers[1];
        rule.validPacked = range->type == variable.type;
    }
    if (const Attribute* least = numbers("valid_min")) {
        rule.validMin = least->numbers[0];
        rule.validPacked = least->type == variable.type;
    }
    if (const Attribute* most = numbers("valid_max")) {
        rule.validMax = most->numbers[0];
        rule.validPacked = most->type == variable.type;
    }
    return rule;
}

bool same(double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); }

Gap gapOf(double raw, const GapRule& rule) {
    if (rule.hasFill && same(raw, rule.fill)) return Gap::Fill;
    for (double missing : rule.missing)
        if (same(raw, missing)) return Gap::Missing;
    if (std::isnan(raw)) return Gap::NotANumber;
    const double valid = rule.validPacked ? raw : raw * rule.scale + rule.offset;
    if (valid < rule.validMin || valid > rule.validMax) return Gap::Invalid;
    return Gap::None;
}

// Unpacks values in place, NaN where a gap.
void classify(double* values, Gap* gaps, std::size_t count, const GapRule& rule) {
    for (std::size_t i = 0; i < count; ++i) {
        gaps[i] = gapOf(values[i], rule);
        values[i] = gaps[i] == Gap::None ? values[i] * rule.scale + rule.offset : kNaN;
    }
}

// Spreads a variable's own values over the paired box: strides holds, for
// each paired dimension, the step between its values along it (0 along one
// it lacks).
template <class T>
void broadcast(const T* own, const Shape& count, const Shape& strides, T* paired) {
    const std::size_t rank = count.size();
    if (rank == 0) {
        paired[0] = own[0];
        return;
    }
    const std::size_t inner = count[rank - 1], innerStride = strides[rank - 1];
    Shape index(rank, 0);
    std::size_t offset = 0;
    for (;;) {
        for (std::size_t i = 0; i < inner; ++i) *paired++ = own[offset + i * innerStride];
        std::size_t d = rank - 1;
        for (;;) {
            if (d == 0) return;
            --d;
            offset += strides[d];
            if (++index[d] < count[d]) break;
            offset -= strides[d] * count[d];
            index[d] = 0;
        }
    }
}

const Variable& numbers(const InputFile& input, const std::string& name, bool characters) {
    const Variable* variable = findVariable(input.description().root, name);
    if (variable == nullptr) throw NetcdfError(input.path() + ": no variable " + inQuotes(name), false);
    if (!isNumber(variable->type) && !(characters && variable->type == ValueType::Char))
        throw NetcdfError(
            input.path() + ": variable " + inQuotes(name) + " holds " + typeName(variable->type) + ", not numbers",
            false);
    return *variable;
}

// Where dimension is among the paired ones; past their end when absent.
std::size_t axisOf(const std::vector<Dimension>& paired, const Dimension& dimension) {
    const auto found = std::find_if(paired.begin(), paired.end(), [&](auto& d) { return d.name == dimension.name; });
    return static_cast<std::size_t>(found - paired.begin());
}

// The bytes of the chunks of variable that the slabs within one cell touch,
// when slabs cut them: they are kept while those slabs are read. 0 when each
// slab holds whole chunks of it, or it has none.
std::size_t chunksCut(const Variable& variable, const Shape& axes, const Shape& slab, const Shape& cell,
                      const Shape& shape) {
    const Storage& storage = variable.storage;
    if (storage.layout != Layout::Chunked) return 0;
    bool cut = false;
    std::size_t bytes = typeInfo(variable.type).size;
    for (std::size_t j = 0; j < axes.size(); ++j) {
        const std::size_t p = axes[j], chunk = storage.chunks[j];
        cut = cut || (slab[p] % chunk != 0 && slab[p] < shape[p]);
        // Cells start at multiples of their length: one that is no multiple
        // of the chunk's straddles one chunk more.
        const std::size_t touched = cell[p] % chunk == 0 ? cell[p] / chunk : cell[p] / chunk + 2;
        bytes *= std::min(touched, (shape[p] + chunk - 1) / chunk) * chunk;
    }
    return cut ? std::min(bytes, kMaxChunkCache) : 0;
}

}  // namespace

const char* gapName(Gap gap) {
    switch (gap) {
    case Gap::None:
        return "value";
    case Gap::Fill:
        return "fill value";
    case Gap::Missing:
        return "missing value";
    case Gap::Invalid:
        return "outside the valid range";
    case Gap::NotANumber:
        return "NaN";
    }
    return "";
}

SlabReader::SlabReader(const InputFile& input, const std::vector<std::string>& variables, std::size_t slabValues,
                       const std::vector<std::string>& characters)
    : path_(input.path()), file_(input.id()) {
    std::vector<const Variable*> found;
    for (const std::string& name : variables)
        found.push_back(
            &numbers(input, name, std::find(characters.begin(), characters.end(), name) != characters.end()));
    std::vector<const Variable*> byRank = found;
    std::stable_sort(byRank.begin(), byRank.end(),
                     [](const Variable* a, const Variable* b) { return a->dimensions.size() > b->dimensions.size(); });
    for (const Variable* variable : byRank)
        for (const Dimension& dimension : variable->dimensions)
            if (axisOf(dimensions_, dimension) == dimensions_.size()) dimensions_.push_back(dimension);
    for (const Variable* variable : found) {
        Source source{variable, {}, variable->dimensions.size() == dimensions_.size(), gapRuleOf(*variable)};
        for (const Dimension& dimension : variable->dimensions) {
            source.axes.push_back(axisOf(dimensions_, dimension));
            source.direct = source.direct && source.axes.back() == source.axes.size() - 1;
        }
        sources_.push_back(std::move(source));
    }

    Shape shape;
    for (const Dimension& dimension : dimensions_) shape.push_back(dimension.length);
    // The variable with the most dimensions lends its chunks: its dimensions
    // are the first paired ones.
    Shape unit(shape.size(), 1);
    if (!byRank.empty() && byRank[0]->storage.layout == Layout::Chunked)
        std::copy(byRank[0]->storage.chunks.begin(), byRank[0]->storage.chunks.end(), unit.begin());
    slabShape_ = boxShape(shape, unit, slabValues);
    slabs_ = tile(shape, unit, slabValues);
    Shape cell(shape.size());
    for (std::size_t p = 0; p < shape.size(); ++p) cell[p] = std::max(slabShape_[p], unit[p]);
    for (const Source& source : sources_) {
        const std::size_t bytes = chunksCut(*source.variable, source.axes, slabShape_, cell, shape);
        if (bytes == 0) continue;
        checked(Place{path_, false}, "variable " + inQuotes(source.variable->name) + ": cannot set its chunk cache",
                [&] { return nc_set_var_chunk_cache(file_, source.variable->id, bytes, 1009, 0.75f); });
    }
}

void SlabReader::addMissing(const std::vector<double>& values) {
    for (Source& source : sources_)
        if (source.variable->type != ValueType::Char)
            for (double value : values) source.rule.missing.push_back(asStored(*source.variable, value));
}

std::vector<std::string> SlabReader::dimensionNames() const {
    std::vector<std::string> names;
    for (const Dimension& dimension : dimensions_) names.push_back(dimension.name);
    return names;
}

std::size_t SlabReader::sampleCount() const {
    std::size_t count = 1;
    for (const Dimension& dimension : dimensions_) count *= dimension.length;
    return count;
}

Storage SlabReader::storageLike(const Variable& like) const {
    Storage storage;
    storage.deflateLevel = like.storage.deflateLevel;
    storage.shuffle = like.storage.shuffle;
    if (!slabShape_.empty()) {
        storage.layout = Layout::Chunked;
        for (std::size_t length : slabShape_) storage.chunks.push_back(std::max<std::size_t>(length, 1));
    }
    return storage;
}

void SlabReader::read(const Box& box, Slab& slab) {
    slab.box = box;
    const std::size_t size = box.size();
    slab.inputs.resize(sources_.size());
    for (std::size_t k = 0; k < sources_.size(); ++k) {
        const Source& source = sources_[k];
        Column& column = slab.inputs[k];
        column.values.resize(size);
        column.gaps.resize(size);
        Box own;
        for (std::size_t p : source.axes) {
            own.start.push_back(box.start[p]);
            own.count.push_back(box.count[p]);
        }
        if (!source.direct) {
            values_.resize(own.size());
            gaps_.resize(own.size());
        }
        double* values = source.direct ? column.values.data() : values_.data();
        Gap* gaps = source.direct ? column.gaps.data() : gaps_.data();
        checked(Place{path_, false}, "variable " + inQuotes(source.variable->name) + ": cannot read its values", [&] {
            if (source.variable->type != ValueType::Char)
                return nc_get_vara_double(file_, source.variable->id, coordinates(own.start), coordinates(own.count),
                                          values);
            text_.resize(own.size());
            const int status = nc_get_vara_text(file_, source.variable->id, coordinates(own.start),
                                                coordinates(own.count), text_.data());
            std::transform(text_.begin(), text_.end(), values, [](char c) { return static_cast<unsigned char>(c); });
            return status;
        });
        classify(values, gaps, own.size(), source.rule);
        if (source.direct) continue;
        // The step of each paired dimension in the variable's own values.
        Shape strides(box.count.size(), 0);
        std::size_t step = 1;
        for (std::size_t j = source.axes.size(); j-- > 0;) {
            strides[source.axes[j]] = step;
            step *= own.count[j];
        }
        broadcast(values_.data(), box.count, strides, column.values.data());
        broadcast(gaps_.data(), box.count, strides, column.gaps.data());
    }
}

}  // namespace thalwen
