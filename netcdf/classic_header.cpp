// The header is laid out as netCDF documents its classic formats:
// big-endian, names and values padded to four bytes, counts of 32 bits (64 in
// CDF-5), offsets of 32 bits in CDF-1 and 64 after.
#include "classic_header.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace thalwen {

namespace {

constexpr std::uint32_t kDimensionTag = 0x0A, kVariableTag = 0x0B, kAttributeTag = 0x0C;

std::uint64_t padded(std::uint64_t bytes) { return (bytes + 3) / 4 * 4; }

// Both saturate: a damaged header's huge counts must not wrap to small sizes.
std::uint64_t times(std::uint64_t a, std::uint64_t b) {
    std::uint64_t product;
    return __builtin_mul_overflow(a, b, &product) ? std::numeric_limits<std::uint64_t>::max() : product;
}
std::uint64_t plus(std::uint64_t a, std::uint64_t b) {
    std::uint64_t sum;
    return __builtin_add_overflow(a, b, &sum) ? std::numeric_limits<std::uint64_t>::max() : sum;
}

std::uint64_t typeSize(std::uint32_t type) {
    switch (type) {
    case 1:  // byte
    case 2:  // char
    case 7:
        return 1;  // ubyte
    case 3:        // short
    case 8:
        return 2;  // ushort
    case 4:        // int
    case 5:        // float
    case 9:
        return 4;  // uint
    case 6:        // double
    case 10:       // int64
    case 11:
        return 8;  // uint64
    default:
        return 0;
    }
}

class HeaderReader {
public:
    HeaderReader(std::istream& file, int version) : file_(file), version_(version) {}

    bool ok() const { return ok_; }
    std::uint64_t word() { return bigEndian(4); }
    std::uint64_t count() { return bigEndian(version_ == 5 ? 8 : 4); }
    std::uint64_t offset() { return bigEndian(version_ == 1 ? 4 : 8); }
    void skip(std::uint64_t bytes) {
        while (ok_ && bytes > 0) {
            const auto step = static_cast<std::streamsize>(std::min<std::uint64_t>(bytes, 1 << 20));
            file_.ignore(step);
            ok_ = file_.gcount() == step;
            bytes -= static_cast<std::uint64_t>(step);
        }
    }
    void name() { skip(padded(count())); }
    std::string nameText() {
        const std::uint64_t length = count();
        std::string text(std::min<std::uint64_t>(length, 1 << 16), '\0');
        file_.read(text.data(), static_cast<std::streamsize>(text.size()));
        ok_ = ok_ && file_.gcount() == static_cast<std::streamsize>(text.size());
        skip(padded(length) - text.size());
        return text;
    }
    // A list's tag and length; ABSENT is a zero tag and a zero length.
    std::uint64_t listLength(std::uint32_t tag) {
        const std::uint64_t given = word(), length = count();
        if (given != tag && !(given == 0 && length == 0)) ok_ = false;
        return ok_ ? length : 0;
    }
    void attributes() {
        const std::uint64_t n = listLength(kAttributeTag);
        for (std::uint64_t i = 0; ok_ && i < n; ++i) {
            name();
            const std::uint64_t size = typeSize(static_cast<std::uint32_t>(word()));
            ok_ = ok_ && size > 0;
            skip(padded(times(count(), size)));
        }
    }

private:
    std::uint64_t bigEndian(int bytes) {
        unsigned char b[8] = {};
        file_.read(reinterpret_cast<char*>(b), bytes);
        ok_ = ok_ && file_.gcount() == bytes;
        std::uint64_t value = 0;
        for (int i = 0; i < bytes; ++i) value = value << 8 | b[i];
        return value;
    }

    std::istream& file_;
    int version_;
    bool ok_ = true;
};

struct VariableExtent {
    std::uint64_t begin = 0;
    std::uint64_t bytes = 0;  // of the whole variable, or of one record of it
    bool record = false;
};

}  // namespace

std::optional<ClassicHeader> readClassicHeader(std::istream& file) {
    char magic[4] = {};
    file.read(magic, 4);
    const int version = magic[3];
    if (file.gcount() != 4 || magic[0] != 'C' || magic[1] != 'D' || magic[2] != 'F' ||
        (version != 1 && version != 2 && version != 5))
        return std::nullopt;
    HeaderReader header(file, version);
    const std::uint64_t records = header.count();
    // A file still being written tells no number of records.
    const bool streaming = records == (version == 5 ? std::numeric_limits<std::uint64_t>::max() : 0xFFFFFFFF);

    std::vector<std::uint64_t> dimensions;  // lengths; 0 for the record dimension
    const std::uint64_t dimensionCount = header.listLength(kDimensionTag);
    for (std::uint64_t i = 0; header.ok() && i < dimensionCount; ++i) {
        header.name();
        dimensions.push_back(header.count());
    }
    header.attributes();

    ClassicHeader read;
    std::vector<VariableExtent> variables;
    const std::uint64_t variableCount = header.listLength(kVariableTag);
    for (std::uint64_t i = 0; header.ok() && i < variableCount; ++i) {
        const std::string name = header.nameText();
        const std::uint64_t rank = header.count();
        VariableExtent variable;
        std::uint64_t values = 1;
        for (std::uint64_t d = 0; header.ok() && d < rank; ++d) {
            const std::uint64_t id = header.count();
            if (id >= dimensions.size() && read.withoutDimension.empty()) read.withoutDimension = name;
            const std::uint64_t length = id < dimensions.size() ? dimensions[id] : 0;
            if (d == 0 && id < dimensions.size() && length == 0)
                variable.record = true;
            else
                values = times(values, length);
        }
        header.attributes();
        variable.bytes = times(values, typeSize(static_cast<std::uint32_t>(header.word())));
        header.count();  // vsize: the padded size, or a placeholder for a huge variable
        variable.begin = header.offset();
        variables.push_back(variable);
    }
    if (!header.ok()) return std::nullopt;

    // One record holds every record variable, each padded to four bytes,
    // except when there is only one: its records are packed.
    const auto recordVariables = std::count_if(variables.begin(), variables.end(), [](auto& v) { return v.record; });
    std::uint64_t recordSize = 0;
    for (const VariableExtent& variable : variables)
        if (variable.record) recordSize += recordVariables == 1 ? variable.bytes : padded(variable.bytes);

    std::uint64_t& end = read.dataEnd = static_cast<std::uint64_t>(file.tellg());
    for (const VariableExtent& variable : variables) {
        if (!variable.record)
            end = std::max(end, plus(variable.begin, variable.bytes));
        else if (!streaming && records > 0)
            end = std::max(end, plus(variable.begin, plus(times(records - 1, recordSize), variable.bytes)));
    }
    return read;
}

}  // namespace thalwen
