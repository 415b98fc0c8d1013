// The least work a batch of generate.py's rows needs, I/O included: the file
// read in pieces, each line copied and split at its commas, six numbers
// read and ten written by the same number text the batch uses (the padded
// entry points, which its own buffers allow), the engine's
// conversion in between; no header, no checks, no quotes, no notes, one
// thread. It writes the rows thalwen-convert --jobs 1 writes (its header
// aside), so that the run script can show how far the batch is from the least
// it could cost, and how much of that is beyond the GSW calls.
//   least_row SAMPLES.csv > ROWS.csv
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "convert.h"
#include "number_text.h"
#include "quantities.h"

using namespace thalwen;

namespace {

// The columns of generate.py after its method, in their order.
constexpr Quantity kColumns[] = {Quantity::Pressure,    Quantity::Longitude,         Quantity::Latitude,
                                 Quantity::Temperature, Quantity::PracticalSalinity, Quantity::ReferenceTemperature};

// Any other input is none of generate.py's: said, not converted.
int notGenerated(const char* path) {
    std::fprintf(stderr, "least_row: %s holds lines generate.py does not write\n", path);
    return 1;
}

// The cell of line that starts at cell, up to the next comma or the line's end.
std::string_view cellAt(const char* cell, const char* lineEnd) {
    const auto* comma = static_cast<const char*>(std::memchr(cell, ',', static_cast<std::size_t>(lineEnd - cell)));
    return {cell, static_cast<std::size_t>((comma ? comma : lineEnd) - cell)};
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: least_row SAMPLES.csv > ROWS.csv\n");
        return 2;
    }
    std::FILE* file = std::fopen(argv[1], "rb");
    if (!file) {
        std::perror(argv[1]);
        return 2;
    }
    // Whole lines from pieces of the file, as a batch must read a file of any
    // size, with room after the last for the number reader to look past it.
    std::vector<char> buffer((1 << 18) + kPadding);
    const std::size_t room = buffer.size() - kPadding;
    std::size_t held = 0;
    bool header = true;
    std::string output;
    while (std::size_t got = std::fread(buffer.data() + held, 1, room - held, file)) {
        held += got;
        const char* p = buffer.data();
        const char* const end = p + held;
        for (const char* newline;
             (newline = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)))) != nullptr;
             p = newline + 1) {
            if (std::exchange(header, false)) continue;
            output.append(p, newline);
            Sample sample = kDefaultSample;
            std::string_view cell = cellAt(p, newline);  // the method
            for (Quantity quantity : kColumns) {
                if (cell.data() + cell.size() == newline) return notGenerated(argv[1]);  // too few cells
                cell = cellAt(cell.data() + cell.size() + 1, newline);
                if (readDecimalPadded(cell, valueOf(sample, quantity))) return notGenerated(argv[1]);
            }
            convert(Method::Teos10Exact, sample);
            constexpr std::string_view kMethod = ",exact";
            char row[kMethod.size() + kQuantityCount * (kMaxNumber + 1) + 2];
            char* q = std::copy(kMethod.begin(), kMethod.end(), row);
            for (const QuantityInfo& info : kQuantities) {
                *q++ = ',';
                q = putFixedPadded(q, valueOf(sample, info.quantity), info.decimals);
            }
            *q++ = ',';  // nothing clamped
            *q++ = '\n';
            output.append(row, q);
        }
        std::fwrite(output.data(), 1, output.size(), stdout);
        output.clear();
        held = static_cast<std::size_t>(end - p);
        std::memmove(buffer.data(), p, held);
    }
    std::fclose(file);
    if (held > 0) return notGenerated(argv[1]);  // a last line without its end
    return std::fflush(stdout) == 0 ? 0 : 1;
}
